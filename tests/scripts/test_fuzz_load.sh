#!/usr/bin/env bash
# A short fuzzing run of the level loader over the seed corpus.
# $1: the build's bin folder (unused), $2: the source folder.
set -euo pipefail
src="$2"
if ! command -v clang++ >/dev/null 2>&1 || ! command -v clang >/dev/null 2>&1; then
  echo "SKIP: clang is not installed; the level loader fuzz run needs it"
  exit 0
fi
build="$src/build-fuzz"
CC=clang CXX=clang++ cmake -S "$src" -B "$build" -DGAME_FUZZ=ON -DGAME_BENCH=OFF -DGAME_SANITIZE=OFF >/dev/null
cmake --build "$build" -j2 --target fuzz_load >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# New inputs go to a scratch folder; the committed corpus stays as it is.
cd "$work"
"$build/bin/fuzz_load" -max_total_time="${FUZZ_SECONDS:-15}" -timeout=10 -rss_limit_mb=2048 \
  "$work" "$src/tests/fuzz/corpus" 2>&1 | tail -n 5
