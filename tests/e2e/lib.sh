# Helpers for the end-to-end tests: each test script sources this file with
# the game binary and the repository's resources folder as its arguments. The
# script re-runs itself under its own Xvfb server, and the game runs in a fresh
# working folder whose resources/ links to the real ones, with its own config,
# key bindings and worlds so tests never touch the player's files.
set -euo pipefail

GAME_BIN="$(realpath "$1")"
RESOURCES="$(realpath "$2")"

if [ -z "${GLEBE_E2E_INNER:-}" ]; then
  export GLEBE_E2E_INNER=1
  exec "$(dirname "${BASH_SOURCE[0]}")/../support/with-xvfb.sh" bash "$0" "$@"
fi

# No sound card here: OpenAL's null driver lets the music and sounds load.
export ALSOFT_DRIVERS=null
TEST_NAME="$(basename "$0" .sh)"
WORK="$(mktemp -d "/tmp/glebe-${TEST_NAME}.XXXXXX")"
SHOTS="${GLEBE_E2E_SHOTS:-$WORK/shots}"
mkdir -p "$WORK/resources" "$SHOTS"
for entry in "$RESOURCES"/*; do
  name="$(basename "$entry")"
  case "$name" in
    terrain) ;;
    config|keybindings.file) cp -r "$entry" "$WORK/resources/$name" ;;
    *) ln -s "$entry" "$WORK/resources/$name" ;;
  esac
done
mkdir -p "$WORK/resources/terrain"

GAME_PID=""
GAME_WINDOW=""

cleanup() {
  if [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; then
    kill -9 "$GAME_PID" 2>/dev/null || true
  fi
  if [ -z "${GLEBE_E2E_KEEP:-}" ] && [ -z "${GLEBE_E2E_SHOTS:-}" ]; then
    rm -rf "$WORK"
  fi
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

# start_game: runs the game in the work folder and waits for its window. A
# background shell of its own waits for the game and writes its exit status:
# the test's shell cannot wait for it from inside a command substitution.
start_game() {
  rm -f "$WORK/game.pid" "$WORK/exit-status"
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
  while [ -z "$GAME_WINDOW" ]; do
    GAME_WINDOW="$(xdotool search --name '^Glebeworks$' 2>/dev/null | head -n 1 || true)"
    if [ -z "$GAME_WINDOW" ]; then
      kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended before opening its window"
      sleep 0.5
      waited=$((waited + 1))
      [ "$waited" -lt 60 ] || fail "no window after 30 s"
    fi
  done
  # Without a window manager the window lands where SFML centres it on its
  # idea of the desktop; put it in the corner so screenshots frame it.
  xdotool windowmove --sync "$GAME_WINDOW" 0 0 2>/dev/null || true
  xdotool windowfocus --sync "$GAME_WINDOW" 2>/dev/null || xdotool windowfocus "$GAME_WINDOW" || true
}

# wait_for_output TEXT [SECONDS]: waits until the game's stdout holds TEXT.
wait_for_output() {
  local text="$1" limit="${2:-60}" waited=0
  until grep -qF -- "$text" "$WORK/stdout.txt" 2>/dev/null; do
    sleep 0.5
    waited=$((waited + 1))
    [ "$waited" -lt $((limit * 2)) ] || fail "\"$text\" never appeared on stdout"
  done
}

# wait_until_loaded [SECONDS]: waits until the loading screen has given way to
# the world; keys and clicks do not reach the interface while it is up. The
# loading screen is black along its top edge and has the white end mark of its
# progress bar a quarter of the way across, 40% up from the bottom.
wait_until_loaded() {
  local limit="${1:-120}" waited=0 probe="$WORK/loading-probe.png" size w h
  size="$(window_size)"
  w="${size%x*}"
  h="${size#*x}"
  while true; do
    import -window root "$probe"
    local top mark
    top="$(convert "$probe" -format "%[fx:int(255*(p{$((w / 2)),1}.r+p{$((w / 2)),1}.g+p{$((w / 2)),1}.b))]" info:)"
    mark="$(convert "$probe" -format "%[fx:int(255*p{$((w / 4)),$((h - (4 * h) / 10 + 2))}.g)]" info:)"
    [ "$top" -lt 30 ] && [ "$mark" -gt 200 ] || break
    sleep 0.5
    waited=$((waited + 1))
    [ "$waited" -lt $((limit * 2)) ] || fail "still loading after $limit s"
  done
}

# key NAME...: presses keys (xdotool names) in the game window.
key() {
  for k in "$@"; do
    xdotool key --clearmodifiers "$k"
    sleep 0.15
  done
}

# type_text TEXT: types a string key by key.
type_text() {
  xdotool type --delay 60 "$1"
  sleep 0.2
}

# console_command TEXT: opens the console, runs a command and closes it again.
console_command() {
  key grave
  type_text "$1"
  key Return
  sleep 0.3
  key grave
}

# screenshot NAME: saves the whole screen to $SHOTS/NAME.png and prints the path.
screenshot() {
  local file="$SHOTS/$1.png"
  import -window root "$file"
  echo "$file"
}

# colour_count FILE [GEOMETRY]: number of distinct colours, optionally of a crop.
colour_count() {
  if [ -n "${2:-}" ]; then
    convert "$1" -crop "$2" +repage -format "%k" info:
  else
    convert "$1" -format "%k" info:
  fi
}

# pixels_differing A B [GEOMETRY]: how many pixels differ between two shots.
pixels_differing() {
  local a="$1" b="$2"
  if [ -n "${3:-}" ]; then
    convert "$a" -crop "$3" +repage "$WORK/crop-a.png"
    convert "$b" -crop "$3" +repage "$WORK/crop-b.png"
    a="$WORK/crop-a.png"
    b="$WORK/crop-b.png"
  fi
  compare -metric AE "$a" "$b" null: 2>&1 | cut -d' ' -f1 || true
}

# wait_for_exit [SECONDS]: waits for the game to end and prints its status.
wait_for_exit() {
  local limit="${1:-20}" waited=0
  until [ -s "$WORK/exit-status" ]; do
    sleep 0.5
    waited=$((waited + 1))
    [ "$waited" -lt $((limit * 2)) ] || fail "the game did not end within $limit s"
  done
  cat "$WORK/exit-status"
}

# window_size: the game window's client size as WIDTHxHEIGHT.
window_size() {
  xdotool getwindowgeometry "$GAME_WINDOW" | sed -n 's/.*Geometry: \([0-9]*x[0-9]*\).*/\1/p'
}

# window_origin: the screen position of the window's top left, as "X Y".
window_origin() {
  xdotool getwindowgeometry "$GAME_WINDOW" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p'
}

# capture_pointer: the game keeps the pointer at the window's centre while it
# looks around with it. A focus change at start-up (there is no window manager
# here) frees the pointer, and F takes it again. A slow frame can leave a
# captured pointer where it was for a while, so the pointer is nudged off the
# centre until the game is seen bringing it back.
capture_pointer() {
  local size w h x y tries=0
  read -r x y <<<"$(window_origin)"
  size="$(window_size)"
  w="${size%x*}"
  h="${size#*x}"
  while true; do
    xdotool mousemove --window "$GAME_WINDOW" $((w / 2)) $((h / 2 + 1))
    sleep 1
    xdotool getmouselocation --shell | grep -qx "Y=$((y + h / 2))" && return
    tries=$((tries + 1))
    [ "$tries" -lt 6 ] || fail "the game does not take the pointer"
    key f
    sleep 0.5
  done
}
