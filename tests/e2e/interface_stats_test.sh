# "stats show" brings up the statistics of the world being built as white text
# on a dark panel 400 pixels from the right edge, growing upwards from 15
# pixels above the bottom edge; "stats hide" takes it away again.
source "$(dirname "$0")/lib.sh"

# region_brightness FILE GEOMETRY: mean grey level of a region, 0 to 1.
region_brightness() {
  convert "$1" -crop "$2" +repage -colorspace Gray -format "%[fx:mean]" info:
}

start_game
wait_for_output "OpenGL Ver.: "
wait_until_loaded
before="$(screenshot stats-before)"
console_command "stats show"
sleep 2.5
shown="$(screenshot stats-shown)"
# The panel's left edge lies 8 pixels left of the text, at x = 872.
panel="380x40+876+745"
# The translucent panel darkens whatever world lies behind it.
awk -v a="$(region_brightness "$before" "$panel")" -v b="$(region_brightness "$shown" "$panel")" \
  'BEGIN { exit !(b < a - 0.15) }' || fail "no statistics panel"

console_command "stats hide"
sleep 2.5
hidden="$(screenshot stats-hidden)"
[ "$(pixels_differing "$shown" "$hidden" "$panel")" -gt 3000 ] || fail "the statistics did not hide"

key grave
type_text "exit"
key Return
status="$(wait_for_exit 60)"
[ "$status" = "0" ] || fail "exit ended the game with status $status"
echo "interface_stats: ok"
