#!/usr/bin/env bash
# Measures the program's CPU while the label rolls for 10 s under Xvfb and openbox, on a
# laptop's monitor (1280x800) beside a projector's (1920x1080): first the main window
# alone, then with the audience view open full screen on the projector, then with the view
# showing a 1920x1080 JPEG background (图片/背景.jpg, a gradient with noise made by
# ImageMagick). Prints the share of one core that the program used, from its /proc/<pid>/stat.
# Usage: scripts/roll_cpu.sh [built kelvara]
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PROGRAM=${1:-$ROOT/build/src/app/kelvara}
export KELVARA_E2E_VERSION=${KELVARA_E2E_VERSION:-$(sed -n 's/^project(Kelvara VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")}
source "$ROOT/tests/e2e/lib.sh"
readonly roll_seconds=10

# CPU ticks (user and system) the program has used so far.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$E2E_APP/stat"; }

# Rolls for $roll_seconds s and prints the program's share of one core; $1 is the key that
# starts and stops in the window that has the keyboard.
measure() {
    xdotool key "$1" # Start
    sleep 1          # past the start's own work
    local before after
    before=$(cpu_ticks)
    sleep "$roll_seconds"
    after=$(cpu_ticks)
    xdotool key "$1" # Stop
    awk -v ticks=$((after - before)) -v hz="$(getconf CLK_TCK)" -v s="$roll_seconds" \
        'BEGIN { printf "%.1f", 100 * ticks / (hz * s) }'
}

E2E_SCREEN=3200x1080x24
E2E_MONITORS=("laptop 1280x800+0+0 screen" "projector 1920x1080+1280+0 none")
e2e_start "$PROGRAM" "$ROOT/resources/bonus.txt"
initialize
alone=$(measure Return)
sleep 1
xdotool key F11
wait_window "摇号 - 观众画面" >/dev/null
with_view=$(measure Next)
sleep 1
# The view reads its pictures when it opens: closed, given a background, opened again.
xdotool key F11
wait_window_gone "摇号 - 观众画面"
require_tools convert
mkdir -p "$E2E_WORK/图片"
convert -size 1920x1080 gradient:'#1a2a6c-#b21f1f' -attenuate 0.6 +noise Gaussian -quality 90 \
    "$E2E_WORK/图片/背景.jpg"
xdotool windowactivate --sync "$E2E_MAIN"
xdotool key F11
wait_window "摇号 - 观众画面" >/dev/null
sleep 1
with_picture=$(measure Next)
echo "CPU while rolling, ${roll_seconds} s: main window alone ${alone}% of one core;" \
    "with the audience view at 1920x1080 ${with_view}%;" \
    "with the view over a 1920x1080 JPEG background ${with_picture}%"
