#!/usr/bin/env bash
# The committed data/panel_r.png must be the render of tools/art/panel_r.svg,
# so an edit of the source cannot ship without its picture (or the reverse).
# $1 = build/bin directory (unused), $2 = source directory.
set -euo pipefail
src="${2:?source directory}"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
bash "$src/tools/art/render.sh" "$tmp/panel_r.png" >/dev/null
# Allow tiny antialiasing differences between rsvg versions: count pixels off
# by more than 3% in any channel, and accept at most 0.1% of the sheet.
diff="$(compare -metric AE -fuzz 3% "$src/data/panel_r.png" "$tmp/panel_r.png" null: 2>&1 || true)"
diff="${diff%% *}"
[[ "$diff" =~ ^[0-9.e+]+$ ]] || { echo "compare failed: $diff" >&2; exit 1; }
limit=$((1024 * 512 / 1000))
echo "pixels differing: $diff (limit $limit)"
awk -v d="$diff" -v l="$limit" 'BEGIN { exit !(d + 0 <= l) }'
