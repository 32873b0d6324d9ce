# The world as the render pass draws it, from a new world's start at noon:
# textured ground under a blue sky, the red picking sphere under the
# crosshair, water with moving caustics in the lake behind the start, the
# wireframe that F4 switches on and off, and the ground darkening at night.
# A software rasteriser can take a second for a frame, so every change is
# waited for rather than expected after a fixed pause.
source "$(dirname "$0")/lib.sh"

GROUND="1280x300+0+480"
SKY="1280x200+0+40"
CENTRE="100x100+590+350"

# share FILE GEOMETRY EXPRESSION: the fraction of a crop's pixels for which an
# ImageMagick fx expression (r, g, b from 0 to 1) holds.
share() {
  convert "$1" -crop "$2" +repage -fx "$3 ? 1 : 0" -format "%[fx:mean]" info:
}

# brightness FILE GEOMETRY: the mean grey of a crop, from 0 to 1.
brightness() {
  convert "$1" -crop "$2" +repage -colorspace Gray -format "%[fx:mean]" info:
}

# above A B: whether the number A is greater than the number B.
above() {
  awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'
}

sky_through() { share "$1" "$GROUND" "b > r + 0.15 && b > g"; }
water() { share "$1" "$GROUND" "g > r + 0.08 && b > r + 0.08"; }
red() { share "$1" "$CENTRE" "r > 0.7 && g < 0.25 && b < 0.25"; }

# shot_until NAME SECONDS CHECK: takes the screenshot NAME again and again
# until `CHECK FILE` holds; prints the file. False after SECONDS tries.
shot_until() {
  local name="$1" limit="$2" check="$3" tries=0 file
  while true; do
    file="$(screenshot "$name")"
    "$check" "$file" && break
    tries=$((tries + 1))
    [ "$tries" -lt "$limit" ] || { echo "$file"; return 1; }
    sleep 1
  done
  echo "$file"
}

# look_until DX DY NAME CHECK ATTEMPTS: turns the view by a pointer motion
# until `CHECK FILE` holds for the screenshot NAME, a few frames after each
# motion; prints the file. A motion that arrives while the game puts the
# pointer back at the centre can be lost, so turning on is the remedy.
look_until() {
  local dx="$1" dy="$2" name="$3" check="$4" attempts="$5" i file
  for ((i = 0; i < attempts; i++)); do
    xdotool mousemove_relative -- "$dx" "$dy"
    file="$(shot_until "$name" 3 "$check")" && { echo "$file"; return 0; }
  done
  echo "$file"
  return 1
}

start_game
wait_for_output "OpenGL Ver.: "
wait_until_loaded
console_command "planet pause"
capture_pointer
sleep 2

world="$(screenshot world)"
blue="$(convert "$world" -crop "$SKY" +repage -format "%[fx:mean.b - mean.r]" info:)"
above "$blue" 0.25 || fail "no blue sky above the ground (blue - red = $blue)"
colours="$(colour_count "$world" "$GROUND")"
[ "$colours" -gt 5000 ] || fail "the ground has only $colours colours: not textured"
through="$(sky_through "$world")"

key F4
wired() { above "$(sky_through "$1")" "$(awk -v t="$through" 'BEGIN { print t + 0.3 }')"; }
wire="$(shot_until wireframe 20 wired)" \
  || fail "F4 did not show the sky between wireframe lines ($through, then $(sky_through "$wire"))"
key F4
filled() { ! above "$(sky_through "$1")" "$(awk -v t="$through" 'BEGIN { print t + 0.05 }')"; }
solid="$(shot_until solid-again 20 filled)" \
  || fail "a second F4 did not fill the ground again ($(sky_through "$solid"))"

# Down to the ground in front, where the cursor picks a point.
marked() { above "$(red "$1")" 0.01; }
picked="$(look_until 0 100 picking marked 6)" || fail "no red picking sphere under the crosshair ($(red "$picked"))"

# The lake lies behind the start, a little to the left: about 225 degrees
# round, turned in steps that keep the pointer inside the screen.
xdotool mousemove_relative -- 0 -100
wet() { above "$(water "$1")" 0.15; }
lake="$(look_until 200 0 lake wet 24)" || fail "no water in the hollow ($(water "$lake") of the view)"
moving() { above "$(pixels_differing "$lake" "$1" "$GROUND")" 2000; }
shot_until lake-later 20 moving >/dev/null || fail "the caustics stood still"

# Half of a four-second day later it is night, and the ground is dark.
day_light="$(brightness "$lake" "$GROUND")"
console_command "planet dayLength 4"
console_command "planet resume"
sleep 1
console_command "planet pause"
dark() { above "$day_light" "$(awk -v n="$(brightness "$1" "$GROUND")" 'BEGIN { print 3 * n }')"; }
night="$(shot_until night 20 dark)" \
  || fail "the ground is not dark at night ($(brightness "$night" "$GROUND"), by day $day_light)"

console_command exit
[ "$(wait_for_exit 60)" = "0" ] || fail "bad exit status"
echo "render_world: ok"
