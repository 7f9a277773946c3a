#!/usr/bin/env bash
# Takes the README's screenshots from the built game under Xvfb:
# docs/levels.png (the level list), docs/play.png (a shipped level playing).
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
bin="$src/build/bin"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cat >"$tmp/inner.sh" <<'INNER'
set -u
bin=$1; src=$2; tmp=$3
. "$src/tests/scripts/window_lib.sh"
start_game "$bin" "$src" "$tmp"
click 90 32; click 512 388; sleep 0.3
shot levels; cp "$tmp/levels.png" "$src/docs/levels.png"
click 344 256; sleep 0.2; click 462 25; sleep 2.6
shot play; cp "$tmp/play.png" "$src/docs/play.png"
stop_game
INNER
mkdir -p "$src/docs"
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$tmp/inner.sh" "$bin" "$src" "$tmp"
