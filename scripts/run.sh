#!/usr/bin/env bash
# Installs what is missing, builds and starts Glebeworks from the repository,
# whose resources/ folder is the game's working data. Without a display it
# plays a short tour under Xvfb and saves screenshots instead.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
cd "$root"
if [ -n "${DISPLAY:-}" ]; then
  exec "$root/build/glebeworks"
fi
exec bash "$root/scripts/tour.sh" "$root/build/glebeworks" "$root/screenshots"
