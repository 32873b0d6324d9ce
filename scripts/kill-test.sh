#!/usr/bin/env bash
# Kills the real game with SIGKILL at random moments, again and again, while
# it starts, digs and saves, and checks after every kill that nothing on disk
# is torn: each terrain block file is 2 or 16000 bytes, each water file 2 or
# 8000, the world file holds every entry with a number, and the next start
# reads all of it without a word about damage. Too slow for CI (many game
# starts under Xvfb); run it after changing how files are saved.
#   scripts/kill-test.sh [rounds (200)] [game binary (build/glebeworks)]
root="$(cd "$(dirname "$0")/.." && pwd)"
# lib.sh runs this script again under Xvfb with its own two arguments; the
# round count goes along in the environment.
export KILL_ROUNDS="${KILL_ROUNDS:-${1:-200}}"
export KILL_GAME="${KILL_GAME:-${2:-$root/build/glebeworks}}"
rounds="$KILL_ROUNDS"
set -- "$KILL_GAME" "$root/resources"
source "$root/tests/e2e/lib.sh"

# check_files: fails on a block or water file of the wrong size, a damaged
# copy the loader kept, or a world file with an entry missing or not a number.
check_files() {
  local file size
  while IFS= read -r -d '' file; do
    size="$(stat -c %s "$file")"
    case "$file" in
      *.tmp) ;;
      *.bad) fail "the loader found a damaged file: $file" ;;
      *.w) [ "$size" = 2 ] || [ "$size" = 8000 ] || fail "water file $file has $size bytes" ;;
      *) [ "$size" = 2 ] || [ "$size" = 16000 ] || fail "block file $file has $size bytes" ;;
    esac
  done < <(find "$WORLD/data" -type f -print0)
  [ "$(head -n 1 "$WORLD/map.file")" = "[settings]" ] || fail "map.file does not start with [settings]"
  for name in seed1 seed2 "user x" "user y" "user z" "sun angle" "day length"; do
    [[ "$(world_value "$name")" =~ ^-?[0-9]+(\.[0-9]+)?(e[-+]?[0-9]+)?$ ]] ||
      fail "map.file: \"$name\" is \"$(world_value "$name")\""
  done
}

# check_start: the world came back from its files as they were left.
check_start() {
  ! grep -qE "holds no usable|has no usable|damaged file|Reverting to generating|^resources/terrain/" \
    "$WORK/stdout.txt" || fail "the start after a kill found something wrong"
}

# The first start makes the world and moves the player to the bed of a sea
# some 50 units from the start (the world's seeds are fixed), so that the
# digging clears water, the flow fills it back and water files are saved too;
# it is not killed before its world file exists.
start_game
wait_for_output "Ready in "
wait_until_loaded
console_command "goto 484 30 -30"
sleep 2
end_game
blocks=0
cut=0
for ((round = 1; round <= rounds; round++)); do
  start_game
  check_start
  # A quarter of the kills land while the world is loaded behind the loading
  # screen; the others while the power dig tool digs and its blocks are saved,
  # some after the world file's save every ten seconds.
  if ((RANDOM % 4 == 0)); then
    sleep "$(awk -v r="$RANDOM" 'BEGIN { printf "%.2f", r % 300 / 100 }')"
  else
    wait_for_output "Ready in "
    look_down
    xdotool click 4
    xdotool mousedown 1
    sleep "$(awk -v r="$RANDOM" 'BEGIN { printf "%.2f", r % 1200 / 100 }')"
  fi
  kill -9 "$GAME_PID"
  wait_for_exit 60 137
  xdotool mouseup 1 2>/dev/null || true
  check_files
  blocks="$(find "$WORLD/data" -type f ! -name '*.tmp' | wc -l)"
  water="$(find "$WORLD/data" -type f -name '*.w' | wc -l)"
  # A temporary file left behind is a save the kill cut short.
  tmp="$(find "$WORLD" -name '*.tmp' | wc -l)"
  cut=$((cut + tmp))
  echo "round $round: killed, $blocks block and water files whole ($water water), $tmp saves cut short"
  find "$WORLD" -name '*.tmp' -delete
done
start_game
check_start
wait_for_output "Ready in "
end_game
check_files
echo "kill test: $rounds kills, $cut saves cut short, 0 torn or wrong-sized files, $blocks block and water files at the end ($water water)"
