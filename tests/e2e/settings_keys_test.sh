# Without a settings file, or with a broken one or a window size the screen
# cannot show, the game says so and opens an 800 x 600 window. F12 hides and shows the frame-rate text in its bottom-left
# corner. A function key bound in the key-bindings file runs its command line,
# and a key bound from the console is written to the file and works at once.
source "$(dirname "$0")/lib.sh"

fps_text() { above "$(share "$1" 200x40+0+560 "r > 0.85 && g > 0.85 && b > 0.85")" 0.005; }
no_fps_text() { ! fps_text "$1"; }

rm -f "$WORK/resources/config/settings.ini"
printf '#\n305\nexit\n' >"$WORK/resources/keybindings.file"
start_game
grep -qF 'Could not open "settings.ini"! Reverting to default settings.' "$WORK/stdout.txt" ||
  fail "no message about the missing settings file"
[ "$(window_size)" = "800x600" ] || fail "window is $(window_size), expected 800x600"
shot_until fps-shown fps_text >/dev/null
key F12
shot_until fps-hidden no_fps_text >/dev/null
key F12
shot_until fps-again fps_text >/dev/null
key F1
wait_for_exit

# Keys after a broken header still count: a size no screen can show is refused.
{ head -c 300 /dev/urandom; printf '\nwindowed_width 2000000000 windowed_height 600\n'; } >"$WORK/resources/config/settings.ini"
: >"$WORK/resources/keybindings.file"
start_game
grep -qF 'Invalid header in "settings.ini"! Reverting to default settings.' "$WORK/stdout.txt" ||
  fail "no message about the broken settings file"
grep -qF 'Invalid window size 2000000000x600 in "settings.ini"!' "$WORK/stdout.txt" ||
  fail "no message about the window size"
[ "$(window_size)" = "800x600" ] || fail "window is $(window_size), expected 800x600"
console_command "bind f2 exit"
sleep 0.5
grep -q "^316$" "$WORK/resources/keybindings.file" && fail "bound the wrong key"
tr '\n' ' ' <"$WORK/resources/keybindings.file" | grep -q "# 306 exit" ||
  fail "the binding did not reach the file: $(cat "$WORK/resources/keybindings.file")"
key F2
wait_for_exit
echo "settings_keys: ok"
