#!/usr/bin/env bash
# Starts the game under a virtual X server: a 1024x768 window captioned "Test"
# appears, shows the background colour, and SIGTERM ends the game cleanly.
set -u
bin=$1
src=$2
for tool in xvfb-run xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "missing $tool"; exit 1; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cat >"$tmp/inner.sh" <<'INNER'
set -u
bin=$1; src=$2; tmp=$3
cd "$src"
"$bin/laserpuzzle" >"$tmp/out" 2>"$tmp/err" &
pid=$!
fail() { echo "$*"; kill -TERM "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; exit 1; }

wid=$(timeout 30 xdotool search --sync --name '^Test$' | head -n 1)
[ -n "$wid" ] || fail "no window named Test appeared"
geom=$(xdotool getwindowgeometry "$wid")
echo "$geom"
size=$(sed -n 's/.*Geometry: *\([0-9]*x[0-9]*\).*/\1/p' <<<"$geom")
[ "$size" = "1024x768" ] || fail "window size is '$size', expected 1024x768"
x=$(sed -n 's/.*Position: *\([0-9]*\),\([0-9]*\).*/\1/p' <<<"$geom")
y=$(sed -n 's/.*Position: *\([0-9]*\),\([0-9]*\).*/\2/p' <<<"$geom")

# The first frames may not be on screen yet: look a few times.
colour=""
for _ in $(seq 1 20); do
  import -window root "$tmp/shot.png" 2>/dev/null
  colour=$(convert "$tmp/shot.png" -depth 8 -format "%[hex:p{$((x + 512)),$((y + 384))}]" info: 2>/dev/null)
  [ "$colour" = "505050" ] && break
  sleep 0.25
done
[ "$colour" = "505050" ] || fail "pixel inside the window is '$colour', expected 505050"
kill -0 "$pid" 2>/dev/null || fail "the game ended by itself"

kill -TERM "$pid"
status=0
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && { kill -KILL "$pid"; echo "the game did not end on SIGTERM"; exit 1; }
wait "$pid" || status=$?
[ "$status" -eq 0 ] || { echo "exit status $status after SIGTERM"; cat "$tmp/err"; exit 1; }
echo "ok"
INNER

timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$tmp/inner.sh" "$bin" "$src" "$tmp"
