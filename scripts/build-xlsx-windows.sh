#!/usr/bin/env bash
# Cross-builds the workbook libraries for 64-bit Windows, statically, from Debian's sources of
# the host's versions: minizip (reads the list's .xlsx) and libxlsxwriter (writes the results'),
# the latter on the former, both on the MinGW zlib of libz-mingw-w64-dev. The result is kept in
# ~/.cache/kelvara/ under a folder named by the versions and a digest of the options, compiler
# and toolchain file, so a second run finds it and returns at once.
# Usage: scripts/build-xlsx-windows.sh [work-folder]   Prints the prefix on its last line.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
WORK="${1:-$ROOT/build-windows/xlsx}"
CACHE=${KELVARA_CACHE:-~/.cache/kelvara}
TOOLCHAIN="$ROOT/cmake/mingw-w64-x86_64.cmake"
TRIPLET=x86_64-w64-mingw32

# minizip as Debian builds libminizip1 (its Windows file functions too); headers where
# libminizip-dev puts them, include/minizip/.
MINIZIP_CMAKE='cmake_minimum_required(VERSION 3.25)
project(minizip C)
set(sources ioapi.c unzip.c zip.c mztools.c iowin32.c)
set(headers ioapi.h unzip.h zip.h mztools.h iowin32.h crypt.h)
list(TRANSFORM sources PREPEND "${MINIZIP_SOURCE}/")
list(TRANSFORM headers PREPEND "${MINIZIP_SOURCE}/")
add_library(minizip STATIC ${sources})
install(TARGETS minizip ARCHIVE DESTINATION lib)
install(FILES ${headers} DESTINATION include/minizip)'
# libxlsxwriter's own finder reads zlib's version from beside minizip's headers, which only
# holds in a Unix system root: this one takes the minizip built above as it is.
FIND_MINIZIP='set(MINIZIP_INCLUDE_DIRS "${CMAKE_INSTALL_PREFIX}/include")
set(MINIZIP_LIBRARIES "${CMAKE_INSTALL_PREFIX}/lib/libminizip.a")
set(MINIZIP_FOUND TRUE)'
XLSXWRITER_OPTIONS=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=OFF
    -DBUILD_TESTS=OFF
    -DBUILD_EXAMPLES=OFF
    -DUSE_SYSTEM_MINIZIP=ON
    # Debian uses OpenSSL's MD5; the source's own needs no further library.
    -DUSE_OPENSSL_MD5=OFF
    -DZLIB_USE_STATIC_LIBS=ON
)

package_source() { dpkg-query -W -f='${source:Package} ${source:Version}' "$1"; }
read -r MINIZIP_PACKAGE MINIZIP_VERSION <<<"$(package_source libminizip-dev)"
read -r XLSXWRITER_PACKAGE XLSXWRITER_VERSION <<<"$(package_source libxlsxwriter-dev)"
if [[ -z "${MINIZIP_VERSION:-}" || -z "${XLSXWRITER_VERSION:-}" ]]; then
    echo "libminizip-dev and libxlsxwriter-dev give the versions: run scripts/setup.sh" >&2
    exit 1
fi
DIGEST="$({
    printf '%s\n' "$MINIZIP_CMAKE" "$FIND_MINIZIP" "${XLSXWRITER_OPTIONS[@]}"
    dpkg-query -W -f='${Version}\n' libz-mingw-w64-dev
    cat "$TOOLCHAIN"
    $TRIPLET-gcc-posix --version | head -n 1
} | sha256sum | cut -c1-12)"
PREFIX="$CACHE/xlsx-$XLSXWRITER_VERSION-minizip-$MINIZIP_VERSION-$TRIPLET-static-$DIGEST"

if [[ -f "$PREFIX/.complete" ]]; then
    echo "Workbook libraries for Windows found in $PREFIX" >&2
    echo "$PREFIX"
    exit 0
fi

mkdir -p "$WORK"
fetch() {
    "$ROOT/scripts/fetch-debian-source.sh" "$1" "$2" "$WORK" 2>>"$WORK.fetch.log" | tail -n 1
}
: >"$WORK.fetch.log"
if ! MINIZIP_TREE="$(fetch "$MINIZIP_PACKAGE" "$MINIZIP_VERSION")" ||
    ! XLSXWRITER_TREE="$(fetch "$XLSXWRITER_PACKAGE" "$XLSXWRITER_VERSION")"; then
    cat "$WORK.fetch.log" >&2
    exit 1
fi
# minizip is a source package of its own in bookworm, a part of zlib's in later releases.
MINIZIP_SOURCE="$MINIZIP_TREE"
[[ -f "$MINIZIP_SOURCE/unzip.c" ]] || MINIZIP_SOURCE="$MINIZIP_TREE/contrib/minizip"

echo "Building minizip $MINIZIP_VERSION and libxlsxwriter $XLSXWRITER_VERSION for Windows" \
    "into $PREFIX" >&2
rm -rf "$PREFIX" "$WORK/minizip" "$WORK/minizip-build" "$WORK/xlsxwriter-build" "$WORK/cmake"
mkdir -p "$PREFIX" "$WORK/minizip" "$WORK/cmake"
printf '%s\n' "$MINIZIP_CMAKE" >"$WORK/minizip/CMakeLists.txt"
printf '%s\n' "$FIND_MINIZIP" >"$WORK/cmake/FindMINIZIP.cmake"

LOG="$WORK/build.log"
configure_build_install() {
    cmake -S "$WORK/minizip" -B "$WORK/minizip-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$PREFIX" -DMINIZIP_SOURCE="$MINIZIP_SOURCE" &&
        nice -n 10 cmake --build "$WORK/minizip-build" -j "$(nproc)" &&
        cmake --install "$WORK/minizip-build" &&
        # The source's module folder comes after this one, so the finder above is taken.
        cmake -S "$XLSXWRITER_TREE" -B "$WORK/xlsxwriter-build" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_INSTALL_PREFIX="$PREFIX" \
            -DCMAKE_MODULE_PATH="$WORK/cmake" "${XLSXWRITER_OPTIONS[@]}" &&
        nice -n 10 cmake --build "$WORK/xlsxwriter-build" -j "$(nproc)" &&
        cmake --install "$WORK/xlsxwriter-build"
}
if ! configure_build_install >"$LOG" 2>&1; then
    grep -B2 -A12 -m 3 '^FAILED:\|CMake Error' "$LOG" >&2 || tail -n 60 "$LOG" >&2
    echo "The workbook libraries' cross build failed; the full log is $LOG" >&2
    exit 1
fi

# One minizip only: libxlsxwriter must use the one above, not carry its bundled copy.
bundled="$($TRIPLET-nm -g --defined-only "$PREFIX/lib/libxlsxwriter.a" 2>/dev/null |
    grep -E ' T (zipOpen|zipClose|fill_fopen|fill_win32|call_zopen)' || true)"
if [[ -n "$bundled" ]]; then
    printf 'libxlsxwriter.a defines minizip functions of its own:\n%s\n' "$bundled" >&2
    exit 1
fi
touch "$PREFIX/.complete"
rm -rf "$WORK/minizip-build" "$WORK/xlsxwriter-build"
echo "$PREFIX"
