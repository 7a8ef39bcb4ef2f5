#!/bin/sh
# Builds the benchmarks in an optimised native tree without sanitizers and
# runs them; then builds those of the Windows tree and runs them under Wine.
# Arguments go to every benchmark program. VELVANE_BENCH_BUILD and
# VELVANE_WIN_BUILD name other trees than build/bench and build/win.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
NATIVE_BUILD="${VELVANE_BENCH_BUILD:-$ROOT/build/bench}"
cmake --preset bench -B "$NATIVE_BUILD" >/dev/null
cmake --build "$NATIVE_BUILD" -j "$(nproc)" --target benchmarks
for b in "$NATIVE_BUILD"/bench/*_bench; do "$b" "$@"; done

# The Windows tree has every benchmark but the one measured against FFTW.
WIN_BUILD="${VELVANE_WIN_BUILD:-$ROOT/build/win}"
"$ROOT/tools/setup-windeps.sh"
cmake --preset win -B "$WIN_BUILD" >/dev/null
cmake --build "$WIN_BUILD" -j "$(nproc)" --target benchmarks
for b in "$WIN_BUILD"/bench/*_bench.exe; do "$ROOT/tools/wine-run.sh" "$b" "$@"; done
