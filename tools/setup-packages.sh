#!/bin/sh
# Installs the Debian packages the two builds need, when any is missing.
set -eu

PACKAGES="
cmake ninja-build g++ make dpkg-dev
g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev
wine64 wine xvfb xauth imagemagick fonts-dejavu-core python3 pulseaudio pulseaudio-utils sox
pkg-config librtmidi-dev libpng-dev zlib1g-dev libgtest-dev libgmock-dev googletest libbenchmark-dev libfftw3-dev
clang clang-format libclang-rt-14-dev
dragonfly-reverb-vst
"

missing=""
for p in $PACKAGES; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

echo "installing:$missing"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q || true
# shellcheck disable=SC2086
$SUDO apt-get install -y -q --no-install-recommends $missing </dev/null
