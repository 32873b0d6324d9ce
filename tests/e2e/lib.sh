# Helpers for the end-to-end tests: each test script sources this file with
# the game binary and the repository's resources folder as its arguments. The
# script re-runs itself under its own Xvfb server, and the game runs in a fresh
# working folder whose resources/ links to the real ones, with its own config,
# key bindings and worlds so tests never touch the player's files.
#
# A software rasteriser on a busy machine may take seconds per frame, so the
# tests wait for what they expect to see rather than trust the clock.
set -euo pipefail

GAME_BIN="$(realpath "$1")"
RESOURCES="$(realpath "$2")"

if [ -z "${GLEBE_E2E_INNER:-}" ]; then
  export GLEBE_E2E_INNER=1
  exec "$(dirname "${BASH_SOURCE[0]}")/../support/with-xvfb.sh" bash "$0" "$@"
fi

# No sound card here: OpenAL's null driver lets the music and sounds load.
export ALSOFT_DRIVERS=null
WORK="$(mktemp -d "/tmp/glebe-$(basename "$0" .sh).XXXXXX")"
SHOTS="${GLEBE_E2E_SHOTS:-$WORK/shots}"
WORLD="$WORK/resources/terrain/Test-20DBSIZE-500m-radius-Map-3"
mkdir -p "$WORK/resources/terrain" "$SHOTS"
for entry in "$RESOURCES"/*; do
  name="$(basename "$entry")"
  case "$name" in
    # The player's worlds and key bindings stay out: each run starts as a
    # first start, which makes an empty bindings file.
    terrain | keybindings.file) ;;
    config) cp -r "$entry" "$WORK/resources/$name" ;;
    *) ln -s "$entry" "$WORK/resources/$name" ;;
  esac
done

GAME_PID=""
GAME_WINDOW=""

cleanup() {
  if [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; then
    kill -9 "$GAME_PID" 2>/dev/null || true
  fi
  # The game's waiting shell writes its exit status into the work folder.
  wait || true
  [ -n "${GLEBE_E2E_KEEP:-}${GLEBE_E2E_SHOTS:-}" ] || rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  echo "--- game stdout ---" >&2
  cat "$WORK/stdout.txt" >&2 2>/dev/null || true
  echo "--- game stderr ---" >&2
  tail -n 40 "$WORK/stderr.txt" >&2 2>/dev/null || true
  exit 1
}

# start_game: runs the game in the work folder and waits until it reports its
# GL set-up. A background shell of its own waits for the game and writes its
# exit status: the test's shell cannot wait for it from inside a command
# substitution.
start_game() {
  rm -f "$WORK/game.pid" "$WORK/exit-status"
  GAME_WINDOW=""
  (
    cd "$WORK"
    "$GAME_BIN" >"$WORK/stdout.txt" 2>"$WORK/stderr.txt" &
    echo $! >"$WORK/game.pid"
    status=0
    wait $! || status=$?
    echo "$status" >"$WORK/exit-status.tmp"
    mv "$WORK/exit-status.tmp" "$WORK/exit-status"
  ) &
  until [ -s "$WORK/game.pid" ]; do sleep 0.05; done
  GAME_PID="$(cat "$WORK/game.pid")"
  local waited=0
  until [ -n "$GAME_WINDOW" ]; do
    GAME_WINDOW="$(xdotool search --name '^Glebeworks$' 2>/dev/null | head -n 1 || true)"
    [ -n "$GAME_WINDOW" ] && break
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended before opening its window"
    sleep 0.5
    waited=$((waited + 1))
    [ "$waited" -lt 60 ] || fail "no window after 30 s"
  done
  # Without a window manager the window lands where SFML centres it on its
  # idea of the desktop; put it in the corner so screenshots frame it.
  xdotool windowmove --sync "$GAME_WINDOW" 0 0 2>/dev/null || true
  xdotool windowfocus --sync "$GAME_WINDOW" 2>/dev/null || xdotool windowfocus "$GAME_WINDOW" || true
  wait_for_output "OpenGL Ver.: "
}

# wait_for_output TEXT [SECONDS]: waits until the game's stdout holds TEXT.
wait_for_output() {
  local limit="${2:-120}" waited=0
  until grep -qF -- "$1" "$WORK/stdout.txt" 2>/dev/null; do
    sleep 0.5
    waited=$((waited + 1))
    [ "$waited" -lt $((limit * 2)) ] || fail "\"$1\" never appeared on stdout"
  done
}

# wait_for_exit [SECONDS] [STATUS]: waits for the game to end and checks its
# exit status (0 unless given).
wait_for_exit() {
  local limit="${1:-60}" expected="${2:-0}" waited=0
  until [ -s "$WORK/exit-status" ]; do
    sleep 0.5
    waited=$((waited + 1))
    [ "$waited" -lt $((limit * 2)) ] || fail "the game did not end within $limit s"
  done
  [ "$(cat "$WORK/exit-status")" = "$expected" ] || fail "the game ended with status $(cat "$WORK/exit-status")"
}

# key NAME...: presses keys (xdotool names) in the game window.
key() {
  for k in "$@"; do
    xdotool key --clearmodifiers "$k"
    sleep 0.15
  done
}

# console_command TEXT: opens the console, runs a command and closes it again.
console_command() {
  key grave
  xdotool type --delay 60 "$1"
  sleep 0.2
  key Return
  sleep 0.3
  key grave
}

# click X Y: a left click at window pixel (X, Y), measured from the top left.
click() {
  xdotool mousemove --window "$GAME_WINDOW" "$1" "$2"
  sleep 0.2
  xdotool click 1
  sleep 0.5
}

# screenshot NAME: saves the whole screen to $SHOTS/NAME.png and prints the path.
screenshot() {
  import -window root "$SHOTS/$1.png"
  echo "$SHOTS/$1.png"
}

# shot_until NAME CHECK [TRIES]: takes the screenshot NAME again and again, a
# second apart, until `CHECK FILE` holds; prints the file, and fails the test
# with `CHECK` named if it never does.
shot_until() {
  local tries=0 file
  until file="$(screenshot "$1")" && $2 "$file"; do
    tries=$((tries + 1))
    [ "$tries" -lt "${3:-20}" ] || fail "$1: \"$2\" never held"
    sleep 1
  done
  echo "$file"
}

# Measures of a shot, or of the region GEOMETRY of it: the number of distinct
# colours; the mean grey from 0 to 1; the share of pixels (every fourth in
# each direction, since fx is slow) for which an ImageMagick fx expression (r,
# g, b from 0 to 1) holds; r + g + b of the pixel at X Y, from 0 to 765.
colour_count() { convert "$1" -crop "${2:-100%x100%}" +repage -format "%k" info:; }
grey() { convert "$1" -crop "$2" +repage -colorspace Gray -format "%[fx:mean]" info:; }
share() { convert "$1" -crop "$2" +repage -sample 25% -fx "$3 ? 1 : 0" -format "%[fx:mean]" info:; }
brightness() { convert "$1" -format "%[fx:int(255*(p{$2,$3}.r+p{$2,$3}.g+p{$2,$3}.b))]" info:; }

# above A B: whether the number A is greater than the number B.
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

# pixels_differing A B [GEOMETRY [FUZZ%]]: how many pixels differ between two
# shots, colours closer than FUZZ counting as the same.
pixels_differing() {
  convert "$1" -crop "${3:-100%x100%}" +repage "$WORK/crop-a.png"
  convert "$2" -crop "${3:-100%x100%}" +repage "$WORK/crop-b.png"
  # Past a million, compare counts in scientific notation.
  { compare -metric AE -fuzz "${4:-0}%" "$WORK/crop-a.png" "$WORK/crop-b.png" null: 2>&1 || true; } |
    awk '{ printf "%d\n", $1 }'
}

# window_size: the game window's client size as WIDTHxHEIGHT.
window_size() {
  xdotool getwindowgeometry "$GAME_WINDOW" | sed -n 's/.*Geometry: \([0-9]*x[0-9]*\).*/\1/p'
}

# centred: true while the pointer is at the window's centre, where the game
# brings it back once per frame while it looks around with it.
centred() {
  local x y size location
  read -r x y <<<"$(xdotool getwindowgeometry "$GAME_WINDOW" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')"
  size="$(window_size)"
  location="$(xdotool getmouselocation --shell)"
  grep -qx "X=$((x + ${size%x*} / 2))" <<<"$location" && grep -qx "Y=$((y + ${size#*x} / 2))" <<<"$location"
}

# captured: fails unless the game holds the pointer at the window's centre,
# nudging it off the centre and waiting for the game to bring it back. A slow
# frame can leave a captured pointer where it was for many seconds.
captured() {
  local size waited=0
  size="$(window_size)"
  xdotool mousemove --window "$GAME_WINDOW" $((${size%x*} / 2)) $((${size#*x} / 2 + 1))
  until centred; do
    sleep 0.25
    waited=$((waited + 1))
    [ "$waited" -lt 240 ] || fail "the game does not hold the pointer"
  done
}

# pointer_step DX DY: moves the captured pointer and waits for the frame that
# turns the view by it.
pointer_step() {
  xdotool mousemove_relative -- "$1" "$2"
  local waited=0
  until centred; do
    sleep 0.1
    waited=$((waited + 1))
    [ "$waited" -lt 1200 ] || fail "no frame for 120 s"
  done
}

# frames N: lets at least N frames pass, turning the view a pixel right and back.
frames() {
  for _ in $(seq "$1"); do
    pointer_step 1 0
    pointer_step -1 0
  done
}

# look_down: 45 degrees below the horizon, where the tools reach the ground,
# in steps the pointer can make inside the screen.
look_down() {
  captured
  for _ in 1 2 3; do pointer_step 0 100; done
}

# coarse FILE [GEOMETRY]: the region GEOMETRY of a shot (by default the middle
# of the window, where the ground ahead shows clear of the heads-up texts)
# seen at 32 x 16 pixels, so a view moved by a fraction of a pixel or a
# swaying blade of grass hardly counts; prints its path.
coarse() {
  local out
  out="$WORK/coarse-$(basename "$1" .png)-${2:-view}.ppm"
  convert "$1" -crop "${2:-640x266+320+266}" +repage -scale '32x16!' "$out"
  echo "$out"
}
view_shot() { coarse "$(screenshot "$1")"; }

# coarse_difference A B: how far apart two coarse shots are, in thousandths.
coarse_difference() {
  { compare -metric RMSE "$1" "$2" null: 2>&1 || true; } | sed -n 's/.*(\([0-9.e-]*\)).*/\1/p' | awk '{ printf "%d\n", $1 * 1000 }'
}

# wait_until_loaded: waits until the loading screen has given way to the
# world; keys and clicks do not reach the interface while it is up. The
# loading screen is black along its top edge and has the white end mark of its
# progress bar a quarter of the way across, 40% up from the bottom; a window
# not yet drawn is black all over.
wait_until_loaded() {
  local size w h
  size="$(window_size)"
  w="${size%x*}"
  h="${size#*x}"
  loaded() {
    [ "$(colour_count "$1")" -gt 1 ] && { [ "$(brightness "$1" $((w / 2)) 1)" -ge 30 ] ||
      [ "$(convert "$1" -format "%[fx:int(255*p{$((w / 4)),$((h - (4 * h) / 10 + 2))}.g)]" info:)" -le 200 ]; }
  }
  shot_until loading-probe loaded 240 >/dev/null
}

# world_value NAME: the value line after the name line in the world file.
world_value() { grep -A1 -x -- "$1" "$WORLD/map.file" | tail -n 1; }

# end_game: ends the game through its console and checks its status.
end_game() {
  console_command exit
  wait_for_exit 120
}
