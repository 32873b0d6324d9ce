# Walking: W held for a second carries the player a couple of units over the
# ground, and the position the world file keeps at exit stays on the surface.
source "$(dirname "$0")/lib.sh"

WORLD="$WORK/resources/terrain/Test-20DBSIZE-500m-radius-Map-3"

# user_position: "x y z" as the world file keeps them.
user_position() {
  awk 'last == "user x" { x = $0 } last == "user y" { y = $0 } last == "user z" { z = $0 }
       { last = $0 } END { print x, y, z }' "$WORLD/map.file"
}

# play_and_exit ACTIONS...: starts the game, waits for the world, runs the
# actions, then ends the game through its console.
play_and_exit() {
  start_game
  wait_for_output "OpenGL Ver.: "
  wait_until_loaded
  sleep 1
  "$@"
  console_command exit
  local status
  status="$(wait_for_exit 60)"
  [ "$status" = "0" ] || fail "exit status $status"
}

walk_forward() {
  screenshot standing >/dev/null
  xdotool keydown w
  sleep 1
  xdotool keyup w
  sleep 1
  screenshot walked >/dev/null
}

play_and_exit true
start="$(user_position)"
play_and_exit walk_forward
end="$(user_position)"
echo "from $start to $end"

read -r moved climbed <<<"$(awk -v a="$start" -v b="$end" 'BEGIN {
  split(a, p); split(b, q)
  d = sqrt((q[1] - p[1]) ^ 2 + (q[2] - p[2]) ^ 2 + (q[3] - p[3]) ^ 2)
  h = sqrt(q[1] ^ 2 + q[2] ^ 2 + q[3] ^ 2) - sqrt(p[1] ^ 2 + p[2] ^ 2 + p[3] ^ 2)
  print d, h }')"
awk -v d="$moved" 'BEGIN { exit !(d > 0.5 && d < 5) }' || fail "walked $moved units in a second"
awk -v h="$climbed" 'BEGIN { exit !(h > -2 && h < 2) }' || fail "height changed by $climbed while walking"
changed="$(pixels_differing "$SHOTS/standing.png" "$SHOTS/walked.png")"
[ "$changed" -gt 1000 ] || fail "the view did not change while walking ($changed pixels)"
echo "player_walk: ok"
