#!/usr/bin/env bash
# Plays a short tour of Glebeworks on a machine without a display: the game
# runs under Xvfb from the repository (so it keeps its world in resources/),
# xdotool drives it and the screenshots land in the folder given.
set -euo pipefail
game="$1"
shots="$2"
root="$(cd "$(dirname "$0")/.." && pwd)"

if [ -z "${GLEBE_TOUR_INNER:-}" ]; then
  export GLEBE_TOUR_INNER=1
  exec "$(dirname "$0")/../tests/support/with-xvfb.sh" bash "$0" "$@"
fi

export ALSOFT_DRIVERS=null
mkdir -p "$shots"
cd "$root"
"$game" &
pid=$!
for _ in $(seq 60); do
  window="$(xdotool search --name '^Glebeworks$' 2>/dev/null | head -n 1 || true)"
  [ -n "$window" ] && break
  sleep 0.5
done
[ -n "$window" ] || { echo "Glebeworks did not open its window"; kill "$pid"; exit 1; }
xdotool windowmove "$window" 0 0 || true
xdotool windowfocus "$window" || true

shot() { import -window root "$shots/$1.png"; echo "  $shots/$1.png"; }
keys() { for k in "$@"; do xdotool key --clearmodifiers "$k"; sleep 0.2; done; }

echo "Screenshots:"
sleep 2
shot 01-loading
# The first two rings take a while to mesh on a software renderer.
sleep 40
shot 02-world
xdotool keydown w; sleep 1.5; xdotool keyup w
sleep 1
shot 03-walked
xdotool mousemove_relative --sync 0 120
sleep 1
shot 04-looking-down
xdotool click 4
sleep 0.5
xdotool mousedown 1; sleep 2.5; xdotool mouseup 1
sleep 2
shot 05-dug
keys F4
sleep 1
shot 06-wireframe
keys F4 Escape
sleep 1.5
shot 07-menu
keys Escape grave
xdotool type --delay 60 "stats show"
keys Return grave
sleep 1
shot 08-stats

keys grave
xdotool type --delay 60 "exit"
keys Return
wait "$pid"
