#!/usr/bin/env bash
# The real window's drawing: a caption's text, blended primitives, the veil, and a
# shipped level opened through the menus and played, its beam showing in beam red
# along its path to the mirror and on down.
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
. "$src/tests/scripts/window_lib.sh"
start_game "$bin" "$src" "$tmp"

# True when one of the rows Y-1..Y+1 in column X is beam red: 0xF02222 at alpha 215 over the
# dark grey background comes out near (215, 41, 41).
red_near() {
  local y hex r g b
  for y in $(($3 - 1)) "$3" $(($3 + 1)); do
    hex=$(pixel "$1" "$2" "$y")
    [ -n "$hex" ] || continue
    r=$((16#${hex:0:2})); g=$((16#${hex:2:2})); b=$((16#${hex:4:2}))
    [ "$r" -gt 150 ] && [ "$g" -lt 110 ] && [ "$b" -lt 110 ] && return 0
  done
  return 1
}
# Or along a row, for the beam going down.
red_across() {
  local x
  for x in $(seq $(($2 - 2)) $(($2 + 2))); do red_near "$1" "$x" "$3" && return 0; done
  return 1
}

# The "Меню" caption: near-black text pixels centred on the button at (90, 32), on its light face.
text_pixels() {
  convert "$GAME_TMP/$1.png" -crop "$4x$5+$(($2 - $4 / 2))+$(($3 - $5 / 2))" +repage -depth 8 txt:- 2>/dev/null |
    awk -F'[:,() ]+' '/^[0-9]/ { if ($3 < 64 && $4 < 64 && $5 < 64) n++ } END { print n + 0 }'
}
shot caption
n=$(text_pixels caption 90 32 60 14)
[ "$n" -gt 40 ] || fail "only $n text pixels where the Меню caption is centred"
[ "$(text_pixels caption 90 52 60 6)" -eq 0 ] || fail "dark pixels below the Меню caption"

# Primitives blend by their alpha: a grid dot (white at alpha 53 over 0x505050) comes out near
# 0x74, not white, on its ring about 3 px right of the dot at (214, 34).
shot grid
ring=$(pixel grid 216 34)
r=$((16#${ring:0:2}))
[ "$r" -gt 90 ] && [ "$r" -lt 160 ] || fail "grid dot pixel $ring: alpha not blended"

click 90 32          # "Меню"
click 512 388        # "Открыть"
sleep 0.2
# The veil, 0x101017 at alpha 208 over the background, is about 0x1C1C22: dark, but not opaque.
shot veiled
veil=$(pixel veiled 700 400)
r=$((16#${veil:0:2}))
[ "$r" -gt 20 ] && [ "$r" -lt 36 ] || fail "veil pixel $veil: expected about 1C1C22"
click 344 256        # the first level, 1001.map
sleep 0.2
shot editing
red_near editing 400 174 && fail "a beam shows while editing"
click 462 25         # play
sleep 1.5            # about 100 ticks: the beam, 15 px longer each tick, has reached the mirror
shot playing
keep_shot playing beam.png
# The box sits at map (35, 140), 40 wide: its beam starts 17 px ahead (map x 52) on map y 140,
# screen (266, 174), and runs right to the mirror's face at map x 320 (screen 534).
for x in 290 350 420 500; do
  red_near playing "$x" 174 || fail "no beam red at ($x, 174)"
done
# Reflected downwards by the 45-degree mirror, along map x 315 (screen 529) towards the bomb.
for y in 260 360; do
  red_across playing 529 "$y" || fail "no reflected beam near (529, $y)"
done
red_near playing 700 174 && fail "the beam runs on past the mirror"
stop_game
echo "beam seen along its path"
INNER

xvfb-run -a -s "-screen 0 1280x1024x24" bash "$tmp/inner.sh" "$bin" "$src" "$tmp"
