# Helpers for the real-window scripts: run inside xvfb-run, with the game
# started in a scratch copy of data/ so no shipped level is touched.
#   start_game BIN SRC TMP   copies SRC/data to TMP/game, starts the game there
#   move X Y                 moves the mouse
#   click X Y [BUTTON]       moves, waits, clicks, waits (the 15 ms timer sees each step)
#   shot NAME                screenshot of the window as TMP/NAME.png
#   pixel NAME X Y           the pixel's hex colour, RRGGBB
#   dark NAME X Y            true when every channel is below 0x40 (the black looks)
#   stop_game                ends the game

start_game() {
  GAME_BIN=$1; GAME_TMP=$3
  mkdir -p "$GAME_TMP/game"
  cp -r "$2/data" "$GAME_TMP/game/"
  mkdir -p "$GAME_TMP/game/data/level"
  (cd "$GAME_TMP/game" && exec "$GAME_BIN/laserpuzzle" >"$GAME_TMP/out" 2>"$GAME_TMP/err") &
  GAME_PID=$!
  # A window seen while it is still being set up can vanish again: look
  # until one answers for its geometry.
  local geom=""
  for _ in $(seq 1 60); do
    WID=$(timeout 5 xdotool search --sync --name '^Test$' 2>/dev/null | tail -n 1)
    [ -n "$WID" ] && geom=$(xdotool getwindowgeometry "$WID" 2>/dev/null) && break
    sleep 0.5
  done
  [ -n "$geom" ] || fail "no window named Test appeared"
  # Without a window manager the engine places the window itself; every
  # position below is in window pixels.
  WX=$(sed -n 's/.*Position: *\([0-9]*\),\([0-9]*\).*/\1/p' <<<"$geom")
  WY=$(sed -n 's/.*Position: *\([0-9]*\),\([0-9]*\).*/\2/p' <<<"$geom")
  [ -n "$WX" ] && [ -n "$WY" ] || fail "no window position in: $geom"
  # Wait for the first drawn frame: the background colour away from the grid.
  for _ in $(seq 1 40); do
    shot first
    [ "$(pixel first 512 384)" = "505050" ] && return 0
    sleep 0.25
  done
  fail "the editor never drew its background"
}

fail() {
  echo "FAIL: $*"
  [ -n "${SHOTS_DIR:-}" ] && cp "$GAME_TMP"/*.png "$SHOTS_DIR/" 2>/dev/null
  [ -n "${GAME_TMP:-}" ] && [ -s "$GAME_TMP/err" ] && { echo "--- stderr"; cat "$GAME_TMP/err"; }
  stop_game
  exit 1
}

stop_game() {
  [ -n "${GAME_PID:-}" ] || return 0
  kill -TERM "$GAME_PID" 2>/dev/null
  for _ in $(seq 1 50); do kill -0 "$GAME_PID" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$GAME_PID" 2>/dev/null
  wait "$GAME_PID" 2>/dev/null
  GAME_PID=""
}

move() {
  xdotool mousemove $((WX + $1)) $((WY + $2))
}

click() {
  move "$1" "$2"
  sleep 0.1
  xdotool click "${3:-1}"
  sleep 0.15
}

shot() {
  import -window root -crop "1024x768+$WX+$WY" +repage "$GAME_TMP/$1.png" 2>/dev/null
}

pixel() {
  convert "$GAME_TMP/$1.png" -depth 8 -format "%[hex:p{$2,$3}]" info: 2>/dev/null | cut -c1-6
}

dark() {
  local hex
  hex=$(pixel "$1" "$2" "$3")
  [ -n "$hex" ] || return 1
  local r=$((16#${hex:0:2})) g=$((16#${hex:2:2})) b=$((16#${hex:4:2}))
  [ "$r" -lt 64 ] && [ "$g" -lt 64 ] && [ "$b" -lt 64 ]
}

# The lowest y in column X between Y0 and Y1 whose pixel is dark, or nothing.
lowest_dark() {
  local name=$1 x=$2 y0=$3 y1=$4 found=""
  local column
  column=$(convert "$GAME_TMP/$name.png" -crop "1x$((y1 - y0))+$x+$y0" +repage -depth 8 txt:- 2>/dev/null)
  # Lines look like "0,12: (37,42,49)  #252A31  srgb(37,42,49)".
  found=$(awk -F'[:,() ]+' '/^[0-9]/ { if ($3 < 64 && $4 < 64 && $5 < 64) y = $2 }
      END { if (y != "") print y }' <<<"$column")
  [ -n "$found" ] && echo $((y0 + found))
}

# Copies a screenshot to $SHOTS_DIR when that is set (for the README's pictures).
keep_shot() {
  [ -n "${SHOTS_DIR:-}" ] && cp "$GAME_TMP/$1.png" "$SHOTS_DIR/$2"
  return 0
}
