#!/usr/bin/env bash
# Cross-builds Kelvara for 64-bit Windows with MinGW-w64, a static Qt and static minizip and
# libxlsxwriter, then packs the portable folder: build-windows/Kelvara-<version>-win64.zip holds
# kelvara.exe (icon and version resource inside, no DLLs needed), a sample bonus.txt in GBK,
# 说明.txt, the verifiable draw's check page kelvara-verify.html and, in the subfolder 示例, a
# sample prize plan 奖项.txt in GBK (there it takes no effect).
# Usage: scripts/build-windows.sh [--tests]   (--tests also builds the unit tests)
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${KELVARA_WINDOWS_BUILD:-$ROOT/build-windows}"
TESTS=OFF
if [[ "${1:-}" == "--tests" ]]; then
    TESTS=ON
fi
TOOLCHAIN="$ROOT/cmake/mingw-w64-x86_64.cmake"
HOST_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake

"$ROOT/scripts/setup-windows.sh"
mkdir -p "$BUILD"
QT_PREFIX="$("$ROOT/scripts/build-qt-windows.sh" "$BUILD/qt" | tail -n 1)"
# minizip and libxlsxwriter, static, for the .xlsx files.
XLSX_PREFIX="$("$ROOT/scripts/build-xlsx-windows.sh" "$BUILD/xlsx" | tail -n 1)"
PREFIXES="$QT_PREFIX;$XLSX_PREFIX"
# Builds made against another Qt or toolchain file keep its paths and flags in their caches:
# start them afresh. The program's also keeps the workbook libraries' paths.
if [[ "$(cat "$BUILD/qt-prefix" 2>/dev/null)" != "$QT_PREFIX" ]]; then
    rm -rf "$BUILD/kelvara" "$BUILD/googletest" "$BUILD/googletest-build"
    echo "$QT_PREFIX" >"$BUILD/qt-prefix"
fi
if [[ "$(cat "$BUILD/xlsx-prefix" 2>/dev/null)" != "$XLSX_PREFIX" ]]; then
    rm -rf "$BUILD/kelvara"
    echo "$XLSX_PREFIX" >"$BUILD/xlsx-prefix"
fi

if [[ "$TESTS" == ON ]]; then
    # Debian ships GoogleTest as source; build it once per build folder with the same compiler.
    GTEST_PREFIX="$BUILD/googletest"
    if [[ ! -f "$GTEST_PREFIX/.complete" ]]; then
        echo "== GoogleTest for Windows"
        rm -rf "$BUILD/googletest-build" "$GTEST_PREFIX"
        nice -n 10 cmake -S /usr/src/googletest -B "$BUILD/googletest-build" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_INSTALL_PREFIX="$GTEST_PREFIX" -Dgtest_disable_pthreads=ON >/dev/null
        nice -n 10 cmake --build "$BUILD/googletest-build" -j "$(nproc)" >/dev/null
        cmake --install "$BUILD/googletest-build" >/dev/null
        touch "$GTEST_PREFIX/.complete"
    fi
    PREFIXES="$PREFIXES;$GTEST_PREFIX"
fi

echo "== Kelvara for Windows"
nice -n 10 cmake -S "$ROOT" -B "$BUILD/kelvara" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_PREFIX_PATH="$PREFIXES" -DCMAKE_FIND_ROOT_PATH="$PREFIXES" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$HOST_CMAKE_DIR" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVARA_WERROR=ON -DKELVARA_BENCHMARKS=OFF \
    -DBUILD_TESTING="$TESTS" >/dev/null
nice -n 10 cmake --build "$BUILD/kelvara" -j "$(nproc)"

echo "== Portable folder"
VERSION="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/kelvara/CMakeCache.txt")"
NAME="Kelvara-$VERSION-win64"
STAGE="$BUILD/package/$NAME"
rm -rf "$BUILD/package" "$BUILD/$NAME.zip"
mkdir -p "$STAGE"
x86_64-w64-mingw32-strip -o "$STAGE/kelvara.exe" "$BUILD/kelvara/src/app/kelvara.exe"
# The folder carries no DLLs: the program may import Windows' own only (not MinGW's runtime,
# zlib1.dll or a library's).
if foreign="$(x86_64-w64-mingw32-objdump -p "$STAGE/kelvara.exe" |
    grep -iE 'DLL Name: (lib|zlib|qt|minizip|xlsxwriter)')"; then
    echo "kelvara.exe needs DLLs that Windows lacks:" >&2
    echo "$foreign" >&2
    exit 1
fi
# Notepad's own formats: the sample list and prize plan in GBK (ANSI on Chinese Windows),
# the notes in UTF-8 with a byte-order mark; all with CR LF line ends.
sed 's/\r$//; s/$/\r/' "$ROOT/resources/bonus.txt" | iconv -f UTF-8 -t GBK >"$STAGE/bonus.txt"
mkdir "$STAGE/示例"
sed 's/\r$//; s/$/\r/' "$ROOT/resources/奖项.txt" | iconv -f UTF-8 -t GBK >"$STAGE/示例/奖项.txt"
{
    printf '\xEF\xBB\xBF'
    sed "s/@VERSION@/$VERSION/; s/\r\$//; s/\$/\r/" "$ROOT/resources/readme-windows.txt"
} >"$STAGE/说明.txt"
# The check page of a verifiable draw, for whoever re-checks a record: opened in a browser.
cp "$ROOT/resources/kelvara-verify.html" "$STAGE/kelvara-verify.html"
# Names stored as UTF-8 and flagged so (with a UTF-8 locale), so Windows shows 说明.txt
# and 示例.
(cd "$BUILD/package" && LC_ALL=C.UTF-8 cmake -E tar cf "$BUILD/$NAME.zip" --format=zip "$NAME")
echo "Packed $BUILD/$NAME.zip ($(du -k "$BUILD/$NAME.zip" | cut -f1) KB)"
