# The console drops down over the top of the window with the typed command and
# its reply, and follows the window when it is resized.
source "$(dirname "$0")/lib.sh"

# brightness FILE X Y: r + g + b of one pixel.
brightness() {
  convert "$1" -format "%[fx:int(255*(p{$2,$3}.r+p{$2,$3}.g+p{$2,$3}.b))]" info:
}

# light_pixels FILE GEOMETRY: pixels of a region brighter than light grey.
light_pixels() {
  convert "$1" -crop "$2" +repage -colorspace Gray -threshold 75% -format "%[fx:int(mean*w*h)]" info:
}

start_game
wait_for_output "OpenGL Ver.: "
sleep 1.5
closed="$(screenshot console-closed)"

# The transcript fills the top 300 pixels, the command line the 25 below.
key grave
type_text "help"
key Return
type_text "bind list"
sleep 0.5
open="$(screenshot console-help)"
[ "$(brightness "$open" 1270 150)" -lt 300 ] || fail "no console band: $(brightness "$open" 1270 150)"
[ "$(brightness "$open" 640 340)" -gt 600 ] || fail "the console reaches below its 325 pixels"
[ "$(light_pixels "$open" 600x290+0+5)" -gt 400 ] || fail "no transcript text"
[ "$(light_pixels "$open" 300x25+0+300)" -gt 20 ] || fail "no command line text"
[ "$(brightness "$closed" 1270 150)" -gt 600 ] || fail "the closed console still shows"

# A resize lays the console out again along the new top edge.
xdotool windowsize --sync "$GAME_WINDOW" 1000 700
sleep 1
[ "$(window_size)" = "1000x700" ] || fail "the window is $(window_size) after resizing"
resized="$(screenshot console-resized)"
[ "$(brightness "$resized" 990 150)" -lt 300 ] || fail "the console did not follow the new width"
[ "$(brightness "$resized" 500 340)" -gt 600 ] || fail "the console reaches below its 325 pixels"

# Closing and opening again starts an empty command line.
key grave grave
type_text "exit"
key Return
[ "$(wait_for_exit 15)" = "0" ] || fail "exit did not end the game normally"
echo "interface_console: ok"
