# A function key bound in the key-bindings file runs its command line, and a
# key bound from the console is written to the file.
source "$(dirname "$0")/lib.sh"

printf '#\n305\nexit\n' >"$WORK/resources/keybindings.file"
start_game
wait_for_output "OpenGL Ver.: "
sleep 1
key F1
[ "$(wait_for_exit 15)" = "0" ] || fail "F1 bound to exit did not end the game normally"

: >"$WORK/resources/keybindings.file"
GAME_WINDOW=""
start_game
wait_for_output "OpenGL Ver.: "
sleep 1
console_command "bind f2 exit"
sleep 0.5
grep -q "^316$" "$WORK/resources/keybindings.file" && fail "bound the wrong key"
tr '\n' ' ' <"$WORK/resources/keybindings.file" | grep -q "# 306 exit" \
  || fail "the binding did not reach the file: $(cat "$WORK/resources/keybindings.file")"
key F2
[ "$(wait_for_exit 15)" = "0" ] || fail "F2 bound from the console did not end the game"
echo "keybinding: ok"
