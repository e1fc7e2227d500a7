#!/usr/bin/env bash
# Builds the Windows program and its unit tests (scripts/build-windows.sh --tests), then runs
# them under wine with the Chinese code page (936) in a private wine prefix: every unit test
# through ctest, and the packed portable folder end to end under Xvfb with openbox.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${KELVARA_WINDOWS_BUILD:-$ROOT/build-windows}"
"$ROOT/scripts/build-windows.sh" --tests

export WINEPREFIX="$BUILD/wine" WINEARCH=win64 WINEDEBUG=-all
# No .NET or browser engine (wine would offer to download them), and no debugger that
# would wait on a crashed test instead of letting it fail.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
# wine takes its locale, and so the ANSI code page, from LANG.
export LANG=zh_CN.UTF-8
unset LC_ALL LC_CTYPE LC_MESSAGES QT_QPA_PLATFORM QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS

run="$(mktemp -d)"
xvfb_pid=
cleanup() {
    wineserver -k 2>/dev/null || true
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$run"
}
trap cleanup EXIT

# wine needs an X server as soon as a program makes a window, hidden ones included.
exec 3>"$run/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$run/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do
    [[ -s "$run/display" ]] && break
    sleep 0.1
done
[[ -s "$run/display" ]] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$run/display")"

if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    echo "== Wine prefix $WINEPREFIX"
    wineboot --init >"$run/wineboot.log" 2>&1
fi
# One wine server for the whole run instead of one per test program (or the one already
# serving this prefix).
wineserver --persistent 2>/dev/null || true
# wine starts its own services with the first program, and they would keep that program's
# output open, so ctest would wait on a finished test until its timeout: start them here.
wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true

# Both parts run whatever the other's outcome; the script fails if either does.
status=0
echo "== Unit tests under wine"
(cd "$BUILD/kelvara" && ctest --output-on-failure -j 2 -LE e2e --timeout 300) || status=1

echo "== Portable folder under wine"
bash "$ROOT/tests/wine/portable_folder_test.sh" "$BUILD"/Kelvara-*-win64.zip \
    "${KELVARA_WINE_SHOT:-$BUILD/kelvara-wine.png}" || status=1
exit "$status"
