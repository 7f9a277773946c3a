#!/usr/bin/env bash
# levelconv: every shipped level converts to text and back to the same bytes,
# the committed .map files match their text sources, and bad input exits 2.
set -euo pipefail
bin="$1"; src="$2"
work="$(mktemp -d)"; trap 'rm -rf "$work"' EXIT
for map in "$src"/data/level/*.map; do
  name="$(basename "$map" .map)"
  "$bin/levelconv" to-text "$map" "$work/$name.txt"
  "$bin/levelconv" to-map "$work/$name.txt" "$work/$name.map"
  cmp "$map" "$work/$name.map"
  "$bin/levelconv" to-map "$src/tools/levels/$name.txt" "$work/$name.src.map"
  cmp "$map" "$work/$name.src.map"
done
printf 'MAPOBJ RECT x=1 bogus=2\n' > "$work/bad.txt"
for args in "to-map $work/bad.txt $work/out.map" "to-text $work/missing.map $work/out.txt" "sideways a b"; do
  rc=0; "$bin/levelconv" $args 2>"$work/err" || rc=$?
  [ "$rc" -eq 2 ] || { echo "levelconv $args: exit $rc, wanted 2"; exit 1; }
  [ -s "$work/err" ] || { echo "levelconv $args: no message"; exit 1; }
done
echo ok
