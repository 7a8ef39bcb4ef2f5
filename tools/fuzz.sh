#!/bin/sh
# Builds the libFuzzer targets with clang and runs each for the given number
# of seconds (default 60): the PNG decoder, and the plug-in's state from
# hosts' chunks and preset files (its corpus seeded with the plug-in's own
# state). Extra arguments go to the fuzzers.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
SECONDS_TO_RUN=${1:-60}
[ $# -gt 0 ] && shift
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
mkdir -p build/fuzz/corpus build/fuzz/state_corpus
build/fuzz/tests/raster/fuzz_png -max_total_time="$SECONDS_TO_RUN" "$@" build/fuzz/corpus
VELVANE_FUZZ_SEEDS=build/fuzz/state_corpus \
    build/fuzz/tests/fuzz/fuzz_state -max_total_time="$SECONDS_TO_RUN" "$@" build/fuzz/state_corpus
