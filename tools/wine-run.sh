#!/bin/sh
# Runs a Windows program under Wine with the project's private prefix.
# Used as the emulator of the cross build, so ctest runs each .exe through it.
# Without a DISPLAY the program gets a virtual X display of its own.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${VELVANE_WINEPREFIX:-$ROOT/build/wine}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="

WINE=/usr/lib/wine/wine64
[ -x "$WINE" ] || WINE=$(command -v wine64 || command -v wine)

# --kill stops the prefix's Wine server and every program in it.
if [ "${1:-}" = "--kill" ]; then
    exec "$(dirname "$WINE")/wineserver" -k
fi

# First use creates the prefix; parallel test runs wait for the one that does.
mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if [ ! -f "$WINEPREFIX/.created" ]; then
        "$WINE" wineboot -i >/dev/null 2>&1 || true
        "$(dirname "$WINE")/wineserver" -w 2>/dev/null || true
        touch "$WINEPREFIX/.created"
    fi
) 9>"$WINEPREFIX.lock"

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$WINE" "$@"
fi
exec "$WINE" "$@"
