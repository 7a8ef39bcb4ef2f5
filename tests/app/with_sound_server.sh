#!/bin/sh
# Runs a Windows test program under Wine beside a private PulseAudio whose
# null sink gives DirectSound a duplex "Default Device", so that the tests of
# a running stream run too. The server's files go to DIR.
#   with_sound_server.sh DIR program.exe [arguments...]
set -eu

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
DIR=$1
shift
rm -rf "$DIR"
mkdir -p "$DIR"
export XDG_RUNTIME_DIR="$DIR"
pulseaudio -D --exit-idle-time=-1 -n --load=module-native-protocol-unix \
    --load="module-null-sink sink_name=vsink" >"$DIR/pulse.log" 2>&1
PULSE_PID=$(cat "$DIR/pulse/pid")
trap 'kill "$PULSE_PID" 2>/dev/null || true' EXIT
"$ROOT/tools/wine-run.sh" "$@"
