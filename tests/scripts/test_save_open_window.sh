#!/usr/bin/env bash
# Save and open through the menus in a real window: two objects and a rope
# are saved to a new level file, the level is emptied, opened again and played.
set -u
bin=$1
src=$2
for tool in xvfb-run xdotool import convert awk od; do
  command -v "$tool" >/dev/null || { echo "missing $tool"; exit 1; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cat >"$tmp/inner.sh" <<'INNER'
set -u
bin=$1; src=$2; tmp=$3
. "$src/tests/scripts/window_lib.sh"
start_game "$bin" "$src" "$tmp"
levels="$tmp/game/data/level"

# The level buttons' screen centre for list index I: five columns 84 apart from x 344, rows from y 256.
slot() { echo "$((344 + 84 * ($1 % 5))) $((256 + 84 * ($1 / 5)))"; }
# The sorted position of a file name among the *.map files, as the list orders them.
index_of() { ls "$levels" | grep -i '\.map$' | sort -f | grep -n -x -F "$1" | cut -d: -f1 | awk '{ print $1 - 1 }'; }

# A block at map (140, 140) = screen (354, 174); a big ball at map (350, 140) = screen (564, 174).
click 50 260; move 354 174; sleep 0.15; click 354 174
click 50 420; move 564 174; sleep 0.15; click 564 174
# The rope tool: block, then ball, at their centres.
click 50 660; click 354 174; click 564 174
sleep 0.2
shot level
dark level 362 182 || fail "no block at (362, 182)"
dark level 575 195 || fail "no ball at (575, 195)"
# The rope's white line between them.
[ "$(pixel level 400 174)" = "FFFFFF" ] && [ "$(pixel level 505 174)" = "FFFFFF" ] || fail "no rope line at y 174"

before=$(ls "$levels" | grep -i '\.map$' | wc -l)
click 90 32          # "Меню"
click 512 336        # "Сохранить"
sleep 0.2
shot levels
read -r px py <<<"$(slot "$before")"
click "$px" "$py"    # "+"
sleep 0.3
new=$(ls -t "$levels" | grep -i '\.map$' | head -n 1)
[ -n "$new" ] || fail "no level file was written"
[ "$(ls "$levels" | grep -i '\.map$' | wc -l)" -eq $((before + 1)) ] || fail "expected exactly one new file"
size=$(stat -c %s "$levels/$new")
[ "$size" -eq 240 ] || fail "$new has $size bytes, expected 3 records of 80"
# Each record: the shape tag's length at 64 and text from 65, the kind tag's length at 69 and text from 70.
tag() { od -A n -c -j "$2" -N "$3" "$levels/$new" | tr -d ' \n'; }
for rec in "0 RECT MAPOBJ" "1 CIRC MAPOBJ" "2 ROPE ROPE"; do
  read -r i shape kind <<<"$rec"
  got_shape=$(tag x $((80 * i + 65)) ${#shape})
  got_kind=$(tag x $((80 * i + 70)) ${#kind})
  [ "$got_shape" = "$shape" ] && [ "$got_kind" = "$kind" ] ||
    fail "record $i is $got_shape/$got_kind, expected $shape/$kind"
done
# The block's position: x 140, y 140 as little-endian int32 at the record's start.
pos=$(od -A n -t d4 -N 8 "$levels/$new" | tr -s ' ')
[ "$pos" = " 140 140" ] || fail "first record at '$pos', expected 140 140"

click 90 32          # "Меню"
click 512 284        # "Новый"
click 512 440        # "Закрыть"
sleep 0.2
shot emptied
dark emptied 362 182 && fail "the block is still there after Новый"

click 90 32          # "Меню"
click 512 388        # "Открыть"
i=$(index_of "$new")
[ -n "$i" ] || fail "$new is not in the list"
read -r px py <<<"$(slot "$i")"
click "$px" "$py"
sleep 0.2
shot opened
dark opened 362 182 || fail "the block did not come back"
dark opened 575 195 || fail "the ball did not come back"

click 462 25         # play
sleep 1.2
shot playing
dark playing 362 182 && fail "the block did not move in play"
low=$(lowest_dark playing 354 200 760)
[ -n "$low" ] || fail "the block is nowhere below its place"
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended by itself"
keep_shot opened editor.png
keep_shot levels levels.png
keep_shot playing playing.png
stop_game
echo ok
INNER

timeout 150 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$tmp/inner.sh" "$bin" "$src" "$tmp"
