#!/bin/sh
# Sets up this Debian machine, builds the program and starts the analyser
# under Wine. With a display (DISPLAY set) it runs on that display and the
# user's sound system until it is closed. Without one it brings up a virtual
# display and a private PulseAudio whose null sink plays a test signal (a
# tone sweeping through the left channel, a steady one in the right), runs
# the analyser on it for a few seconds, writes a screenshot under build/run
# and says where, and measures the processor time of the program at speeds
# 500 and 2000 and of the floor program (bench/floor_win.cpp: the same audio
# stream and frame timer doing nothing) in the same session.
# VELVANE_MEASURE_SECONDS sets how long each measure lasts (10 s).
# VELVANE_WIN_BUILD names another Windows tree than build/win, VELVANE_RUN_DIR
# another folder than build/run.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="${VELVANE_WIN_BUILD:-$ROOT/build/win}"
cd "$ROOT"
"$ROOT/tools/setup-packages.sh"
"$ROOT/tools/setup-windeps.sh"
cmake --preset win -B "$BUILD" >/dev/null
cmake --build "$BUILD" -j "$(nproc 2>/dev/null || echo 4)" --target velvane editor_probe floor

if [ -n "${DISPLAY:-}" ]; then
    exec "$ROOT/tools/wine-run.sh" "$BUILD/app/velvane.exe"
fi

INPUT_DEVICE="Monitor of Null Output" OUTPUT_DEVICE="Null Output"
MEASURE_SECONDS="${VELVANE_MEASURE_SECONDS:-10}"

. "$ROOT/tools/session.sh"
trap session_cleanup EXIT
session_start "${VELVANE_RUN_DIR:-$ROOT/build/run}"
# Long enough to play through every phase.
python3 "$ROOT/tools/e2e-tones.py" "$SESSION_DIR/signal.wav" $((3 * MEASURE_SECONDS + 60)) sweep
session_settings "$INPUT_DEVICE" "$OUTPUT_DEVICE" 0
session_program
session_play "$SESSION_DIR/signal.wav"
sleep 5
session_shot velvane
echo "screenshot of the analyser: $SESSION_DIR/velvane.png"

# The speed read-out beside the knob, cut from screenshot NAME into
# NAME-rate.png (to look at) and NAME-rate.rgb (to compare).
rate_readout() {
    set -- "$1" $WHERE
    convert "$SESSION_DIR/$1.png" -crop "100x14+$(($2 + 834))+$(($3 + 271))" +repage \
        "$SESSION_DIR/$1-rate.png"
    convert "$SESSION_DIR/$1-rate.png" -depth 8 "rgb:$SESSION_DIR/$1-rate.rgb"
}

ticks() { # utime + stime of a process in clock ticks, 0 when there is none
    if [ -n "$1" ] && [ -r "/proc/$1/stat" ]; then
        sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
    else
        echo 0
    fi
}
uptime_now() { cut -d' ' -f1 /proc/uptime; }

percent() { # ticks, uptime at start and end: percent of one core
    awk -v d="$1" -v hz="$(getconf CLK_TCK)" -v t0="$2" -v t1="$3" \
        'BEGIN { printf "%.4f", 100 * d / hz / (t1 - t0) }'
}

# Processor time of process $1 and of the prefix's Wine server over
# MEASURE_SECONDS, in percent of one core: sets PROCESS_PERCENT and
# SERVER_PERCENT.
measure() {
    server=$(session_wineserver)
    [ -n "$server" ] || echo "no Wine server runs for $WINEPREFIX" >&2
    p0=$(ticks "$1") s0=$(ticks "$server") t0=$(uptime_now)
    sleep "$MEASURE_SECONDS"
    p1=$(ticks "$1") s1=$(ticks "$server") t1=$(uptime_now)
    PROCESS_PERCENT=$(percent $((p1 - p0)) "$t0" "$t1")
    SERVER_PERCENT=$(percent $((s1 - s0)) "$t0" "$t1")
}

# Speed 500 is the default.
session_shot speed500
rate_readout speed500
measure "$SESSION_PROGRAM_PID"
program500=$PROCESS_PERCENT server500=$SERVER_PERCENT

# Speed 2000 is the knob's end: a turn far past it, and a further turn that
# must leave the read-out as it is.
session_probe wheel 882 316 100 >/dev/null
sleep 1
session_shot speed2000
rate_readout speed2000
session_probe wheel 882 316 10 >/dev/null
sleep 1
session_shot speed2000-again
rate_readout speed2000-again
if cmp -s "$SESSION_DIR/speed500-rate.rgb" "$SESSION_DIR/speed2000-rate.rgb" ||
    ! cmp -s "$SESSION_DIR/speed2000-rate.rgb" "$SESSION_DIR/speed2000-again-rate.rgb"; then
    echo "the speed knob did not reach its end: see $SESSION_DIR/speed*-rate.png" >&2
    exit 1
fi
echo "speed read-outs: $SESSION_DIR/speed500-rate.png, $SESSION_DIR/speed2000-rate.png"
measure "$SESSION_PROGRAM_PID"
program2000=$PROCESS_PERCENT server2000=$SERVER_PERCENT
session_quit || true

# The floor program in the same display, sound server and prefix; the
# session's clean-up stops it.
"$ROOT/tools/wine-run.sh" "$BUILD/bench/floor.exe" "$INPUT_DEVICE" "$OUTPUT_DEVICE" \
    >"$SESSION_DIR/floor.log" 2>&1 &
SESSION_PROGRAM_PID=$!
for _ in $(seq 60); do grep -q '^running' "$SESSION_DIR/floor.log" && break; sleep 0.5; done
if ! grep -q '^running' "$SESSION_DIR/floor.log"; then
    echo "the floor program did not start: see $SESSION_DIR/floor.log" >&2
    exit 1
fi
sleep 2
measure "$SESSION_PROGRAM_PID"
floor=$PROCESS_PERCENT
import -window root "$SESSION_DIR/floor.png"
kill "$SESSION_PROGRAM_PID"
wait "$SESSION_PROGRAM_PID" 2>/dev/null || true
SESSION_PROGRAM_PID=""

report() { # speed, program %, wine server %
    awk -v speed="$1" -v t="$MEASURE_SECONDS" -v p="$2" -v f="$floor" -v s="$3" 'BEGIN {
        printf "processor time at speed %s over %d s: program %.1f%%, floor %.1f%% (ratio %.2f), wine server %.1f%%\n",
            speed, t, p, f, (f > 0 ? p / f : 0), s }'
}
report 2000 "$program2000" "$server2000"
report 500 "$program500" "$server500"
