#!/usr/bin/env bash
# Regenerates data/level/*.map from the text sources here with levelconv.
# Usage: tools/levels/build.sh [path/to/levelconv]   (default build/bin/levelconv)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
conv="${1:-$root/build/bin/levelconv}"
if [ ! -x "$conv" ]; then
  cmake --build "$root/build" -j2 --target levelconv >/dev/null
fi
mkdir -p "$root/data/level"
for txt in "$root"/tools/levels/*.txt; do
  name="$(basename "$txt" .txt)"
  "$conv" to-map "$txt" "$root/data/level/$name.map"
  echo "data/level/$name.map"
done
