# F12 hides and shows the frame-rate text in the bottom-left corner.
source "$(dirname "$0")/lib.sh"

start_game
wait_for_output "OpenGL Ver.: "
sleep 3
corner="200x40+0+760"
shown="$(screenshot fps-shown)"
key F12
sleep 1
hidden="$(screenshot fps-hidden)"
key F12
sleep 1
again="$(screenshot fps-again)"

[ "$(pixels_differing "$shown" "$hidden" "$corner")" -gt 20 ] || fail "F12 did not hide the text"
[ "$(pixels_differing "$again" "$hidden" "$corner")" -gt 20 ] || fail "a second F12 did not bring it back"

key grave
type_text "exit"
key Return
[ "$(wait_for_exit 15)" = "0" ] || fail "bad exit status"
echo "fps_toggle: ok"
