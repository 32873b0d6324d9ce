# Without a settings file, or with a broken one or a window size the screen
# cannot show, the game says so and opens an 800 x 600 window. F12 hides and shows the frame-rate text in its bottom-left
# corner. A function key bound in the key-bindings file runs its command line,
# and a key bound from the console is written to the file and works at once.
# The Options page writes its changes to the settings file, and "screenshot"
# saves the frame without the console.
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

# Options, the second of the menu's four entries from the bottom, lists eight
# 30-pixel rows above its "Back": the fifth row up steps the frame-rate limit
# from none to 30, and the file is written at once.
wait_until_loaded
key Escape
click 400 320
click 400 280
ini="$WORK/resources/config/settings.ini"
for _ in $(seq 40); do grep -qx "framerate_limit 30" "$ini" && break || sleep 0.5; done
grep -qx "framerate_limit 30" "$ini" || fail "the frame-rate limit did not reach the file: $(cat "$ini")"
key Escape Escape

# "screenshot" from the open console saves the frame beneath it. The scene
# stands still meanwhile: the far terrain is all shown (the haze widens when
# it is) and the sun paused, since in a two-minute day the light moves
# between the saved frame and the one it is compared with.
wait_for_output "Far terrain shown."
console_command "planet pause"
console_command screenshot
wait_for_output "Screenshot saved: "
png="$WORK/$(sed -n 's/^Screenshot saved: //p' "$WORK/stdout.txt")"
[ "$(identify -format %wx%h "$png")" = "$(window_size)" ] || fail "the screenshot is not the window's size"
# Scaled down to 80 x 60, so that the world's sway moves no edges: under 2%
# may differ, where the console would cover 40%.
convert "$png" -scale 80x60 "$WORK/saved.png"
same_frame() {
  convert "$1" -crop "$(window_size)+0+0" +repage -scale 80x60 "$WORK/shown.png"
  [ "$(pixels_differing "$WORK/saved.png" "$WORK/shown.png" 100%x100% 10)" -lt 100 ]
}
shot_until frame same_frame >/dev/null

console_command "bind f2 exit"
sleep 0.5
grep -q "^316$" "$WORK/resources/keybindings.file" && fail "bound the wrong key"
tr '\n' ' ' <"$WORK/resources/keybindings.file" | grep -q "# 306 exit" ||
  fail "the binding did not reach the file: $(cat "$WORK/resources/keybindings.file")"
key F2
wait_for_exit
echo "settings_keys: ok"
