#!/usr/bin/env bash
# The game started without its engine library beside it reports the failure
# and ends with a non-zero status, without trying to open a window.
set -u
bin=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp "$bin/laserpuzzle" "$tmp/"
cd "$tmp"
status=0
env -u DISPLAY -u WAYLAND_DISPLAY timeout 30 ./laserpuzzle >"$tmp/out" 2>"$tmp/err" || status=$?
if [ "$status" -eq 0 ]; then
  echo "expected a non-zero exit status without the engine"; exit 1
fi
if [ "$status" -eq 124 ]; then
  echo "the game did not end without the engine"; exit 1
fi
if ! grep -qx "Error while loading ZenGL" "$tmp/err"; then
  echo "missing error line on stderr; got:"; cat "$tmp/err"; exit 1
fi
echo "ok: status $status"
