#!/bin/sh
# The program under faults a hostile user meets, end to end under Wine with a
# private PulseAudio: the sound server killed or its sink unloaded mid-run
# (one notice, naming that cause), "Preferences..." posted ten times, "ASIO"
# chosen in a build without it, an I/O vector size the device cannot serve,
# devices that never run, the settings folder missing or blocked, copies
# started while one runs, the settings file unwritable. Each run that gets a
# main window ends with "&Quit", which must end the process within a bound
# with exit code 0 and the settings file byte-identical. Screenshots stay in
# build/e2e-faults.
#   tools/e2e-faults.sh [windows build tree [case ...]]
# Cases: killed terminated unloaded burst asio iovs silent folder copies
# unwritable (all by default). VELVANE_SESSION_PREFIX names another Wine
# prefix.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build/win}" && pwd)
export VELVANE_SESSION_PREFIX="${VELVANE_SESSION_PREFIX:-$ROOT/build/wine-session-faults}"
. "$ROOT/tools/session.sh"
# The unwritable case's immutable file, whatever happens.
unlock_settings() { chattr -i "${SETTINGS_DIR:-/nonexistent}/settings.ini" 2>/dev/null || true; }
trap 'unlock_settings; session_cleanup' EXIT
session_start "$ROOT/build/e2e-faults"
unlock_settings  # left so by a run that was killed
python3 "$ROOT/tools/e2e-tones.py" "$SESSION_DIR/tones.wav" 120
QUIT_BOUND=15
TONES_BOUND=60
NOTICE="Velvane audio"
failures=0

fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# Polls until `editor_probe count TITLE` prints N (default: at least 1).
wait_for_window() { # title, seconds, [exact count]
    for _ in $(seq $(($2 * 4))); do
        n=$(session_probe count "$1" 2>/dev/null | tr -d '\r')
        if [ -n "${3:-}" ]; then [ "$n" = "$3" ] && return 0
        else [ "${n:-0}" -ge 1 ] && return 0; fi
        sleep 0.25
    done
    return 1
}

# "&Quit", then the process must end within QUIT_BOUND seconds with exit code
# 0 and the settings file as it was before the run.
quit_within_bound() { # name, settings checksum
    session_probe menu 40007 >/dev/null || fail "$1: no main window to quit"
    for _ in $(seq $((QUIT_BOUND * 4))); do
        kill -0 "$SESSION_PROGRAM_PID" 2>/dev/null || break
        sleep 0.25
    done
    if kill -0 "$SESSION_PROGRAM_PID" 2>/dev/null; then
        fail "$1: the process did not end within $QUIT_BOUND s of \"&Quit\""
        kill "$SESSION_PROGRAM_PID" 2>/dev/null || true
        "$ROOT/tools/wine-run.sh" --kill 2>/dev/null || true
    fi
    code=0
    wait "$SESSION_PROGRAM_PID" || code=$?
    SESSION_PROGRAM_PID=""
    [ "$code" = 0 ] || fail "$1: exit code $code after \"&Quit\""
    [ "$(cksum < "$SETTINGS_DIR/settings.ini")" = "$2" ] || fail "$1: the settings file changed"
    echo "$1: exit code $code after \"&Quit\""
}

pulse_pid() { cat "$XDG_RUNTIME_DIR/pulse/pid"; }
pulse_start() {
    pulseaudio -D --exit-idle-time=-1 -n --load=module-native-protocol-unix \
        --load="module-null-sink sink_name=vsink" >>"$SESSION_DIR/pulse.log" 2>&1
    SESSION_PIDS="$SESSION_PIDS $(pulse_pid)"
}

# The tones' rows show in the sonogram within TONES_BOUND seconds.
tones_shown() { # name
    session_wait_for_tones "$1" stereo "$TONES_BOUND" >/dev/null
}

# No audio notice is open (one that is, is quoted).
no_notice() { # name, when
    [ "$(session_probe count "$NOTICE" | tr -d '\r')" = 0 ] && return
    fail "$1: a notice $2: \"$(session_probe text "$NOTICE" | tr -d '\r')\""
}

# The audio notice that shows within 15 s (or the seconds given) must begin
# with the text given; it is then closed.
first_notice() { # name, beginning of the text, [seconds]
    wait_for_window "$NOTICE" "${3:-15}" || { fail "$1: no notice"; return; }
    text=$(session_probe text "$NOTICE" | tr -d '\r')
    echo "$1: the notice says \"$text\""
    case "$text" in "$2"*) ;; *) fail "$1: the notice does not begin \"$2\"" ;; esac
    session_probe cancel "$NOTICE" >/dev/null || true
}

start() { # settings lines to change, as sed expressions
    session_settings "Monitor of Null Output" "Null Output" 0
    for change in "$@"; do sed -i "$change" "$SETTINGS_DIR/settings.ini"; done
    SUM=$(cksum < "$SETTINGS_DIR/settings.ini")
    session_program || fail "no main window"
}

# The sound server goes away mid-run (killed, or its sink unloaded): the user
# is told once that the stream stopped, the preferences stay usable, OK opens
# the devices again once they are back, and "&Quit" ends the process.
server_gone() { # name, how: KILL | TERM | unload
    pactl info >/dev/null 2>&1 || pulse_start
    start
    session_play "$SESSION_DIR/tones.wav"
    tones_shown "$1-before" || fail "$1: no sound before the fault"
    no_notice "$1" "before the fault"
    case "$2" in
        unload)
            module=$(pactl list short modules | awk '/module-null-sink/ { print $1 }')
            pactl unload-module "$module" ;;
        *) kill "-$2" "$(pulse_pid)" ;;
    esac
    # One notice, with the cause.
    first_notice "$1" "The audio stream has stopped delivering sound: its device or the sound server"
    # Apply on the dead devices: the dialog must stay usable.
    session_probe menu 40006 >/dev/null
    wait_for_window "Preferences" 10 || fail "$1: no preferences dialog"
    session_probe button "Preferences" 40024 >/dev/null || fail "$1: no Apply"
    session_probe cancel "Preferences" >/dev/null || fail "$1: no Cancel"
    wait_for_window "Preferences" 10 0 || fail "$1: the preferences dialog does not answer"
    no_notice "$1" "after the first"
    case "$2" in
        unload) pactl load-module module-null-sink sink_name=vsink >/dev/null ;;
        KILL) pulse_start ;;
    esac
    if [ "$2" != TERM ]; then
        kill "$SESSION_PLAY_PID" 2>/dev/null || true
        session_play "$SESSION_DIR/tones.wav"
        session_probe menu 40006 >/dev/null
        wait_for_window "Preferences" 10 || fail "$1: no preferences dialog"
        session_probe ok "Preferences" >/dev/null
        tones_shown "$1-back" || fail "$1: no sound after OK once the devices were back"
    fi
    no_notice "$1" "at the end"
    kill "$SESSION_PLAY_PID" 2>/dev/null || true
    quit_within_bound "$1" "$SUM"
    # The patched audio library ends the stream: no stream was given up.
    ! grep -q "did not end within" "$SESSION_DIR/program.log" ||
        fail "$1: an audio stream did not end and was given up"
}

case_killed() { server_gone killed KILL; }
case_terminated() { server_gone terminated TERM; }
case_unloaded() { server_gone unloaded unload; }

# "Preferences..." ten times in a row: one dialog, and "&Quit" with it open
# ends the process.
case_burst() {
    start
    session_probe menu 40006 10 >/dev/null
    sleep 3
    [ "$(session_probe count Preferences | tr -d '\r')" = 1 ] ||
        fail "burst: not exactly one preferences dialog"
    quit_within_bound burst "$SUM"
}

# "ASIO" in a build without it: the notice, then sound through DirectSound.
case_asio() {
    start "s/^driver=.*/driver=1/"
    first_notice asio "ASIO is not available; using DirectSound instead."
    session_play "$SESSION_DIR/tones.wav"
    tones_shown asio || fail "asio: no sound through DirectSound"
    no_notice asio "about the stream"
    kill "$SESSION_PLAY_PID" 2>/dev/null || true
    quit_within_bound asio "$SUM"
}

# An I/O vector size the audio library would silently replace: refused, and
# the user told; the preferences show the smallest size that holds a signal
# vector of 1024 in its place. Cancel brings the stored size back (refused
# and told again, the file unchanged); OK stores the size shown, which plays.
refused_iovs() { # size, cancel | ok
    name="iovs $1"
    start "s/^iovs=.*/iovs=$1/" "s/^sigvs=.*/sigvs=1024/"
    first_notice "$name" "The audio stream was not started: the I/O vector size is too small."
    grep -q "the I/O vector size is too small" "$SESSION_DIR/program.log" ||
        fail "$name: not refused"
    session_probe menu 40006 >/dev/null
    wait_for_window "Preferences" 10 || fail "$name: no preferences dialog"
    shown=$(session_probe selection "Preferences" 40011 | tr -d '\r')
    echo "$name: the I/O vector size box shows \"$shown\""
    [ "$shown" = 1024 ] || fail "$name: the I/O vector size box does not show 1024"
    session_probe "$2" "Preferences" >/dev/null || fail "$name: no $2"
    wait_for_window "Preferences" 10 0 || fail "$name: the preferences dialog stays"
    case "$2" in
        cancel)
            first_notice "$name after Cancel" "The audio stream was not started:" ;;
        ok)
            session_play "$SESSION_DIR/tones.wav"
            tones_shown "iovs-$1-ok" || fail "$name: no sound after OK"
            no_notice "$name" "after OK"
            kill "$SESSION_PLAY_PID" 2>/dev/null || true
            grep -q "^iovs=1024" "$SETTINGS_DIR/settings.ini" ||
                fail "$name: OK did not store the size shown"
            SUM=$(cksum < "$SETTINGS_DIR/settings.ini") ;;
    esac
    quit_within_bound "$name" "$SUM"
}

case_iovs() {
    # A size the device takes but cannot keep up with: told.
    start "s/^iovs=.*/iovs=32/" "s/^sigvs=.*/sigvs=1024/"
    first_notice "iovs 32" "The audio stream delivers only"
    quit_within_bound "iovs 32" "$SUM"
    refused_iovs 0 cancel
    refused_iovs 3 ok
}

# Devices that never run (the sink suspended): the stream is opened again
# once, then the user is told; OK opens it again once they run.
case_silent() {
    pactl suspend-sink vsink 1
    export WINEDEBUG="-all,+debugstr"  # the program's debug lines
    start
    unset WINEDEBUG
    first_notice silent "The audio stream delivers no sound." 30
    [ "$(grep -c "it is opened again" "$SESSION_DIR/program.log")" = 1 ] ||
        fail "silent: not opened again once before the notice"
    pactl suspend-sink vsink 0
    session_play "$SESSION_DIR/tones.wav"
    session_probe menu 40006 >/dev/null
    wait_for_window "Preferences" 10 || fail "silent: no preferences dialog"
    session_probe ok "Preferences" >/dev/null
    tones_shown silent || fail "silent: no sound after OK once the devices run"
    no_notice silent "after the first"
    kill "$SESSION_PLAY_PID" 2>/dev/null || true
    quit_within_bound silent "$SUM"
}

case_folder() {
    # The local application-data folder missing: made again.
    rm -rf "$(dirname "$SETTINGS_DIR")"
    session_program || fail "missing folder: no main window"
    [ -f "$SETTINGS_DIR/settings.ini" ] || fail "missing folder: no settings file made"
    quit_within_bound "missing folder" "$(cksum < "$SETTINGS_DIR/settings.ini" 2>/dev/null)"
    # A file where the settings folder goes: the user is told, exit code 1.
    rm -rf "$SETTINGS_DIR"
    echo kept > "$SETTINGS_DIR"
    "$ROOT/tools/wine-run.sh" "$BUILD/app/velvane.exe" >"$SESSION_DIR/program.log" 2>&1 &
    SESSION_PROGRAM_PID=$!
    wait_for_window "Velvane cannot start" 20 || fail "blocked folder: no message"
    session_probe ok "Velvane cannot start" >/dev/null || true
    code=0
    wait "$SESSION_PROGRAM_PID" || code=$?
    SESSION_PROGRAM_PID=""
    [ "$code" = 1 ] || fail "blocked folder: exit code $code"
    [ "$(cat "$SETTINGS_DIR")" = kept ] || fail "blocked folder: the file in the way changed"
    rm -f "$SETTINGS_DIR"
}

# A copy started while the first runs ends with exit code 0 and brings the
# first one's main window to the front: the foreground window, in front of
# all others, restored when minimised.
copy_brings_front() { # name
    copy=0
    "$ROOT/tools/wine-run.sh" "$BUILD/app/velvane.exe" >"$SESSION_DIR/copy.log" 2>&1 || copy=$?
    [ "$copy" = 0 ] || fail "$1: the copy's exit code $copy"
    # The first copy handles the restore on its own thread: waited for.
    for _ in $(seq 40); do
        foreground=$(session_probe foreground | tr -d '\r')
        top=$(session_probe top | tr -d '\r')
        [ "$foreground" = Velvane ] && [ "$top" = Velvane ] && break
        sleep 0.25
    done
    echo "$1: foreground \"$foreground\", in front \"$top\""
    [ "$foreground" = Velvane ] || fail "$1: the main window is not the foreground window"
    [ "$top" = Velvane ] || fail "$1: the main window is not in front"
}

# A start right after "&Quit" waits for the copy that is ending and starts;
# ten copies started at once give one window, the others end with exit code 0;
# a copy brings the main window to the front from behind another program's
# window and from minimised.
case_copies() {
    start
    session_probe menu 40007 >/dev/null
    old=$SESSION_PROGRAM_PID
    wait_for_window Velvane 10 0 || fail "restart: the main window stays"
    session_program || fail "restart: a start right after \"&Quit\" gave no window"
    wait "$old" || fail "restart: the ending copy's exit code $?"
    quit_within_bound restart "$SUM"

    pids=""
    for i in $(seq 10); do
        "$ROOT/tools/wine-run.sh" "$BUILD/app/velvane.exe" >"$SESSION_DIR/copy$i.log" 2>&1 &
        pids="$pids $!"
    done
    wait_for_window Velvane 30 1 || fail "copies: no main window"
    ended=0 running=""
    for pid in $pids; do
        for _ in $(seq 80); do kill -0 "$pid" 2>/dev/null || break; sleep 0.25; done
        if kill -0 "$pid" 2>/dev/null; then running="$running $pid"
        else wait "$pid" && ended=$((ended + 1)); fi
    done
    [ "$ended" = 9 ] || fail "copies: $ended copies ended with exit code 0, not 9"
    [ "$(session_probe count Velvane | tr -d '\r')" = 1 ] || fail "copies: not one main window"
    SESSION_PROGRAM_PID=$(echo $running | cut -d' ' -f1)

    "$ROOT/tools/wine-run.sh" notepad >/dev/null 2>&1 &
    other=$!
    for _ in $(seq 80); do
        [ "$(session_probe top | tr -d '\r')" != Velvane ] && break
        sleep 0.25
    done
    [ "$(session_probe top | tr -d '\r')" != Velvane ] || fail "copies: no other window in front"
    copy_brings_front "copy behind another window"
    session_probe minimise Velvane || fail "copies: the main window was not minimised"
    copy_brings_front "copy when minimised"
    kill "$other" 2>/dev/null || true
    wait "$other" 2>/dev/null || true
    quit_within_bound copies "$SUM"
}

# Preferences, the controls given clicked, then OK: the notice that the
# settings file was not written shows within 15 s and names the file.
ok_tells_unwritten() { # control ids
    session_probe menu 40006 >/dev/null
    wait_for_window Preferences 10 || fail "unwritable: no preferences dialog"
    for id in "$@"; do session_probe click Preferences "$id" || fail "unwritable: no control $id"; done
    session_probe ok Preferences >/dev/null
    wait_for_window "Velvane settings" 15 || { fail "unwritable: no notice"; return; }
    text=$(session_probe text "Velvane settings" | tr -d '\r')
    printf 'unwritable: the notice says "%s"\n' "$text"
    file="C:\\users\\$(id -un)\\AppData\\Local\\tq_Velvane\\settings.ini"
    case "$text" in *"$file"*) ;; *) fail "unwritable: the notice does not name $file" ;; esac
}

# The settings file made immutable before the start (a read-only mode does
# not stop a root process under Wine): the start-up's write fails unseen; OK
# keeps the change, Mono Input, for the session and tells that the file was
# not written, which stays as it was; "&Quit" with that notice open ends the
# process.
case_unwritable() {
    session_settings "Monitor of Null Output" "Null Output" 0
    chattr +i "$SETTINGS_DIR/settings.ini" || fail "unwritable: chattr +i refused"
    SUM=$(cksum < "$SETTINGS_DIR/settings.ini")
    session_program || fail "unwritable: no main window"
    session_play "$SESSION_DIR/tones.wav"
    ok_tells_unwritten 40023
    session_probe cancel "Velvane settings" >/dev/null || true
    wait_for_window "Velvane settings" 10 0 || fail "unwritable: the notice stays"
    session_wait_for_tones unwritable mono "$TONES_BOUND" >/dev/null ||
        fail "unwritable: Mono Input not in use after OK"
    no_notice unwritable "about the stream"
    ok_tells_unwritten
    kill "$SESSION_PLAY_PID" 2>/dev/null || true
    quit_within_bound unwritable "$SUM"
    unlock_settings
}

CASES="killed terminated unloaded burst asio iovs silent folder copies unwritable"
if [ $# -gt 1 ]; then
    shift
    CASES="$*"
fi
for name in $CASES; do "case_$name"; done

[ "$failures" = 0 ] && echo "e2e faults: passed (screenshots in $SESSION_DIR)"
[ "$failures" = 0 ]
