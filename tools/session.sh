# Sourced by tools/e2e.sh and tools/run.sh: velvane.exe under Wine with a
# display, a sound server and a prefix of its own.
#   session_start DIR      a virtual display and a private PulseAudio whose
#                          null sink "vsink" is also the capture's source
#   session_settings ...   writes settings.ini: [audio] indev outdev monoinput
#   session_program        starts the program, waits for the editor; sets WHERE
#   session_play WAV       plays a file into the sink (in the background)
#   session_shot NAME      screenshot DIR/NAME.png; sets WHERE again
#   session_check NAME MODE  tools/e2e-check.py on screenshot NAME (stereo |
#                          mono); its report on standard output
#   session_wait_for_tones NAME MODE SECONDS
#                          screenshots NAME until session_check passes, for at
#                          most SECONDS; prints the last report
#   session_quit           "&Quit" through a posted menu command; the exit code
#   session_wineserver     the process id of the prefix's Wine server (empty for
#                          none)
# Needs ROOT and BUILD (the Windows tree) set by the caller; VELVANE_SESSION_PREFIX
# names another Wine prefix than build/wine-session. PROGRAM is the program
# started, the tree's app/velvane.exe unless the caller changes it.

SESSION_PIDS=""
session_cleanup() {
    for pid in $SESSION_PLAY_PID $SESSION_PROGRAM_PID; do kill "$pid" 2>/dev/null || true; done
    "$ROOT/tools/wine-run.sh" --kill 2>/dev/null || true
    for pid in $SESSION_PIDS; do kill "$pid" 2>/dev/null || true; done
}

session_start() {
    SESSION_DIR=$1
    SESSION_PLAY_PID="" SESSION_PROGRAM_PID=""
    rm -rf "$SESSION_DIR"
    mkdir -p "$SESSION_DIR/pulse"
    export VELVANE_WINEPREFIX="${VELVANE_SESSION_PREFIX:-$ROOT/build/wine-session}"
    export WINEPREFIX="$VELVANE_WINEPREFIX"
    export XDG_RUNTIME_DIR="$SESSION_DIR/pulse"
    PROBE="$BUILD/tests/e2e/editor_probe.exe"
    PROGRAM="$BUILD/app/velvane.exe"
    SCREEN_WIDTH=1280 SCREEN_HEIGHT=1024

    exec 7>"$SESSION_DIR/display"
    Xvfb -displayfd 7 -screen 0 "${SCREEN_WIDTH}x${SCREEN_HEIGHT}x24" -nolisten tcp >/dev/null 2>&1 &
    SESSION_PIDS="$SESSION_PIDS $!"
    for _ in $(seq 50); do [ -s "$SESSION_DIR/display" ] && break; sleep 0.1; done
    export DISPLAY=":$(cat "$SESSION_DIR/display")"

    pulseaudio -D --exit-idle-time=-1 -n --load=module-native-protocol-unix \
        --load="module-null-sink sink_name=vsink" >"$SESSION_DIR/pulse.log" 2>&1
    SESSION_PIDS="$SESSION_PIDS $(cat "$XDG_RUNTIME_DIR/pulse/pid")"

    # The prefix exists after a first program ran in it.
    "$ROOT/tools/wine-run.sh" "$PROBE" where >/dev/null 2>&1 || true
    SETTINGS_DIR="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/tq_Velvane"
}

session_settings() { # input device, output device, mono input
    mkdir -p "$SETTINGS_DIR"
    cat > "$SETTINGS_DIR/settings.ini" <<INI
[audio]
driver=0
indev=$1
outdev=$2
in1=1
in2=2
out1=1
out2=2
monoinput=$3
iovs=512
sigvs=32
sr=44100
[midi]
indev=off
outdev=off
inchan=0
outchan=0
INI
}

session_program() {
    "$ROOT/tools/wine-run.sh" "$PROGRAM" >"$SESSION_DIR/program.log" 2>&1 &
    SESSION_PROGRAM_PID=$!
    WHERE=""
    for _ in $(seq 60); do
        WHERE=$("$ROOT/tools/wine-run.sh" "$PROBE" where 2>/dev/null | tr -d '\r') && [ -n "$WHERE" ] && return 0
        sleep 0.5
    done
    echo "the editor window did not appear" >&2
    return 1
}

session_probe() { "$ROOT/tools/wine-run.sh" "$PROBE" "$@"; }

session_play() {
    paplay --device=vsink "$1" &
    SESSION_PLAY_PID=$!
}

session_shot() {
    # Where the editor is now: the dialog moves it to the screen's middle after
    # creating it.
    WHERE=$(session_probe where | tr -d '\r')
    import -window root "$SESSION_DIR/$1.png"
}

session_check() {
    # shellcheck disable=SC2086
    convert "$SESSION_DIR/$1.png" -depth 8 rgb:- |
        python3 "$ROOT/tools/e2e-check.py" "$SCREEN_WIDTH" "$SCREEN_HEIGHT" $WHERE "$2"
}

# Under load the stream may take long to start and to fill the sonogram.
session_wait_for_tones() {
    deadline=$(($(date +%s) + $3))
    while :; do
        session_shot "$1"
        report=$(session_check "$1" "$2") && break
        if [ "$(date +%s)" -ge "$deadline" ]; then
            echo "$report"
            return 1
        fi
        sleep 1
    done
    echo "$report"
}

session_quit() {
    session_probe menu 40007 >/dev/null
    code=0
    wait "$SESSION_PROGRAM_PID" || code=$?
    SESSION_PROGRAM_PID=""
    return "$code"
}

# The Wine server works in the server directory of its prefix,
# server-DEV-INODE (the prefix directory's device and inode in hex) under
# /tmp/.wine-UID, or under a /tmp/wine-XXXXXX of its own where Debian's Wine
# makes one.
session_wineserver() {
    server_dir=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
    for cwd in /proc/[0-9]*/cwd; do
        case "$(readlink "$cwd" 2>/dev/null)" in
            "/tmp/.wine-$(id -u)/$server_dir" | /tmp/wine-*/"$server_dir")
                cwd=${cwd%/cwd}
                echo "${cwd#/proc/}"
                return 0
                ;;
        esac
    done
}
