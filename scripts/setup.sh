#!/usr/bin/env bash
# Installs the Debian packages Glebeworks needs, only those that are missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libsfml-dev libglew-dev libglu1-mesa-dev libftgl-dev libnoise-dev libassimp-dev
  libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core
  clang libclang-rt-14-dev
  xvfb xauth xdotool imagemagick x11-utils mesa-utils libgl1-mesa-dri
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
fi
