#!/bin/sh
# Builds the PNG decoder's libFuzzer target with clang and runs it for the
# given number of seconds (default 60). Extra arguments go to the fuzzer.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
SECONDS_TO_RUN=${1:-60}
[ $# -gt 0 ] && shift
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
mkdir -p build/fuzz/corpus
build/fuzz/tests/raster/fuzz_png -max_total_time="$SECONDS_TO_RUN" "$@" build/fuzz/corpus
