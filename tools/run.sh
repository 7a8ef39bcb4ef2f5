#!/bin/sh
# Sets up this Debian machine, builds the program and starts the analyser
# under Wine. With a display (DISPLAY set) it runs on that display and the
# user's sound system until it is closed. Without one it brings up a virtual
# display and a private PulseAudio whose null sink plays a test signal (a
# tone sweeping through the left channel, a steady one in the right), runs
# the analyser on it, writes screenshots under build/run and says where, and
# measures the processor time of the program at speeds 500 and 2000 against
# the floor program's (bench/floor_win.cpp: the same audio stream and frame
# timer doing nothing) in the same session: in rounds of the floor, then the
# program, whose means it reports, so that a drift of the machine's load
# falls on both. VELVANE_ROUNDS sets the rounds (3), VELVANE_MEASURE_SECONDS
# how long each measure lasts (10 s).
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
ROUNDS="${VELVANE_ROUNDS:-3}"

. "$ROOT/tools/session.sh"
trap session_cleanup EXIT
session_start "${VELVANE_RUN_DIR:-$ROOT/build/run}"
# The test signal is large: it goes with the session.
finish() {
    session_cleanup
    rm -f "$SESSION_DIR/signal.wav"
}
trap finish EXIT
# Long enough to play through every phase.
python3 "$ROOT/tools/e2e-tones.py" "$SESSION_DIR/signal.wav" $((ROUNDS * (3 * MEASURE_SECONDS + 30) + 30)) sweep
session_settings "$INPUT_DEVICE" "$OUTPUT_DEVICE" 0

# The speed read-out beside the knob, cut from screenshot NAME into
# NAME-rate.png.
rate_readout() {
    set -- "$1" $WHERE
    convert "$SESSION_DIR/$1.png" -crop "100x14+$(($2 + 834))+$(($3 + 271))" +repage \
        "$SESSION_DIR/$1-rate.png"
}

# Whether the read-outs of screenshots NAME1 and NAME2 have the same pixels.
same_readout() {
    [ "$(convert "$SESSION_DIR/$1-rate.png" -depth 8 rgb:- | cksum)" = \
        "$(convert "$SESSION_DIR/$2-rate.png" -depth 8 rgb:- | cksum)" ]
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

# The floor program in the same display, sound server and prefix: sets
# FLOOR_PERCENT; screenshot floorN.png.
measure_floor() {
    "$ROOT/tools/wine-run.sh" "$BUILD/bench/floor.exe" "$INPUT_DEVICE" "$OUTPUT_DEVICE" \
        >"$SESSION_DIR/floor$1.log" 2>&1 &
    SESSION_PROGRAM_PID=$!
    for _ in $(seq 60); do grep -q '^running' "$SESSION_DIR/floor$1.log" && break; sleep 0.5; done
    if ! grep -q '^running' "$SESSION_DIR/floor$1.log"; then
        echo "the floor program did not start: see $SESSION_DIR/floor$1.log" >&2
        exit 1
    fi
    sleep 2
    measure "$SESSION_PROGRAM_PID"
    FLOOR_PERCENT=$PROCESS_PERCENT
    import -window root "$SESSION_DIR/floor$1.png"
    kill "$SESSION_PROGRAM_PID"
    wait "$SESSION_PROGRAM_PID" 2>/dev/null || true
    SESSION_PROGRAM_PID=""
}

# The speed read-outs and the measures of one round: the floor, then the
# program at speed 500 (the default) and at speed 2000, the knob's end,
# reached by a turn far past it and checked by a further turn that must leave
# the read-out as it is. Appends to the lists FLOORS, PROGRAMS500,
# PROGRAMS2000, SERVERS500 and SERVERS2000.
measure_round() {
    measure_floor "$1"
    FLOORS="$FLOORS $FLOOR_PERCENT"
    session_program
    sleep 5
    session_shot "speed500-$1"
    rate_readout "speed500-$1"
    measure "$SESSION_PROGRAM_PID"
    PROGRAMS500="$PROGRAMS500 $PROCESS_PERCENT" SERVERS500="$SERVERS500 $SERVER_PERCENT"
    session_probe wheel 882 316 100 >/dev/null
    sleep 1
    session_shot "speed2000-$1"
    rate_readout "speed2000-$1"
    session_probe wheel 882 316 10 >/dev/null
    sleep 1
    session_shot "speed2000-again-$1"
    rate_readout "speed2000-again-$1"
    if same_readout "speed500-$1" "speed2000-$1" ||
        ! same_readout "speed2000-$1" "speed2000-again-$1"; then
        echo "the speed knob did not reach its end: see $SESSION_DIR/speed*-rate.png" >&2
        exit 1
    fi
    measure "$SESSION_PROGRAM_PID"
    PROGRAMS2000="$PROGRAMS2000 $PROCESS_PERCENT" SERVERS2000="$SERVERS2000 $SERVER_PERCENT"
    session_quit || true
}

mean() { echo "$@" | awk '{ for (i = 1; i <= NF; ++i) s += $i; printf "%.4f", s / NF }'; }

session_play "$SESSION_DIR/signal.wav"
FLOORS="" PROGRAMS500="" PROGRAMS2000="" SERVERS500="" SERVERS2000=""
for round in $(seq "$ROUNDS"); do measure_round "$round"; done
echo "screenshots of the analyser: $SESSION_DIR/speed500-1.png, $SESSION_DIR/speed2000-1.png"
echo "speed read-outs: $SESSION_DIR/speed500-1-rate.png, $SESSION_DIR/speed2000-1-rate.png"
echo "floor in each round:$FLOORS"
floor=$(mean $FLOORS)

report() { # speed, program %, wine server %
    awk -v speed="$1" -v t="$MEASURE_SECONDS" -v n="$ROUNDS" -v p="$2" -v f="$floor" -v s="$3" 'BEGIN {
        printf "processor time at speed %s over %d s: program %.1f%%, floor %.1f%% (ratio %.2f), wine server %.1f%%\n",
            speed, n * t, p, f, (f > 0 ? p / f : 0), s }'
}
report 2000 "$(mean $PROGRAMS2000)" "$(mean $SERVERS2000)"
report 500 "$(mean $PROGRAMS500)" "$(mean $SERVERS500)"
