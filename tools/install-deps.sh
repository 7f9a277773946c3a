#!/usr/bin/env bash
# Installs the Debian packages the build, the game and the tests need, when
# any is missing. Uses sudo when not root. Quiet when everything is there.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  libbox2d-dev libsdl2-dev libsdl2-image-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libfreetype-dev fonts-dejavu-core librsvg2-bin
  clang libclang-rt-14-dev
  xvfb xauth xdotool imagemagick
  valgrind
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
