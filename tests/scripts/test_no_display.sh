#!/usr/bin/env bash
# Started where there is no display, the game says it cannot open its window
# and ends at once with a failure status, instead of running on unseen.
set -u
bin=$1; src=$2
err=$(cd "$src" && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 20 "$bin/laserpuzzle" 2>&1 >/dev/null)
rc=$?
if [ $rc -eq 124 ]; then echo "FAIL: the game was still running after 20 s"; exit 1; fi
if [ $rc -eq 0 ]; then echo "FAIL: exit status 0 without a window"; exit 1; fi
grep -q "cannot open the window" <<<"$err" || { echo "FAIL: no message on stderr: $err"; exit 1; }
echo "ok: status $rc, $err"
