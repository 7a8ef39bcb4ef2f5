#!/bin/sh
# Builds libpng, RtAudio, RtMidi and Google Benchmark for 64-bit Windows from
# their Debian source packages into build/deps/win, using a private apt source
# list so the machine's own apt configuration is left alone. Rebuilds only
# what changed.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
DEPS="$ROOT/build/deps"
APT="$DEPS/apt"
SRC="$DEPS/src"
PREFIX="$DEPS/win"
CC=x86_64-w64-mingw32-gcc-posix
CXX=x86_64-w64-mingw32-g++-posix
AR=x86_64-w64-mingw32-ar
JOBS=$(nproc 2>/dev/null || echo 4)

# source packages; the versions we build against are checked once unpacked
PKGS="libpng1.6 rtaudio rtmidi benchmark"

recipe_hash=$(cat "$0" "$ROOT"/tools/patches/* 2>/dev/null | sha256sum | cut -c1-16)
if [ -f "$PREFIX/.stamp" ] && [ "$(cat "$PREFIX/.stamp")" = "$recipe_hash" ]; then
    exit 0
fi

mkdir -p "$APT/lists/partial" "$APT/sources.list.d" "$SRC" "$PREFIX/include" "$PREFIX/lib"

# deb-src entries made from the machine's own archive addresses
machine_sources=/etc/apt/sources.list.d/debian.sources
if [ -f "$machine_sources" ]; then
    sed 's/^Types:.*/Types: deb-src/' "$machine_sources" > "$APT/sources.list.d/debian-src.sources"
    : > "$APT/sources.list"
else
    grep -h '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
        sed 's/^deb /deb-src /' > "$APT/sources.list"
fi
apt_private() {
    apt-get -q -o Dir::Etc::sourcelist="$APT/sources.list" \
        -o Dir::Etc::sourceparts="$APT/sources.list.d" \
        -o Dir::State::Lists="$APT/lists" \
        -o Dir::Cache="$APT/cache" \
        -o Debug::NoLocking=1 "$@"
}
apt_cache() {
    apt-cache -o Dir::Etc::sourcelist="$APT/sources.list" \
        -o Dir::Etc::sourceparts="$APT/sources.list.d" \
        -o Dir::State::Lists="$APT/lists" \
        -o Dir::Cache="$APT/cache" "$@"
}
mkdir -p "$APT/cache/archives/partial"
apt_private update >/dev/null

cd "$SRC"
for pkg in $PKGS; do
    if ! ls -d "$pkg"-*/ >/dev/null 2>&1; then
        # newest version first; a mirror may lack the newest security update
        fetched=""
        for ver in $(apt_cache showsrc "$pkg" | sed -n 's/^Version: //p' | sort -rV | uniq); do
            if apt_private source "$pkg=$ver" </dev/null >/dev/null 2>&1; then fetched=$ver; break; fi
            rm -rf "$SRC"/*"$pkg"* 2>/dev/null || true
        done
        [ -n "$fetched" ] || { echo "could not fetch the source of $pkg" >&2; exit 1; }
    fi
done

srcdir() { # first unpacked tree of a source package
    for d in "$SRC"/"$1"-*/; do [ -d "$d" ] && { echo "${d%/}"; return; }; done
    echo "missing source tree for $1" >&2; exit 1
}
PNG=$(srcdir libpng1.6)
RTAUDIO=$(srcdir rtaudio)
RTMIDI=$(srcdir rtmidi)
BENCHMARK=$(srcdir benchmark)
check_version() { # tree, wanted version prefix
    case "$(basename "$1")" in *-"$2"*) ;; *) echo "expected version $2 for $1" >&2; exit 1;; esac
}
check_version "$PNG" 1.6; check_version "$RTAUDIO" 5.2; check_version "$RTMIDI" 5.0
check_version "$BENCHMARK" 1.7

# Our own patches to the dependencies, each with its reason inside.
for p in "$ROOT"/tools/patches/*.patch; do
    [ -f "$p" ] || continue
    name=$(basename "$p" .patch)
    tree=$(srcdir "${name%%-*}")
    if [ ! -f "$tree/.applied-$name" ]; then
        patch -d "$tree" -p1 < "$p"
        touch "$tree/.applied-$name"
    fi
done

BUILD="$DEPS/obj"
rm -rf "$BUILD"; mkdir -p "$BUILD/png" "$BUILD/rt" "$BUILD/benchmark"
CFLAGS="-O2 -g -ffp-contract=off"

# libpng: the library's own sources with its prebuilt configuration
cp "$PNG/scripts/pnglibconf.h.prebuilt" "$PNG/pnglibconf.h"
PNG_SOURCES="png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil pngset pngtrans pngwio pngwrite pngwtran pngwutil"
for f in $PNG_SOURCES; do echo "$f"; done |
    xargs -P "$JOBS" -I{} $CC $CFLAGS -DPNG_INTEL_SSE_OPT=0 -I"$PNG" -c "$PNG/{}.c" -o "$BUILD/png/{}.o"
$AR rcs "$PREFIX/lib/libpng.a" "$BUILD"/png/*.o
cp "$PNG/png.h" "$PNG/pngconf.h" "$PNG/pnglibconf.h" "$PREFIX/include/"

# RtAudio with DirectSound only; RtMidi with Windows multimedia MIDI
$CXX $CFLAGS -D__WINDOWS_DS__ -I"$RTAUDIO" -c "$RTAUDIO/RtAudio.cpp" -o "$BUILD/rt/RtAudio.o" &
rtaudio=$!
$CXX $CFLAGS -D__WINDOWS_MM__ -I"$RTMIDI" -c "$RTMIDI/RtMidi.cpp" -o "$BUILD/rt/RtMidi.o" &
rtmidi=$!
wait $rtaudio
wait $rtmidi
$AR rcs "$PREFIX/lib/librtaudio.a" "$BUILD/rt/RtAudio.o"
$AR rcs "$PREFIX/lib/librtmidi.a" "$BUILD/rt/RtMidi.o"
cp "$RTAUDIO/RtAudio.h" "$RTMIDI/RtMidi.h" "$PREFIX/include/"

# Google Benchmark as static libraries (its users define BENCHMARK_STATIC_DEFINE
# too), with the standard regex and clock its CMake checks would find
for f in "$BENCHMARK"/src/*.cc; do basename "$f" .cc; done |
    xargs -P "$JOBS" -I{} $CXX -std=c++17 $CFLAGS -DNDEBUG -DBENCHMARK_STATIC_DEFINE \
        -DHAVE_STD_REGEX -DHAVE_STEADY_CLOCK -I"$BENCHMARK/include" \
        -c "$BENCHMARK/src/{}.cc" -o "$BUILD/benchmark/{}.o"
mv "$BUILD/benchmark/benchmark_main.o" "$BUILD/benchmark_main.o"
$AR rcs "$PREFIX/lib/libbenchmark.a" "$BUILD"/benchmark/*.o
$AR rcs "$PREFIX/lib/libbenchmark_main.a" "$BUILD/benchmark_main.o"
mkdir -p "$PREFIX/include/benchmark"
cp "$BENCHMARK/include/benchmark/benchmark.h" "$BENCHMARK/include/benchmark/export.h" \
    "$PREFIX/include/benchmark/"

echo "$recipe_hash" > "$PREFIX/.stamp"
echo "Windows dependencies built into $PREFIX"
