#!/bin/sh
# Sets up a Debian machine (packages, Windows dependencies), checks the
# formatting, builds both trees and runs every test: natively with sanitizers,
# and the Windows programs under Wine. Exits non-zero when anything fails.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
JOBS=$(nproc 2>/dev/null || echo 4)

"$ROOT/tools/setup-packages.sh"
"$ROOT/tools/setup-windeps.sh"

"$ROOT/tools/check-format.sh"

cmake --preset native >/dev/null
cmake --preset win >/dev/null
cmake --build --preset native -j "$JOBS"
cmake --build --preset win -j "$JOBS"

# One virtual display for every Windows test that needs one.
XVFB_PID=""
cleanup() {
    "$ROOT/tools/wine-run.sh" --kill 2>/dev/null || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
exec 8>"$ROOT/build/xvfb.display"
Xvfb -displayfd 8 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
for _ in $(seq 50); do [ -s "$ROOT/build/xvfb.display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$ROOT/build/xvfb.display")"

status=0
run_tests() { # build tree; keeps ctest's log and exit status
    { rc=0; ctest --preset "$1" -j "$JOBS" || rc=$?; echo "$rc" > "build/$1-tests.rc"; } |
        tee "build/$1-tests.log"
    [ "$(cat "build/$1-tests.rc")" = 0 ] || status=1
}
run_tests native
run_tests win

echo
echo "native: $(grep 'tests passed' build/native-tests.log || echo 'no test summary')"
echo "win:    $(grep 'tests passed' build/win-tests.log || echo 'no test summary')"
exit $status
