#!/usr/bin/env bash
# Peak resident memory of the game itself playing the stress level in a real
# window under Xvfb: the level is the only one in a scratch copy of data/, is
# opened through the menus and played for a few seconds.
#   bench/game_memory.sh BIN_DIR SOURCE_DIR    prints game_peak_rss_mb=M
# With SHOTS_DIR set, the played level's screenshot is kept there.
set -u
bin=$1
src=$2
for tool in xvfb-run xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "game_memory: $tool is missing, skipped"; exit 0; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cat >"$tmp/inner.sh" <<'INNER'
set -u
bin=$1; src=$2; tmp=$3
. "$src/tests/scripts/window_lib.sh"
# The scratch data/ with the stress level as its only level.
mkdir -p "$tmp/game/data"
cp -r "$src/data/." "$tmp/game/data/"
rm -f "$tmp/game/data/level/"*
"$bin/game_bench" --write-stress "$tmp/game/data/level/1001.map" || fail "cannot write the stress level"
# start_game copies data/ again; keep ours by pointing it at the scratch tree.
mkdir -p "$tmp/src"
cp -r "$tmp/game/data" "$tmp/src/"
start_game "$bin" "$tmp/src" "$tmp"
click 90 32     # "Меню"
click 512 388   # "Открыть"
sleep 0.3
click 344 256   # the first level
sleep 0.5
click 462 25    # play
sleep 5
shot playing
keep_shot playing game_memory_playing.png
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended while playing"
hwm=$(awk '/^VmHWM:/ { print $2 }' "/proc/$GAME_PID/status")
stop_game
[ -n "$hwm" ] || { echo "game_memory: no VmHWM"; exit 1; }
awk -v kb="$hwm" 'BEGIN { printf "game_peak_rss_mb=%.1f\n", kb / 1024 }'
INNER

xvfb-run -a -s "-screen 0 1280x1024x24" bash "$tmp/inner.sh" "$(cd "$bin" && pwd)" "$(cd "$src" && pwd)" "$tmp"
