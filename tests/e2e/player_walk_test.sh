# Walking: W held for about a second carries the player over the ground at
# walking speed, and the position the world file keeps at exit stays on the
# surface.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/player_lib.sh"

WORLD="$WORK/resources/terrain/Test-20DBSIZE-500m-radius-Map-3"

# user_position: "x y z" as the world file keeps them.
user_position() {
  awk 'last == "user x" { x = $0 } last == "user y" { y = $0 } last == "user z" { z = $0 }
       { last = $0 } END { print x, y, z }' "$WORLD/map.file"
}

now() {
  date +%s.%N
}

start_game
wait_for_output "OpenGL Ver.: "
wait_until_loaded
capture_pointer
frames 1
end_game
start="$(user_position)"

start_game
wait_for_output "OpenGL Ver.: "
wait_until_loaded
capture_pointer
screenshot standing >/dev/null
# The first update with W held may count the time since the one before, so
# the walk may last from a frame before the press to the release.
began="$(now)"
frames 1
xdotool keydown w
sleep 1
frames 1
xdotool keyup w
released="$(now)"
frames 1
screenshot walked >/dev/null
end_game
end="$(user_position)"
echo "from $start to $end"

read -r moved climbed longest <<<"$(awk -v a="$start" -v b="$end" -v t0="$began" -v t1="$released" 'BEGIN {
  split(a, p); split(b, q)
  d = sqrt((q[1] - p[1]) ^ 2 + (q[2] - p[2]) ^ 2 + (q[3] - p[3]) ^ 2)
  h = sqrt(q[1] ^ 2 + q[2] ^ 2 + q[3] ^ 2) - sqrt(p[1] ^ 2 + p[2] ^ 2 + p[3] ^ 2)
  print d, h, 2 * (t1 - t0) + 0.1 }')"
awk -v d="$moved" -v l="$longest" 'BEGIN { exit !(d > 0.5 && d <= l) }' ||
  fail "walked $moved units; at 2 units a second no more than $longest"
awk -v h="$climbed" 'BEGIN { exit !(h > -2 && h < 2) }' || fail "height changed by $climbed while walking"
changed="$(pixels_differing "$SHOTS/standing.png" "$SHOTS/walked.png")"
[ "$changed" -gt 1000 ] || fail "the view did not change while walking ($changed pixels)"
echo "player_walk: ok"
