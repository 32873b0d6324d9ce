#!/usr/bin/env bash
# Plays a short tour of Glebeworks on a machine without a display and saves
# its pictures in the folder given: the game runs under Xvfb on a new world of
# its own, as the end-to-end tests run it, and xdotool drives it. A software
# rasteriser on a busy machine may take seconds per frame, so every picture
# waits for the frames that show what its name says, and each must differ
# from the one before. With --docs it also writes the README's pictures, small
# JPEG files, into docs/.
#
#   scripts/tour.sh [--docs] GAME SHOTS
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ -z "${GLEBE_TOUR_SHOTS:-}" ]; then
  if [ "${1:-}" = "--docs" ]; then
    export GLEBE_TOUR_DOCS="$root/docs"
    shift
  fi
  GLEBE_TOUR_SHOTS="$(realpath -m "$2")"
  export GLEBE_TOUR_SHOTS
  set -- "$1" "$root/resources"
fi
source "$root/tests/e2e/lib.sh"
mkdir -p "$GLEBE_TOUR_SHOTS"

previous=""
# keep NAME FILE [DOC]: saves the screenshot FILE as the tour's picture NAME,
# and as the README's picture docs/DOC.jpg when asked for those.
keep() {
  if [ -n "$previous" ]; then
    above "$(pixels_differing "$previous" "$2")" 20000 || fail "$1 looks like the picture before it"
  fi
  previous="$GLEBE_TOUR_SHOTS/$1.png"
  cp "$2" "$previous"
  echo "  $previous"
  if [ -n "${3:-}" ] && [ -n "${GLEBE_TOUR_DOCS:-}" ]; then
    mkdir -p "$GLEBE_TOUR_DOCS"
    convert "$2" -resize 640x400 -strip -quality 80 "$GLEBE_TOUR_DOCS/$3.jpg"
    echo "  $GLEBE_TOUR_DOCS/$3.jpg"
  fi
}

# sky FILE: the share of the upper view that is sky, a deeper blue than the
# light on water.
sky() { share "$1" 1280x240+0+40 "b > r + 0.3 && b > g + 0.15"; }
# The loading screen has the white end marks of its progress bar a quarter of
# the way in from each side, 40% up from the bottom. A shot taken while the
# window is being drawn may show the screen twice, a second title below the bar.
loading() {
  [ "$(brightness "$1" 320 482)" -ge 750 ] && [ "$(brightness "$1" 960 482)" -ge 750 ] &&
    above 0.5 "$(convert "$1" -crop 1280x280+0+520 +repage -colorspace Gray -format "%[fx:maxima]" info:)"
}
# The console's band darkens what lies behind it and ends 325 pixels down:
# across the window, the rows just below it are much brighter than those just
# inside it.
console() {
  local inside
  inside="$(grey "$1" 1280x8+0+312)"
  above "$(grey "$1" 1280x8+0+332)" "$(awk -v v="$inside" 'BEGIN { print v * 1.4 + 0.03 }')"
}
# The menu's buttons, with their light labels, stand in the middle of a
# screen that is black along its top edge.
menu() {
  above 0.08 "$(grey "$1" 1280x30+0+0)" &&
    above "$(convert "$1" -crop 200x160+540+320 +repage -colorspace Gray -format "%[fx:maxima]" info:)" 0.7
}

echo "Screenshots:"
start_game
# The loading screen may last only a few frames: shots as fast as they come.
tries=0
until loading "$(screenshot loading)"; do
  tries=$((tries + 1))
  [ "$tries" -lt 600 ] || fail "the loading screen never showed"
done
keep 01-loading "$SHOTS/loading.png"

# The pointer is held from the first world frame. A new world's day lasts
# two minutes: the tour stays at noon.
wait_until_loaded
captured
console_command "planet pause"
daylight() { ! console "$1" && above "$(sky "$1")" 0.3; }
world="$(shot_until world daylight 60)"
keep 02-world "$world" world

# 45 degrees below the horizon, where the tools reach the ground.
for _ in 1 2 3; do pointer_step 0 100; done
frames 1
ground() { above 0.02 "$(sky "$1")"; }
down="$(shot_until looking-down ground)"
keep 03-looking-down "$down"

# One notch up takes the power dig tool, which digs where the player looks
# while the button is held: until the pit shows, and a little deeper. The
# ground in front of the start lies too high for the pit to reach below the
# sea level, where water would fill it.
xdotool click 4
frames 2
before="$(view_shot before-digging)"
xdotool mousedown 1
for ((i = 0; i < 20; i++)); do
  frames 2
  [ "$(coarse_difference "$before" "$(view_shot digging)")" -gt 60 ] && break
done
frames 4
xdotool mouseup 1
[ "$(coarse_difference "$before" "$(view_shot digging)")" -gt 60 ] || fail "digging did not change the ground"
# The pit's last cells are meshed a few a frame.
frames 4
dug="$(screenshot dug)"
keep 04-dug "$dug" pit

# The console over the world, with the commands it knows.
key grave
xdotool type --delay 60 "help"
key Return
frames 1
console="$(shot_until console console)"
keep 05-console "$console" console
key grave
frames 1
solid="$(screenshot solid)"
console_command "stats show"
# The statistics show in the bottom right corner.
STATS="380x40+876+745"
stats() { ! console "$1" && above "$(pixels_differing "$solid" "$1" "$STATS")" 3000; }
stats="$(shot_until stats stats)"
keep 06-stats "$stats"
key Escape
menu="$(shot_until menu menu)"
keep 07-menu "$menu"
key Escape

# The planet from orbit, in free flight 1000 units over the start, straight
# down, once the far level is shown.
wait_for_output "Far terrain shown." 300
captured
key F5
console_command "goto 1500 0 0"
for _ in 1 2 3 4; do pointer_step 0 100; done
frames 3
planet() { above "$(colour_count "$1" 300x300+490+250)" 2000 && above 0.5 "$(sky "$1")"; }
orbit="$(shot_until orbit planet)"
keep 08-orbit "$orbit" orbit
end_game
