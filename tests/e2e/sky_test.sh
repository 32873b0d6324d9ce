# The sky dome is drawn behind everything, coloured by the sun: the frame is
# far from a single colour, and it changes as the sun turns.
source "$(dirname "$0")/lib.sh"

start_game
wait_for_output "OpenGL Ver.: " 120
sleep 4
first="$(screenshot sky-first)"
[ "$(colour_count "$first")" -gt 200 ] || fail "the frame is nearly one colour"
console_command "planet dayLength 10"
sleep 3
later="$(screenshot sky-later)"
[ "$(pixels_differing "$first" "$later" "1280x700+0+50")" -gt 100000 ] \
  || fail "the sky did not change as the sun turned"
key grave
type_text "exit"
key Return
[ "$(wait_for_exit 30)" = "0" ] || fail "bad exit status"
echo "sky: ok"
