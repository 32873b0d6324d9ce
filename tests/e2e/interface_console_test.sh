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
wait_until_loaded
sleep 0.5
closed="$(screenshot console-closed)"

# The transcript fills the top 300 pixels, the command line the 25 below.
key grave
type_text "help"
key Return
type_text "bind list"
# A software-rendered frame with the world behind can take a while.
sleep 2
open="$(screenshot console-help)"
# The band darkens what lies behind it and ends 325 pixels down.
[ "$(brightness "$open" 1270 150)" -lt $(( $(brightness "$closed" 1270 150) - 150 )) ] \
  || fail "no console band over the world"
[ "$(brightness "$open" 640 330)" -gt $(( $(brightness "$open" 640 320) + 150 )) ] \
  || fail "the console does not end below its command line"
[ "$(light_pixels "$open" 600x290+0+5)" -gt 400 ] || fail "no transcript text"
[ "$(light_pixels "$open" 300x25+0+300)" -gt 20 ] || fail "no command line text"

# A resize lays the console out again along the new top edge.
xdotool windowsize --sync "$GAME_WINDOW" 1000 700
sleep 1
[ "$(window_size)" = "1000x700" ] || fail "the window is $(window_size) after resizing"
resized="$(screenshot console-resized)"
[ "$(brightness "$resized" 990 150)" -lt $(( $(brightness "$closed" 990 150) - 150 )) ] \
  || fail "the console did not follow the new width"
[ "$(brightness "$resized" 500 330)" -gt $(( $(brightness "$resized" 500 320) + 150 )) ] \
  || fail "the console does not end below its command line"

# Closing and opening again starts an empty command line.
key grave grave
type_text "exit"
key Return
[ "$(wait_for_exit 60)" = "0" ] || fail "exit did not end the game normally"
echo "interface_console: ok"
