# Digging: two seconds of the power dig tool aimed at the ground in front of
# the player change the terrain on screen and write block files into the
# world's data folder; after a restart the same view shows the same hole.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/player_lib.sh"

WORLD="$WORK/resources/terrain/Test-20DBSIZE-500m-radius-Map-3"

block_files() {
  find "$WORLD/data" -type f 2>/dev/null | wc -l
}

# start: the game with its world loaded, looking at the ground ahead.
start() {
  start_game
  wait_for_output "OpenGL Ver.: "
  wait_until_loaded
  look_down
}

# view_shot NAME: a screenshot, and the middle of the window from it (where
# the ground ahead shows, clear of the heads-up texts) seen at 32 x 16 pixels,
# so a view moved by a fraction of a pixel or a swaying blade of grass hardly
# counts. Prints the path of the small picture.
view_shot() {
  local file x y size w h
  file="$(screenshot "$1")"
  read -r x y <<<"$(window_origin)"
  size="$(window_size)"
  w="${size%x*}"
  h="${size#*x}"
  convert "$file" -crop "$((w / 2))x$((h / 3))+$((x + w / 4))+$((y + h / 3))" +repage -scale '32x16!' \
    "$WORK/$1.ppm"
  echo "$WORK/$1.ppm"
}

# coarse_difference A B: how far apart two view shots are, in thousandths.
coarse_difference() {
  local rmse
  rmse="$(compare -metric RMSE "$1" "$2" null: 2>&1 || true)"
  echo "$rmse" | sed -n 's/.*(\([0-9.e-]*\)).*/\1/p' | awk '{ printf "%d\n", $1 * 1000 }'
}

start
# The sun stands still, so both runs are lit alike.
console_command "planet dayLength 1000000"
# One notch up: the power dig tool.
xdotool click 4
frames 2
[ "$(block_files)" -eq 0 ] || fail "block files before anything was dug"
before="$(view_shot before-digging)"

xdotool mousedown 1
sleep 2
frames 2
xdotool mouseup 1
# The hole is meshed a few cells per frame, and the player may drop into it.
frames 8
dug="$(view_shot dug)"
changed="$(coarse_difference "$before" "$dug")"
echo "digging changed the view by $changed"
[ "$changed" -gt 40 ] || fail "the ground did not change on screen ($changed)"
end_game
[ "$(block_files)" -gt 0 ] || fail "no block files after digging"

start
frames 8
again="$(view_shot restarted)"
same="$(coarse_difference "$dug" "$again")"
unlike="$(coarse_difference "$before" "$again")"
echo "after the restart the view is $same from the dug one and $unlike from the one before digging"
[ "$same" -lt $((unlike / 2)) ] || fail "the hole is not there after the restart"
end_game
echo "player_dig: ok"
