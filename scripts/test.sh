#!/usr/bin/env bash
# Installs what is missing, then builds twice and runs the tests through ctest:
#   1. a normal build (warnings are errors): every test, the window's and the real
#      program's under Xvfb included;
#   2. an AddressSanitizer + UndefinedBehaviorSanitizer build: the engine, platform,
#      output and window tests.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$ROOT/scripts/setup.sh"

echo "== Normal build"
"$ROOT/scripts/build.sh" "$ROOT/build-test"
(cd "$ROOT/build-test" && ctest --output-on-failure -j 2)

echo "== AddressSanitizer and UndefinedBehaviorSanitizer build"
"$ROOT/scripts/build.sh" "$ROOT/build-asan" -DKELVARA_SANITIZE=ON -DKELVARA_BENCHMARKS=OFF
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export ASAN_OPTIONS="detect_leaks=1"
export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp"
(cd "$ROOT/build-asan" && ctest --output-on-failure -j 2 -L "engine|platform|output|gui")
