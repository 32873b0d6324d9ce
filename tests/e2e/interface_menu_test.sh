# Escape opens the main menu over the scene; "About" and "About the Creators"
# open their pages, Escape walks back and closes the menu; a click on "Exit
# Program" ends the game with status 0.
source "$(dirname "$0")/lib.sh"

# pixel FILE X Y: the colour of one pixel as "r,g,b".
pixel() {
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}

# dark FILE X Y: true when the pixel is no brighter than the menu background
# (each channel at most 100/255) or the credits field.
dark() {
  local rgb
  rgb="$(pixel "$1" "$2" "$3")"
  [ $(( ${rgb//,/+} )) -le 300 ]
}

# differing A B GEOMETRY: pixels that differ between two shots in a region,
# not counting the slow drift of the menu background's colour.
differing() {
  compare -metric AE -fuzz 12% "$1" "$2" -crop "$3" +repage null: 2>&1 | cut -d' ' -f1 || true
}

# click X Y: a left click at window pixel (X, Y), measured from the top left.
click() {
  xdotool mousemove --window "$GAME_WINDOW" "$1" "$2"
  sleep 0.2
  xdotool click 1
  sleep 0.5
}

start_game
wait_for_output "OpenGL Ver.: "
wait_until_loaded
sleep 0.5
play="$(screenshot play)"

# The 1280 x 800 window holds the three 200 x 30 buttons of the main menu
# centred, 10 apart, "Return to Program" lowest: from the top, "Exit Program"
# is centred 360 pixels down, "About" 400 and "Return to Program" 440.
key Escape
sleep 1
menu="$(screenshot menu)"
dark "$menu" 20 780 || fail "no menu background: $(pixel "$menu" 20 780)"
[ "$(differing "$play" "$menu" 200x120+540+340)" -gt 5000 ] || fail "the menu buttons are not drawn"

click 640 400
about="$(screenshot about)"
[ "$(differing "$menu" "$about" 600x300+340+200)" -gt 5000 ] || fail "\"About\" did not open its page"
# The credits sit in a dark field above the page's two buttons.
dark "$about" 640 300 || fail "no credits field: $(pixel "$about" 640 300)"

# "About the Creators" is the second button from the bottom of the About page,
# above "Back" (centred 528 pixels down).
click 640 488
creators="$(screenshot creators)"
[ "$(differing "$about" "$creators" 600x300+340+200)" -gt 5000 ] || fail "\"About the Creators\" did not open"

key Escape
back="$(screenshot back-to-about)"
[ "$(differing "$about" "$back" 600x300+340+200)" -lt 2000 ] || fail "Escape did not go back to \"About\""
key Escape
key Escape
sleep 0.5
closed="$(screenshot closed)"
[ "$(differing "$menu" "$closed" 200x120+540+340)" -gt 5000 ] || fail "Escape on the main menu did not close it"

key Escape
sleep 0.5
click 640 360
status="$(wait_for_exit 60)"
[ "$status" = "0" ] || fail "\"Exit Program\" ended the game with status $status"
echo "interface_menu: ok"
