#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, run and test.
# Does nothing when everything is present; uses sudo only when not root.
set -euo pipefail

PACKAGES=(
  # build tools
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # libraries
  libsdl2-dev libpng-dev libjpeg-dev zlib1g-dev
  libvorbis-dev libogg-dev
  libopenjp2-7-dev libmpg123-dev libopenmpt-dev
  libfreetype-dev libfontconfig-dev fonts-liberation fonts-dejavu-core
  # side-by-side references for benchmarks
  libpixman-1-dev libexpat1-dev libgif-dev
  # headless window tests
  xvfb xdotool x11-utils imagemagick
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
