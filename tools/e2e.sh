#!/bin/sh
# The program as a user runs it, end to end: velvane.exe under Wine with a
# settings file naming a private PulseAudio null sink's devices hears a 1 kHz
# tone in the left channel and a 3 kHz tone in the right, and its sonogram
# shows them in their balance colours; again with "Mono Input", which makes
# the left tone white. A second copy started meanwhile ends at once. Each run
# ends with "&Quit" from a posted menu command, exit code 0 and the settings
# file intact. The program is the one a user gets: velvane.exe unpacked from
# the build's zip. Screenshots stay in build/e2e.
#   tools/e2e.sh [windows build tree]
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build/win}" && pwd)
. "$ROOT/tools/session.sh"
trap session_cleanup EXIT
session_start "$ROOT/build/e2e"
mkdir "$SESSION_DIR/package"
(cd "$SESSION_DIR/package" && cmake -E tar xf "$BUILD"/velvane-*-win64.zip)
PROGRAM="$SESSION_DIR/package/velvane.exe"
TONES_BOUND=60
python3 "$ROOT/tools/e2e-tones.py" "$SESSION_DIR/tones.wav" $((TONES_BOUND + 10))

run() { # name, mono input
    session_settings "Monitor of Null Output" "Null Output" "$2"
    session_program
    session_play "$SESSION_DIR/tones.wav"
    checked=0
    session_wait_for_tones "$1" "$1" "$TONES_BOUND" || checked=1
    kill "$SESSION_PLAY_PID" 2>/dev/null || true
    # A second copy ends at once with exit code 0 and leaves the settings alone.
    before=$(cksum < "$SETTINGS_DIR/settings.ini")
    second=0
    timeout 20 "$ROOT/tools/wine-run.sh" "$PROGRAM" >/dev/null 2>&1 || second=$?
    echo "$1: a second copy ended with exit code $second"
    [ "$second" = 0 ] && [ "$(cksum < "$SETTINGS_DIR/settings.ini")" = "$before" ] || checked=1
    code=0
    session_quit || code=$?
    echo "$1: exit code $code after \"&Quit\""
    grep -q "^indev=Monitor of Null Output" "$SETTINGS_DIR/settings.ini" &&
        grep -q "^monoinput=$2" "$SETTINGS_DIR/settings.ini" &&
        [ "$(grep -c '=' "$SETTINGS_DIR/settings.ini")" = 15 ] || {
        echo "$1: the settings file changed"
        checked=1
    }
    [ "$code" = 0 ] && [ "$checked" = 0 ]
}

run stereo 0
run mono 1
echo "e2e: passed (screenshots in $SESSION_DIR)"
