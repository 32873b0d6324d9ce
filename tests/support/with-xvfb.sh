#!/usr/bin/env bash
# Runs a command under its own Xvfb server. Xvfb picks a free display itself
# (-displayfd), so any number of these can start at once without the display
# race of "xvfb-run -a". The server outlives its last client (-noreset), so
# keys sent just after the game quits do not meet a server being reset.
set -euo pipefail
fifo_dir="$(mktemp -d)"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$fifo_dir/display" 2>"$fifo_dir/xvfb.log" &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$fifo_dir"' EXIT
for _ in $(seq 100); do
  [ -s "$fifo_dir/display" ] && break
  kill -0 "$server" 2>/dev/null || { cat "$fifo_dir/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
export DISPLAY=":$(head -n 1 "$fifo_dir/display")"
unset XAUTHORITY
status=0
"$@" || status=$?
exit "$status"
