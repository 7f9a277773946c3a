#!/usr/bin/env bash
# Renders the GUI atlas from its SVG source to data/panel_r.png (1024x512 RGBA).
# Usage: tools/art/render.sh [output.png]   (run from anywhere)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
out="${1:-$root/data/panel_r.png}"
command -v rsvg-convert >/dev/null || { echo "rsvg-convert missing (Debian package librsvg2-bin)" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
rsvg-convert --format=png --width=1024 --height=512 --background-color=none \
  "$here/panel_r.svg" -o "$out"
echo "wrote $out"
