#!/usr/bin/env bash
# Installs what is missing, then builds twice and runs the tests through ctest:
#   1. with CMake's default generator (Unix Makefiles), Debian's flags, warnings as errors,
#      and the Debian package made from it: every test, the windows', the real program's
#      under Xvfb, the verifiable draw's check page in headless chromium and the package's
#      (contents, checks, the installed tree started) included;
#   2. with Ninja, AddressSanitizer and UndefinedBehaviorSanitizer: the engine, platform,
#      output and window tests (and the icon's drawing program is compiled).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$ROOT/scripts/setup.sh"

echo "== Build with Unix Makefiles, packaged"
"$ROOT/scripts/package.sh" "$ROOT/build-test" -G "Unix Makefiles" -DBUILD_TESTING=ON \
    -DKELVARA_BENCHMARKS=ON
# The end-to-end tests mostly wait for the X server and the window manager: twice as many
# tests as cores keep the cores busy.
(cd "$ROOT/build-test" && ctest --output-on-failure -j "$((2 * $(nproc)))")

echo "== Build with Ninja, AddressSanitizer and UndefinedBehaviorSanitizer"
"$ROOT/scripts/build.sh" "$ROOT/build-asan" -G Ninja -DKELVARA_SANITIZE=ON \
    -DKELVARA_BENCHMARKS=OFF -DKELVARA_ICON_TOOL=ON
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export ASAN_OPTIONS="detect_leaks=1"
export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp"
(cd "$ROOT/build-asan" && ctest --output-on-failure -j 2 -L "engine|platform|output|gui")
