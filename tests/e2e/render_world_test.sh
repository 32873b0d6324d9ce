# The world as the render pass draws it, from a new world's start at noon:
# textured ground under a blue sky, the red picking sphere under the
# crosshair, water with moving caustics in the lake behind the start, and
# the wireframe that F4 switches on and off.
source "$(dirname "$0")/lib.sh"

# share FILE GEOMETRY EXPRESSION: the fraction of a crop's pixels for which an
# ImageMagick fx expression (r, g, b from 0 to 1) holds.
share() {
  convert "$1" -crop "$2" +repage -fx "$3 ? 1 : 0" -format "%[fx:mean]" info:
}

# at_least VALUE LIMIT: whether a decimal value reaches the limit.
at_least() {
  awk -v v="$1" -v l="$2" 'BEGIN { exit !(v >= l) }'
}

GROUND="1280x300+0+480"
SKY="1280x200+0+40"
CENTRE="100x100+590+350"
SKY_BLUE="b > r + 0.15 && b > g"
WATER="g > r + 0.08 && b > r + 0.08"
RED="r > 0.7 && g < 0.25 && b < 0.25"

start_game
wait_for_output "OpenGL Ver.: "
wait_until_loaded
console_command "planet pause"
capture_pointer
sleep 2

world="$(screenshot world)"
blue="$(convert "$world" -crop "$SKY" +repage -format "%[fx:mean.b - mean.r]" info:)"
at_least "$blue" 0.25 || fail "no blue sky above the ground (blue - red = $blue)"
colours="$(colour_count "$world" "$GROUND")"
[ "$colours" -gt 5000 ] || fail "the ground has only $colours colours: not textured"
through="$(share "$world" "$GROUND" "$SKY_BLUE")"

key F4
sleep 2
wire="$(screenshot wireframe)"
wired="$(share "$wire" "$GROUND" "$SKY_BLUE")"
at_least "$wired" "$(awk -v t="$through" 'BEGIN { print t + 0.3 }')" \
  || fail "F4 did not show the sky between wireframe lines ($through, then $wired)"
key F4
sleep 2
solid="$(share "$(screenshot solid-again)" "$GROUND" "$SKY_BLUE")"
at_least "$(awk -v s="$solid" -v t="$through" 'BEGIN { print t + 0.05 - s }')" 0 \
  || fail "a second F4 did not fill the ground again ($solid)"

# Down to the ground in front, where the cursor picks a point.
xdotool mousemove_relative -- 0 200
sleep 2
picked="$(screenshot picking)"
red="$(share "$picked" "$CENTRE" "$RED")"
at_least "$red" 0.01 || fail "no red picking sphere under the crosshair ($red)"

# The lake lies behind the start, a little to the left: 225 degrees round,
# in steps that keep the pointer inside the screen.
xdotool mousemove_relative -- 0 -150
for _ in 1 2 3 4 5; do
  sleep 0.5
  xdotool mousemove_relative -- 300 0
done
sleep 2
lake="$(screenshot lake)"
sleep 1
later="$(screenshot lake-later)"
water="$(share "$lake" "$GROUND" "$WATER")"
at_least "$water" 0.15 || fail "no water in the hollow ($water of the view)"
moved="$(pixels_differing "$lake" "$later" "$GROUND")"
[ "$moved" -gt 2000 ] || fail "the caustics stood still ($moved pixels changed)"

console_command exit
[ "$(wait_for_exit 60)" = "0" ] || fail "bad exit status"
echo "render_world: ok"
