#!/bin/sh
# Builds the benchmarks in an optimised native tree without sanitizers and runs them.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DVELVANE_SANITIZE=OFF >/dev/null
cmake --build build/bench -j "$(nproc)" --target core_bench analyser_bench raster_bench sono_bench
for b in build/bench/bench/*_bench; do "$b" "$@"; done
