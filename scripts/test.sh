#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (unit, OpenGL under Xvfb, end to end).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
cd "$root/build"
ctest --output-on-failure -j "$(nproc)"
