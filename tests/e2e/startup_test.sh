# The game starts with the settings file's window, reports its GL set-up, and
# ends with status 0 when "exit" is typed into the console.
source "$(dirname "$0")/lib.sh"

start_game
wait_for_output "OpenGL Ver.: "
grep -q "^GLSL: ready\.$" "$WORK/stdout.txt" || fail "no \"GLSL: ready.\" line"
[ "$(window_size)" = "1280x800" ] || fail "window is $(window_size), settings.ini asks for 1280x800"
sleep 2
screenshot startup >/dev/null

key grave
type_text "exit"
key Return
status="$(wait_for_exit 15)"
[ "$status" = "0" ] || fail "exit status $status"
echo "startup: ok"
