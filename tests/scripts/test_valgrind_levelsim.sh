#!/usr/bin/env bash
# valgrind memcheck on the level runner: every shipped level and the generated
# stress level play (more than once, as a user replays) without an invalid read
# or write, a use of an uninitialised value or a lost block; and what is still
# in use at exit does not grow with the number of plays.
#   $1 bin directory, $2 source directory; VALGRIND_TICKS, VALGRIND_CYCLES.
set -u
bin="$1"; src="$2"
ticks="${VALGRIND_TICKS:-40}"
cycles="${VALGRIND_CYCLES:-2}"
if ! command -v valgrind >/dev/null; then
  echo "skipped: valgrind is not installed"
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0

"$bin/stresslevel" "$work/stress.map" || { echo "FAIL: stresslevel could not write the stress level"; exit 1; }

vg() {  # log file, levelsim arguments...
  local log="$1"; shift
  valgrind --tool=memcheck --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect \
    --errors-for-leak-kinds=definite,indirect --log-file="$log" "$bin/levelsim" "$@" >/dev/null 2>&1
}
in_use() { sed -nE 's/.*in use at exit: ([0-9,]+) bytes.*/\1/p' "$1" | tr -d ,; }

for level in "$src"/data/level/*.map "$work/stress.map"; do
  name=$(basename "$level")
  log="$work/$name.log"
  vg "$log" "$level" --ticks "$ticks" --cycles "$cycles"; rc=$?
  errors=$(sed -nE 's/.*ERROR SUMMARY: ([0-9]+) errors.*/\1/p' "$log")
  if [ $rc -eq 0 ] && [ "${errors:-x}" = 0 ]; then
    echo "ok: $name, $cycles plays of $ticks ticks: 0 errors, $(in_use "$log") bytes in use at exit"
  else
    echo "FAIL: $name gave exit $rc, ${errors:-?} errors"; sed -n '1,80p' "$log"; fail=1
  fi
done

# Memory kept until exit must not depend on how often the level was played.
vg "$work/one.log" "$work/stress.map" --ticks "$ticks" --cycles 1
one=$(in_use "$work/one.log"); many=$(in_use "$work/stress.map.log")
if [ -n "$one" ] && [ "$one" = "$many" ]; then
  echo "ok: in use at exit is $one bytes after 1 play and after $cycles"
else
  echo "FAIL: in use at exit $one bytes after 1 play, $many after $cycles"; fail=1
fi
exit $fail
