#!/usr/bin/env bash
# Cross-builds Qt for 64-bit Windows, statically, from Debian's sources of the host's Qt version:
# qtbase (Core, Gui, Widgets, Network, Test, the Windows platform plugin and the JPEG plugin),
# then Qt Multimedia with its Windows Media Foundation plugin into the same prefix. The result is
# kept in ~/.cache/kelvara/ under a folder named by the Qt version and a digest of qtbase's
# options, compiler and toolchain file; a marker inside records the digest Qt Multimedia was built
# with. A second run finds both and returns at once.
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
    # Only what the program and its tests use; Network only because Qt Multimedia links it.
    -DFEATURE_sql=OFF -DFEATURE_network=ON -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF
    -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_vulkan=OFF
    # JPEG backgrounds on the audience screen; libjpeg bundled like the other image libraries.
    -DFEATURE_jpeg=ON -DFEATURE_system_jpeg=OFF
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

# Sound only: no spatial audio (whose bundled Resonance Audio takes long to build), no FFmpeg
# backend, no video widget (Qt Widgets is not looked for); Quick, QML and the rest are absent.
MULTIMEDIA_OPTIONS=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=OFF
    -DQT_BUILD_TESTS=OFF
    -DQT_BUILD_EXAMPLES=OFF
    -DFEATURE_spatialaudio=OFF -DFEATURE_ffmpeg=OFF -DFEATURE_gstreamer=OFF
    -DCMAKE_DISABLE_FIND_PACKAGE_Qt6Widgets=ON
)

# Changes to Qt Multimedia's sources for this build, made in the unpacked tree (safe to repeat):
# - its video shaders are compiled with the host's qsb (Debian's qt6-shadertools-dev): ask for
#   the host tools package instead of a cross-built Qt Shader Tools, which nothing links;
# - Resonance Audio is built only for spatial audio, which alone uses it;
# - Media Foundation's libraries and the Windows headers are named in lower case, as MinGW-w64
#   names them (libmf.a, not libMf.a; mferror.h, not Mferror.h); the installed FindWMF.cmake
#   keeps the libraries' lookup for the programs that link the static plugin;
# - camera stills are saved on Qt's thread pool, not through Qt Concurrent, which qtbase here
#   leaves out (the patch file beside this script).
MULTIMEDIA_PATCH="$ROOT/scripts/qt-multimedia-image-capture-thread-pool.patch"
patch_multimedia() {
    sed -i -E 's/^(find_library\(WMF_[A-Z0-9]+_LIBRARY )([A-Za-z0-9]+)/\1\L\2/' "$1/cmake/FindWMF.cmake"
    { grep -rlE '^#include [<"][A-Z][A-Za-z0-9_]*\.h[>"]' "$1/src/multimedia/windows" \
        "$1/src/plugins/multimedia/windows" || true; } |
        xargs -r sed -i -E 's/^#include ([<"])([A-Z][A-Za-z0-9_]*\.h)([>"])/#include \1\L\2\3/'
    if ! patch -R -p1 -s -f --dry-run -d "$1" <"$MULTIMEDIA_PATCH" >/dev/null; then
        patch -p1 -s -d "$1" <"$MULTIMEDIA_PATCH"
    fi
    sed -i 's/^find_package(Qt6 COMPONENTS ShaderTools)$/find_package(Qt6 COMPONENTS ShaderToolsTools)/' \
        "$1/src/multimedia/CMakeLists.txt"
    if grep -qx 'add_subdirectory(resonance-audio)' "$1/src/CMakeLists.txt"; then
        sed -i -e '/^add_subdirectory(resonance-audio)$/d' \
            -e 's/^if (QT_FEATURE_spatialaudio)$/&\n    add_subdirectory(resonance-audio)/' \
            "$1/src/CMakeLists.txt"
    fi
}

# The version Debian builds its Qt Multimedia from, for the same Qt release as qtbase.
if dpkg-query -W -f='${Status}' qt6-multimedia-dev 2>/dev/null | grep -q 'install ok installed'; then
    MULTIMEDIA_VERSION="$(dpkg-query -W -f='${source:Version}' qt6-multimedia-dev)"
else
    MULTIMEDIA_VERSION="$(apt-cache show --no-all-versions qt6-multimedia-dev | sed -n 's/^Version: //p')"
fi
if [[ "${MULTIMEDIA_VERSION%%-*}" != "${QT_VERSION%%[+-]*}" ]]; then
    echo "Debian's Qt Multimedia ($MULTIMEDIA_VERSION) is not of qtbase's release ($QT_VERSION)" >&2
    exit 1
fi
MULTIMEDIA_DIGEST="$({
    echo "$MULTIMEDIA_VERSION"
    printf '%s\n' "${MULTIMEDIA_OPTIONS[@]}"
    declare -f patch_multimedia
    cat "$MULTIMEDIA_PATCH"
    dpkg-query -W -f='${Version}\n' qt6-shadertools-dev
} | sha256sum | cut -c1-12)"

if [[ -f "$PREFIX/.complete" && "$(cat "$PREFIX/.multimedia-complete" 2>/dev/null)" == "$MULTIMEDIA_DIGEST" ]]; then
    echo "Qt for Windows found in $PREFIX" >&2
    echo "$PREFIX"
    exit 0
fi

mkdir -p "$WORK"
fetch() {
    "$ROOT/scripts/fetch-debian-source.sh" "$1" "$2" "$WORK" 2>"$WORK.fetch.log" | tail -n 1 || {
        cat "$WORK.fetch.log" >&2
        return 1
    }
}
# Usage: report_failure <what> <log>
report_failure() {
    grep -B2 -A12 -m 3 '^FAILED:\|CMake Error' "$2" >&2 || tail -n 60 "$2" >&2
    echo "$1 failed; the full log is $2" >&2
    exit 1
}

if [[ ! -f "$PREFIX/.complete" ]]; then
    SOURCE="$(fetch qt6-base "$QT_VERSION")"
    echo "Building Qt $QT_VERSION for Windows into $PREFIX (takes a while)" >&2
    started=$SECONDS
    # The installed Qt refers to the toolchain file it was built with: keep a copy inside it.
    rm -rf "$PREFIX" "$WORK/build"
    mkdir -p "$PREFIX"
    cp "$TOOLCHAIN" "$PREFIX/mingw-w64-x86_64.cmake"
    configure_build_install() {
        nice -n 19 cmake -S "$SOURCE" -B "$WORK/build" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$PREFIX/mingw-w64-x86_64.cmake" \
            -DCMAKE_INSTALL_PREFIX="$PREFIX" \
            -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$HOST_CMAKE_DIR" \
            "${QT_OPTIONS[@]}" &&
            nice -n 19 cmake --build "$WORK/build" -j "$(nproc)" &&
            nice -n 19 cmake --install "$WORK/build"
    }
    configure_build_install >"$WORK/build.log" 2>&1 || report_failure "Qt's cross build" "$WORK/build.log"
    touch "$PREFIX/.complete"
    rm -rf "$WORK/build"
    echo "qtbase built in $((SECONDS - started)) s" >&2
fi

SOURCE="$(fetch qt6-multimedia "$MULTIMEDIA_VERSION")"
patch_multimedia "$SOURCE"
echo "Building Qt Multimedia $MULTIMEDIA_VERSION for Windows into $PREFIX" >&2
started=$SECONDS
# Files of an install made with other options go first.
if [[ -f "$PREFIX/.multimedia-files" ]]; then
    xargs -d '\n' rm -f <"$PREFIX/.multimedia-files"
fi
rm -f "$PREFIX/.multimedia-complete" "$PREFIX/.multimedia-files"
rm -rf "$WORK/multimedia-build"
# Configured through the toolchain file the installed Qt provides, which also names the host Qt.
{
    nice -n 19 cmake -S "$SOURCE" -B "$WORK/multimedia-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$PREFIX/lib/cmake/Qt6/qt.toolchain.cmake" \
        -DCMAKE_INSTALL_PREFIX="$PREFIX" \
        "${MULTIMEDIA_OPTIONS[@]}" &&
        nice -n 19 cmake --build "$WORK/multimedia-build" -j "$(nproc)" &&
        nice -n 19 cmake --install "$WORK/multimedia-build"
} >"$WORK/multimedia-build.log" 2>&1 ||
    report_failure "Qt Multimedia's cross build" "$WORK/multimedia-build.log"
cp "$WORK/multimedia-build/install_manifest.txt" "$PREFIX/.multimedia-files"
echo "$MULTIMEDIA_DIGEST" >"$PREFIX/.multimedia-complete"
rm -rf "$WORK/multimedia-build"
echo "Qt Multimedia built in $((SECONDS - started)) s" >&2
echo "$PREFIX"
