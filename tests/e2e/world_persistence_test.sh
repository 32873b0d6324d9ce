# A new world is created under resources/terrain/ with its 25 data folders and
# its world file, the viewer standing on the ground; the world file keeps the
# sun and the position, and a restart resumes the same world where it was.
source "$(dirname "$0")/lib.sh"

WORLD="$WORK/resources/terrain/Test-20DBSIZE-500m-radius-Map-3"
value() { # value NAME: the value line after the name line in the world file
  grep -A1 -x -- "$1" "$WORLD/map.file" | tail -n 1
}

start_game
wait_for_output "OpenGL Ver.: " 120
grep -qx "resources/terrain/Test-20DBSIZE-500m-radius-Map-3/" "$WORK/stdout.txt" \
  || fail "the new world's folder was not announced"
for n in $(seq 0 24); do
  [ -d "$WORLD/data/$n" ] || fail "no data folder $n"
done
[ "$(value seed1)" = "13" ] && [ "$(value seed2)" = "14" ] || fail "seeds $(value seed1) $(value seed2)"
# The ground search climbs from the planet's centre along +x to the surface.
awk -v x="$(value "user x")" 'BEGIN { exit !(x > 470 && x < 530) }' || fail "start x $(value "user x")"
[ "$(value "user y")" = "0" ] && [ "$(value "user z")" = "0" ] || fail "start off the x axis"

console_command "planet dayLength 7"
sleep 2
key grave
type_text "exit"
key Return
status="$(wait_for_exit 60)"
[ "$status" = "0" ] || fail "exit status $status"
[ "$(value "day length")" = "7" ] || fail "day length $(value "day length") not kept"
awk -v a="$(value "sun angle")" 'BEGIN { exit !(a > 0) }' || fail "the sun did not move"

# Move the stored viewer; the restarted game must stand there and keep it.
sed -i '/^user z$/{n;s/.*/12.5/}' "$WORLD/map.file"
: >"$WORK/stdout.txt"
GAME_WINDOW=""
start_game
wait_for_output "OpenGL Ver.: " 120
grep -qx "resources/terrain/Test-20DBSIZE-500m-radius-Map-3/" "$WORK/stdout.txt" \
  && fail "the world was created anew"
sleep 2
key grave
type_text "exit"
key Return
status="$(wait_for_exit 60)"
[ "$status" = "0" ] || fail "exit status $status after the restart"
# The player settles onto the ground under gravity, which points along the
# local up (almost +x here), so z stays close to where it was stored.
awk -v z="$(value "user z")" 'BEGIN { exit !(z > 11.5 && z < 13.5) }' \
  || fail "the viewer did not resume at the stored position (z $(value "user z"))"
[ "$(value "day length")" = "7" ] || fail "day length lost on restart"
echo "world persistence: ok"
