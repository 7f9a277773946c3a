#!/usr/bin/env bash
# Rebuilds data/font_1.zfi, the menu font, from Debian's DejaVu Sans
# (package fonts-dejavu-core). Run from anywhere; builds fontbake if needed.
#
# 15 px is the largest size at which the longest option caption,
# "Интерактивный", centred 11 px right of its 180-pixel button, still clears
# the 22-pixel check box on the button's left.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
font="${FONT:-/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf}"
size="${SIZE:-15}"
build="${BUILD:-$root/build}"
[ -d "$build" ] || cmake -S "$root" -B "$build" > /dev/null
cmake --build "$build" --target fontbake -j2 > /dev/null
mkdir -p "$root/data"
"$build/bin/fontbake" "$font" "$size" "$root/data/font_1.zfi"
