#!/usr/bin/env bash
# Start-up figures: starts the game a few times on a fresh world under an
# Xvfb server of its own and prints, for each run and the best and median of
# them, the time from launch to the first loading-screen frame and to the
# first frame of the world, with the phases of the game's "Ready in" line.
# The game prints that line just after showing the world; the time it spent
# before main() is what the line's arrival adds to its total.
#
# Usage, from anywhere: scripts/startup-times.sh [RUNS] [GAME]
# (3 runs of build/glebeworks by default).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
RUNS="${1:-3}"
GAME="$(realpath "${2:-$ROOT/build/glebeworks}")"
if [ -z "${GLEBE_STARTUP_INNER:-}" ]; then
  export GLEBE_STARTUP_INNER=1
  exec "$ROOT/tests/support/with-xvfb.sh" bash "$0" "$RUNS" "$GAME"
fi

# No sound card here: OpenAL's null driver lets the music and sounds load.
export ALSOFT_DRIVERS=null
WORK="$(mktemp -d /tmp/glebe-startup.XXXXXX)"
GAME_PID=""
trap '[ -z "$GAME_PID" ] || kill "$GAME_PID" 2>/dev/null || true; rm -rf "$WORK"' EXIT
now_ms() { local t="${EPOCHREALTIME/./}"; echo $((10#$t / 1000)); }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "machine $(uptime | sed 's/.*\(load average\)/\1/')"
for run in $(seq "$RUNS"); do
  # A fresh world each time, beside links to the real resources.
  rm -rf "$WORK/run"
  mkdir -p "$WORK/run/resources/terrain"
  for entry in "$ROOT"/resources/*; do
    case "$(basename "$entry")" in
      terrain) ;;
      config | keybindings.file) cp -r "$entry" "$WORK/run/resources/" ;;
      *) ln -s "$entry" "$WORK/run/resources/" ;;
    esac
  done
  rm -f "$WORK/out"
  mkfifo "$WORK/out"
  launched=$(now_ms)
  (cd "$WORK/run" && exec "$GAME" >"$WORK/out" 2>/dev/null) &
  GAME_PID=$!
  ready=""
  while IFS= read -r -t 300 line; do
    if [[ "$line" == "Ready in "* ]]; then
      arrived=$(now_ms)
      ready="$line"
      break
    fi
  done <"$WORK/out"
  kill "$GAME_PID" 2>/dev/null || true
  wait "$GAME_PID" 2>/dev/null || true
  GAME_PID=""
  [ -n "$ready" ] || { echo "run $run: no \"Ready in\" line" >&2; exit 1; }
  total="$(sed 's/^Ready in \([0-9]*\) ms.*/\1/' <<<"$ready")"
  first="$(sed 's/.* first frame \([0-9]*\) ms$/\1/' <<<"$ready")"
  world=$((arrived - launched))
  loading=$((world - total + first))
  echo "run $run: first loading frame $loading ms, first world frame $world ms ($ready)"
  echo "$loading $world" >>"$WORK/figures"
done
echo "best: first loading frame $(cut -d' ' -f1 "$WORK/figures" | sort -n | head -n 1) ms," \
  "first world frame $(cut -d' ' -f2 "$WORK/figures" | sort -n | head -n 1) ms"
echo "median: first loading frame $(cut -d' ' -f1 "$WORK/figures" | median) ms," \
  "first world frame $(cut -d' ' -f2 "$WORK/figures" | median) ms"
