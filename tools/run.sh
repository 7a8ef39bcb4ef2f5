#!/bin/sh
# Sets up this Debian machine, builds the program and starts the analyser
# under Wine. With a display (DISPLAY set) it runs on that display and the
# user's sound system until it is closed. Without one it brings up a virtual
# display and a private PulseAudio whose null sink plays a test signal (a
# tone sweeping through the left channel, a steady one in the right), runs
# the analyser on it for a few seconds, writes a screenshot under build/run
# and says where, and measures the program's processor time at the highest
# speed.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build/win"
cd "$ROOT"
"$ROOT/tools/setup-packages.sh"
"$ROOT/tools/setup-windeps.sh"
cmake --preset win >/dev/null
cmake --build --preset win -j "$(nproc 2>/dev/null || echo 4)" --target velvane editor_probe

if [ -n "${DISPLAY:-}" ]; then
    exec "$ROOT/tools/wine-run.sh" "$BUILD/app/velvane.exe"
fi

. "$ROOT/tools/session.sh"
trap session_cleanup EXIT
session_start "$ROOT/build/run"
python3 "$ROOT/tools/e2e-tones.py" "$SESSION_DIR/signal.wav" 40 sweep
session_settings "Monitor of Null Output" "Null Output" 0
session_program
session_play "$SESSION_DIR/signal.wav"
sleep 5
session_shot velvane
echo "screenshot of the analyser: $SESSION_DIR/velvane.png"

# Processor time at speed 2000: the speed knob turned to its end by the wheel.
session_probe wheel 882 316 "${VELVANE_WHEEL:-60}" >/dev/null
sleep 2
ticks() { # utime + stime of a process, in clock ticks
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}
# This session's own Wine server: the one started for its prefix.
server=""
for pid in $(pgrep -f wineserver || true); do
    if tr '\0' '\n' < "/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
        server=$pid
    fi
done
hz=$(getconf CLK_TCK)
p0=$(ticks "$SESSION_PROGRAM_PID"); s0=$([ -n "$server" ] && ticks "$server" || echo 0)
sleep 10
p1=$(ticks "$SESSION_PROGRAM_PID"); s1=$([ -n "$server" ] && ticks "$server" || echo 0)
session_shot speed2000
awk -v p=$((p1 - p0)) -v s=$((s1 - s0)) -v hz="$hz" 'BEGIN {
    printf "processor time at speed 2000 over 10 s: program %.1f%%, wine server %.1f%% of one core\n",
        100 * p / hz / 10, 100 * s / hz / 10 }'
session_quit || true
