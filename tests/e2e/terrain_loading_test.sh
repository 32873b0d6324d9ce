# The loading screen's bar grows while the terrain's update thread builds
# both rings, and the loading screen gives way to the world once it is done.
source "$(dirname "$0")/lib.sh"

start_game
wait_for_output "OpenGL Ver.: "
size="$(window_size)"
w="${size%x*}"
h="${size#*x}"
# The bar runs from a quarter to three quarters of the width, its top row 40% up.
bar_row=$((h - (4 * h) / 10 + 2))

lengths=()
loaded=""
seen=""
for _ in $(seq 1 600); do
  # One row across the bar, from its left end mark to its right one: both
  # marks are white while the loading screen is up, and the bar is green.
  row="$(import -window root -crop "$((w / 2 + 1))x1+$((w / 4))+$bar_row" +repage txt:- 2>/dev/null || true)"
  marks="$(echo "$row" | grep -cE "^(0|$((w / 2))),0: .*#FFFFFFFFFFFF" || true)"
  if [ "$marks" -lt 2 ]; then
    # Before the first frame the window may still be blank.
    [ -z "$seen" ] && continue
    loaded=1
    break
  fi
  seen=1
  lengths+=("$(echo "$row" | grep -cE '#4[0-9A-F]{3}FFFF4[0-9A-F]{3} ' || true)")
done
[ -n "$seen" ] || fail "no loading screen was seen"
[ -n "$loaded" ] || fail "the loading screen never went away"
echo "bar lengths while loading: ${lengths[*]}"

partial=""
previous=0
for length in "${lengths[@]}"; do
  [ "$length" -ge "$previous" ] || fail "the bar shrank from $previous to $length pixels"
  previous="$length"
  if [ "$length" -gt 0 ] && [ "$length" -lt $((w / 2)) ]; then partial=1; fi
done
[ -n "$partial" ] || fail "the bar never showed a partial build"

sleep 1
shot="$(screenshot loaded)"
[ "$(colour_count "$shot")" -gt 50 ] || fail "the world behind the loading screen is blank"

console_command "exit"
status="$(wait_for_exit 30)"
[ "$status" = "0" ] || fail "exit status $status"
echo "terrain_loading: ok"
