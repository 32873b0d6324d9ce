# Without a settings file, or with a broken one, the game says so and opens an
# 800 x 600 window; closing it ends the program normally.
source "$(dirname "$0")/lib.sh"

rm -f "$WORK/resources/config/settings.ini"
start_game
wait_for_output "OpenGL Ver.: "
grep -qF 'Could not open "settings.ini"! Reverting to default settings.' "$WORK/stdout.txt" \
  || fail "no message about the missing settings file"
[ "$(window_size)" = "800x600" ] || fail "window is $(window_size), expected 800x600"
key grave
type_text "exit"
key Return
[ "$(wait_for_exit 15)" = "0" ] || fail "bad exit status"

head -c 300 /dev/urandom >"$WORK/resources/config/settings.ini"
: >"$WORK/stdout.txt"
GAME_WINDOW=""
start_game
wait_for_output "OpenGL Ver.: "
grep -qF 'Invalid header in "settings.ini"! Reverting to default settings.' "$WORK/stdout.txt" \
  || fail "no message about the broken settings file"
[ "$(window_size)" = "800x600" ] || fail "window is $(window_size), expected 800x600"
key grave
type_text "exit"
key Return
[ "$(wait_for_exit 15)" = "0" ] || fail "bad exit status"
echo "settings_missing: ok"
