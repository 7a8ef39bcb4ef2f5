#!/bin/sh
# Builds the benchmarks in an optimised native tree without sanitizers and runs them.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
cmake --preset bench >/dev/null
cmake --build --preset bench -j "$(nproc)"
for b in build/bench/bench/*_bench; do "$b" "$@"; done
