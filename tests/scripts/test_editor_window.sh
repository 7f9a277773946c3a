#!/usr/bin/env bash
# The editor in a real window: place a plank, turn it with a middle click,
# play, and watch it fall.
set -u
bin=$1
src=$2
for tool in xvfb-run xdotool import convert awk; do
  command -v "$tool" >/dev/null || { echo "missing $tool"; exit 1; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cat >"$tmp/inner.sh" <<'INNER'
set -u
bin=$1; src=$2; tmp=$3
. "$src/tests/scripts/window_lib.sh"
start_game "$bin" "$src" "$tmp"

# The plank tool, then map (210, 140): screen (424, 174), on a grid dot.
click 50 180
move 424 174; sleep 0.15
click 424 174
click 424 174        # select the placed plank
click 424 174 2      # middle click: 15 degrees
sleep 0.2
shot editing
# The plank's centre, and a point 25 pixels along its turned long axis:
# turned by +15 degrees (clockwise), (0, 25) goes to (-25 sin 15, 25 cos 15) = (-6, 24).
dark editing 424 160 || fail "no plank above the centre at (424, 160): $(pixel editing 424 160)"
dark editing 418 198 || fail "no turned plank at (418, 198): $(pixel editing 418 198)"
# Unturned it would cover (424, 204), which the turned one leaves by 6 pixels.
dark editing 433 204 && fail "the plank does not look turned"
# Nothing is placed left of the field.
[ "$(pixel editing 200 400)" = "505050" ] || fail "background expected at (200, 400)"

click 462 25         # play
sleep 0.2
shot play0
sleep 1.0
shot play1
low0=$(lowest_dark play0 424 60 740)
low1=$(lowest_dark play1 424 60 740)
echo "plank bottom at y=${low0:-none} just after play, y=${low1:-none} a second later"
[ -n "$low0" ] || fail "no plank in the first play frame"
[ -z "$low1" ] || [ "$low1" -gt $((low0 + 40)) ] || fail "the plank did not fall"
dark play1 424 174 && fail "the plank is still at its editing place"
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended by itself"
keep_shot editing editor_plank.png
keep_shot play1 editor_falling.png
stop_game
echo ok
INNER

timeout 150 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$tmp/inner.sh" "$bin" "$src" "$tmp"
