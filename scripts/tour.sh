#!/usr/bin/env bash
# Plays a short tour of Glebeworks on a machine without a display and saves
# its pictures in the folder given: the game runs under Xvfb on a new world of
# its own, as the end-to-end tests run it, and xdotool drives it. A software
# rasteriser on a busy machine may take seconds per frame, so every picture
# waits for the frames that show what its name says, and each must differ
# from the one before.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ -z "${GLEBE_TOUR_SHOTS:-}" ]; then
  export GLEBE_TOUR_SHOTS="$(realpath -m "$2")"
  set -- "$1" "$root/resources"
fi
source "$root/tests/e2e/lib.sh"
mkdir -p "$GLEBE_TOUR_SHOTS"

previous=""
# keep NAME FILE: saves the screenshot FILE as the tour's picture NAME.
keep() {
  if [ -n "$previous" ]; then
    above "$(pixels_differing "$previous" "$2")" 20000 || fail "$1 looks like the picture before it"
  fi
  previous="$GLEBE_TOUR_SHOTS/$1.png"
  cp "$2" "$previous"
  echo "  $previous"
}

# sky FILE: the share of the upper view that is sky, a lighter blue than the
# dwarves' coats.
sky() { share "$1" 1280x240+0+40 "b > r + 0.15 && b > g && b > 0.8"; }
# The loading screen has the white end marks of its progress bar a quarter of
# the way in from each side, 40% up from the bottom.
loading() { [ "$(brightness "$1" 320 482)" -ge 750 ] && [ "$(brightness "$1" 960 482)" -ge 750 ]; }
# The menu's three buttons stand in the middle of a dark screen.
menu() { [ "$(brightness "$1" 20 780)" -le 300 ] && [ "$(brightness "$1" 640 400)" -ge 300 ]; }

echo "Screenshots:"
start_game
# The loading screen may last only a few frames: shots as fast as they come.
tries=0
until loading "$(screenshot loading)"; do
  tries=$((tries + 1))
  [ "$tries" -lt 600 ] || fail "the loading screen never showed"
done
keep 01-loading "$SHOTS/loading.png"
wait_until_loaded
captured
# A new world's day lasts two minutes: the tour stays at noon.
console_command "planet pause"
frames 2
world="$(screenshot world)"
above "$(sky "$world")" 0.3 || fail "the world shows no sky ahead"
keep 02-world "$world"

# Forward until the ground ahead has visibly come closer.
ahead="$(view_shot ahead)"
xdotool keydown w
tries=0
until frames 2 && [ "$(coarse_difference "$ahead" "$(view_shot walking)")" -gt 60 ]; do
  tries=$((tries + 1))
  [ "$tries" -lt 30 ] || fail "walking does not change the view"
done
xdotool keyup w
frames 1
keep 03-walked "$(screenshot walked)"

# 45 degrees below the horizon, where the tools reach the ground.
for _ in 1 2 3; do pointer_step 0 100; done
frames 1
down="$(screenshot looking-down)"
above 0.02 "$(sky "$down")" || fail "looking down still shows the sky"
keep 04-looking-down "$down"

# One notch up takes the power dig tool; it digs while the button is held,
# until the hole shows, and the last of it is meshed a few cells per frame.
xdotool click 4
frames 2
before="$(view_shot before-digging)"
xdotool mousedown 1
tries=0
until frames 2 && [ "$(coarse_difference "$before" "$(view_shot digging)")" -gt 60 ]; do
  tries=$((tries + 1))
  [ "$tries" -lt 30 ] || { xdotool mouseup 1; fail "digging does not change the ground"; }
done
xdotool mouseup 1
frames 8
keep 05-dug "$(screenshot dug)"

# F4 draws the ground as lines, the sky showing between them.
key F4
wired() { above "$(share "$1" 1280x600+0+100 "b > r + 0.1 && b > g")" 0.5; }
wireframe="$(shot_until wireframe wired)"
keep 06-wireframe "$wireframe"
key F4 Escape
menu="$(shot_until menu menu)"
keep 07-menu "$menu"
key Escape
frames 2
solid="$(screenshot solid)"
console_command "stats show"
# The statistics add white text to the bottom right corner.
STATS="380x40+876+745"
text() { share "$1" "$STATS" "r > 0.9 && g > 0.9 && b > 0.9"; }
more_text() { above "$(text "$1")" "$(awk -v t="$(text "$solid")" 'BEGIN { print t + 0.003 }')"; }
stats="$(shot_until stats more_text)"
keep 08-stats "$stats"
end_game
