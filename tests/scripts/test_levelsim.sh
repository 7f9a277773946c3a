#!/usr/bin/env bash
# The level runner plays every shipped level's intended solution headless and
# the outcome is the one the puzzle is built for; bad arguments exit 2.
set -u
bin="$1"; src="$2"
sim="$bin/levelsim"
fail=0
check() {  # description, command output, extended regex that must match
  if grep -Eq "$3" <<<"$2"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi
}
absent() {
  if grep -Eq "$3" <<<"$2"; then echo "FAIL: $1"; fail=1; else echo "ok: $1"; fi
}
# The y of object N in the final poses, as a whole number.
final_y() { grep -E "^\{\"object\":$2,\"kind\"" <<<"$1" | sed -E 's/.*"y":(-?[0-9]+).*/\1/'; }

# 1001: the beam, bounced by the mirror, sets off the bomb, whose blast throws the ball (object 4) off its ledge.
out=$("$sim" "$src/data/level/1001.map" --ticks 400 2>/dev/null)
check "1001 bomb goes off" "$out" '"event":"gone","object":3'
y=$(final_y "$out" 4); [ "${y:-0}" -gt 700 ] && echo "ok: 1001 ball off the ledge (y=$y)" || { echo "FAIL: 1001 ball still at y=$y"; fail=1; }

# 1002: the beam burns the rope through and the weight (object 1, hung at y 280) falls onto the floor.
out=$("$sim" "$src/data/level/1002.map" --ticks 300 2>/dev/null)
check "1002 rope burns" "$out" '"event":"burn","rope":0'
y=$(final_y "$out" 1); [ "${y:-0}" -gt 500 ] && echo "ok: 1002 weight fell (y=$y)" || { echo "FAIL: 1002 weight at y=$y"; fail=1; }

# 1003: one lit bomb sets off the next, three in a row.
out=$("$sim" "$src/data/level/1003.map" --ticks 400 2>/dev/null)
for b in 2 3 4; do check "1003 bomb $b goes off" "$out" "\"event\":\"gone\",\"object\":$b"; done

# 1004: untouched, the beam misses; three presses of the mirror's -15 button (50 px right of it,
# map (383, 245) + screen origin (214, 34)) aim it onto the bomb, which blasts the ball away.
out=$("$sim" "$src/data/level/1004.map" --ticks 400 2>/dev/null)
absent "1004 untouched: no explosion" "$out" '"event":"ignite"'
out=$("$sim" "$src/data/level/1004.map" --ticks 400 --click 597,279@2 --click 597,279@3 --click 597,279@4 2>/dev/null)
check "1004 turned mirror: bomb goes off" "$out" '"event":"gone","object":3'
check "1004 mirror turned by 45 degrees" "$out" '"object":1,"kind":"MAPOBJ","x":333,"y":245,"angle":-45'

# --beams: the box at x 35 is 40 wide, so its emitter E is 0.4*40 = 16 ahead (51), Origin one more
# (52), and the first ray of length 15 starts 2 past Origin: it ends at 69.
out=$("$sim" "$src/data/level/1002.map" --ticks 1 --beams 2>/dev/null)
check "beam line on tick 1" "$out" '^\{"tick":1,"beam":0,"points":\[\[52,175\],\[69,175\]\]\}$'

# Only JSON on standard output.
out=$("$sim" "$src/data/level/1003.map" --ticks 50 2>/dev/null)
absent "stdout is JSON only" "$out" '^[^{]'

# Bad arguments and unreadable files: one line on stderr, exit 2.
for args in "" "--ticks" "$src/data/level/1001.map --ticks x" "$src/data/level/1001.map --ticks 0" \
            "$src/data/level/1001.map --click 1,2" "$src/data/level/1001.map --bogus" "/nonexistent.map" \
            "$src/data/level/1001.map $src/data/level/1002.map"; do
  # shellcheck disable=SC2086
  err=$("$sim" $args 2>&1 >/dev/null); rc=$?
  if [ $rc -eq 2 ] && [ "$(wc -l <<<"$err")" -eq 1 ]; then echo "ok: exit 2 for '$args'"; else echo "FAIL: '$args' gave $rc: $err"; fail=1; fi
done
exit $fail
