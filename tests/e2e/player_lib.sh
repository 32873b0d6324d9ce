# Helpers of the player's end-to-end tests, sourced after lib.sh.
#
# A software rasteriser on a busy machine may take seconds per frame, so these
# tests count frames rather than trust the clock: the game brings the captured
# pointer back to the window's centre once per frame.

# centred: true while the pointer is at the window's centre.
centred() {
  local x y size location
  read -r x y <<<"$(window_origin)"
  size="$(window_size)"
  location="$(xdotool getmouselocation --shell)"
  grep -qx "X=$((x + ${size%x*} / 2))" <<<"$location" && grep -qx "Y=$((y + ${size#*x} / 2))" <<<"$location"
}

# pointer_step DX DY: moves the captured pointer and waits for the frame that
# turns the view by it.
pointer_step() {
  xdotool mousemove_relative -- "$1" "$2"
  local waited=0
  until centred; do
    sleep 0.1
    waited=$((waited + 1))
    [ "$waited" -lt 1200 ] || fail "no frame for 120 s"
  done
}

# frames N: lets at least N frames pass, turning the view a pixel right and back.
frames() {
  for _ in $(seq "$1"); do
    pointer_step 1 0
    pointer_step -1 0
  done
}

# look_down: 45 degrees below the horizon, where the tools reach the ground,
# in steps the pointer can make inside the screen wherever the window lies.
look_down() {
  capture_pointer
  for _ in 1 2 3; do
    pointer_step 0 100
  done
}

# end_game: ends the game through its console and checks its status.
end_game() {
  console_command exit
  local status
  status="$(wait_for_exit 120)"
  [ "$status" = "0" ] || fail "exit status $status"
}
