#!/usr/bin/env bash
# Cross-builds Qt (qtbase: Core, Gui, Widgets, Test and the Windows platform plugin) for 64-bit
# Windows, statically, from Debian's source of the host's Qt version. The result is kept in
# ~/.cache/kelvara/ under a folder named by the Qt version and a digest of the options, compiler
# and toolchain file, so a second run finds it and returns at once.
# Usage: scripts/build-qt-windows.sh [work-folder]   Prints the Qt prefix on its last line.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
WORK="${1:-$ROOT/build-windows/qt}"
# In the home folder (from the password file when HOME is not set).
CACHE=${KELVARA_CACHE:-~/.cache/kelvara}
TOOLCHAIN="$ROOT/cmake/mingw-w64-x86_64.cmake"
HOST_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake

QT_OPTIONS=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=OFF
    -DQT_BUILD_TESTS=OFF
    -DQT_BUILD_EXAMPLES=OFF
    # Only what the program and its tests use.
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF
    -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_vulkan=OFF -DFEATURE_jpeg=OFF
    # Debian's source has no Wintab headers, so no tablet input.
    -DFEATURE_tabletevent=OFF
    # Direct2D stays on for the DirectWrite font database; only its separate plugin is left out.
    -DFEATURE_direct2d1_1=OFF
    # The offscreen platform plugin (for the window tests) needs FreeType; all bundled.
    -DFEATURE_freetype=ON -DFEATURE_system_freetype=OFF -DFEATURE_system_zlib=OFF
    -DFEATURE_system_png=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_doubleconversion=OFF
)

QT_VERSION="$(dpkg-query -W -f='${source:Version}' qt6-base-dev)"
DIGEST="$({
    printf '%s\n' "${QT_OPTIONS[@]}"
    cat "$TOOLCHAIN"
    x86_64-w64-mingw32-g++-posix --version | head -n 1
} | sha256sum | cut -c1-12)"
PREFIX="$CACHE/qt-$QT_VERSION-x86_64-w64-mingw32-static-$DIGEST"

if [[ -f "$PREFIX/.complete" ]]; then
    echo "Qt for Windows found in $PREFIX" >&2
    echo "$PREFIX"
    exit 0
fi

mkdir -p "$WORK"
SOURCE="$("$ROOT/scripts/fetch-debian-source.sh" qt6-base "$QT_VERSION" "$WORK" 2>"$WORK.fetch.log" |
    tail -n 1)" || {
    cat "$WORK.fetch.log" >&2
    exit 1
}
echo "Building Qt $QT_VERSION for Windows into $PREFIX (takes a while)" >&2
# The installed Qt refers to the toolchain file it was built with: keep a copy inside it.
rm -rf "$PREFIX" "$WORK/build"
mkdir -p "$PREFIX"
cp "$TOOLCHAIN" "$PREFIX/mingw-w64-x86_64.cmake"

LOG="$WORK/build.log"
configure_build_install() {
    nice -n 19 cmake -S "$SOURCE" -B "$WORK/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$PREFIX/mingw-w64-x86_64.cmake" \
        -DCMAKE_INSTALL_PREFIX="$PREFIX" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$HOST_CMAKE_DIR" \
        "${QT_OPTIONS[@]}" &&
        nice -n 19 cmake --build "$WORK/build" -j "$(nproc)" &&
        nice -n 19 cmake --install "$WORK/build"
}
if ! configure_build_install >"$LOG" 2>&1; then
    grep -B2 -A12 -m 3 '^FAILED:\|CMake Error' "$LOG" >&2 || tail -n 60 "$LOG" >&2
    echo "Qt's cross build failed; the full log is $LOG" >&2
    exit 1
fi
touch "$PREFIX/.complete"
rm -rf "$WORK/build"
echo "$PREFIX"
