#!/usr/bin/env bash
# Drives the real program under Xvfb: one round, Save and the bytes of the results file,
# then the About window (widened window, CmdAbout clicked), a screenshot, and the guarded exit.
# Usage: save_about_e2e_test.sh <kelvara> <bonus.txt>
# The screenshot is kept at $KELVARA_E2E_SHOT (default: $TMPDIR/kelvara-save-about.png).
set -euo pipefail

program=${1:?path of the built kelvara}
bonus=${2:?path of the sample bonus.txt}
shot=${KELVARA_E2E_SHOT:-${TMPDIR:-/tmp}/kelvara-save-about.png}

for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 0; }
done

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
    [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null || true
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [[ -s $work/kelvara.log ]] && sed 's/^/kelvara: /' "$work/kelvara.log" >&2
    exit 1
}

# Polls a command for up to $1 seconds.
wait_for() {
    local seconds=$1
    shift
    local end=$((SECONDS + seconds))
    until "$@"; do
        ((SECONDS < end)) || return 1
        sleep 0.2
    done
}

cp "$program" "$work/kelvara"
cp "$bonus" "$work/bonus.txt"
results="$work/摇号结果.txt"

# A free display, chosen by the server itself.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
wait_for 10 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"
export LANG=C.UTF-8 LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS

(cd "$work" && exec ./kelvara) >"$work/kelvara.log" 2>&1 &
app_pid=$!

# The program's visible window whose title is exactly $1 (xdotool's own name patterns are
# unreliable with Chinese titles, so titles are compared here).
window_titled() {
    local id
    for id in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
        if [[ $(xdotool getwindowname "$id" 2>/dev/null) == "$1" ]]; then
            echo "$id"
            return 0
        fi
    done
}
main_window() { window_titled "Kelvara V1.0.0     -  最简单摇号软件"; }
main_shown() { [[ -n $(main_window) ]]; }
wait_for 20 main_shown || fail "the main window did not appear"
main=$(main_window)
xdotool windowfocus --sync "$main"
sleep 0.5

# Initialize, one round (Enter starts, Enter stops), then let the listing run.
xdotool key --clearmodifiers alt+i
sleep 1
xdotool key Return
sleep 0.7
xdotool key Return
sleep 1.5

# Save: the file is written before the confirmation appears.
xdotool key --clearmodifiers alt+s
wait_for 10 test -f "$results" || fail "Alt+S wrote no results file"
sleep 0.7
xdotool key Return
sleep 0.5

name=$(sed -n '3p' "$results" | tr -d '\r' | cut -f2)
[[ -n $name ]] || fail "no winner in the results file: $(od -c "$results" | head)"
grep -Fxq -- "$name" "$bonus" || fail "the winner '$name' is not in the list"
printf '摇号结果\r\n\r\n[1]:\t%s\r\n' "$name" >"$work/expected"
cmp "$work/expected" "$results" || fail "unexpected bytes: $(od -c "$results" | head)"
echo "results file OK: [1] $name"

# Widen the window to uncover the settings panel, then click CmdAbout (2160, 4440, 255, 735
# inside Frame_Settings at 7200, 120; 15 twips a pixel on the server's 96 DPI).
xdotool windowfocus --sync "$main"
xdotool key --clearmodifiers alt+h
widened() {
    eval "$(xdotool getwindowgeometry --shell "$main")"
    ((WIDTH > 600))
}
wait_for 5 widened || fail "Alt+H did not widen the main window"
xdotool mousemove --window "$main" $(((7200 + 2160 + 127) / 15)) $(((120 + 4440 + 367) / 15)) click 1

about_window() { window_titled "关于"; }
about_shown() { [[ -n $(about_window) ]]; }
about_gone() { [[ -z $(about_window) ]]; }
wait_for 10 about_shown || fail "the About window did not open"
about=$(about_window)
sleep 1
import -window root "$shot"
echo "screenshot: $shot"

# Centred on the 1280 x 1024 screen, 4680 x 2910 twips.
eval "$(xdotool getwindowgeometry --shell "$about")"
((WIDTH == 312 && HEIGHT == 194)) || fail "About window is ${WIDTH}x${HEIGHT}"
((X + WIDTH / 2 >= 638 && X + WIDTH / 2 <= 642 && Y + HEIGHT / 2 >= 510 && Y + HEIGHT / 2 <= 514)) ||
    fail "About window is not centred: $X,$Y"

# While it is open the main window takes no input: a click on Cmd_Save (4200, 240, 855, 615
# inside Frame_Oper at 120, 4440) writes nothing.
rm -f "$results"
xdotool mousemove --window "$main" $(((120 + 4200 + 427) / 15)) $(((4440 + 240 + 307) / 15)) click 1
sleep 0.7
[[ ! -e $results ]] || fail "the main window saved while About was open"

xdotool windowfocus --sync "$about"
xdotool key Escape
wait_for 10 about_gone || fail "the About window did not close"

# Exit with Yes to both questions.
xdotool windowfocus --sync "$main"
xdotool key --clearmodifiers alt+x
sleep 0.7
xdotool key Return
sleep 0.7
xdotool key Return
end=$((SECONDS + 15))
while kill -0 "$app_pid" 2>/dev/null; do
    ((SECONDS < end)) || fail "the program did not end after two Yes answers"
    sleep 0.2
done
status=0
wait "$app_pid" || status=$?
app_pid=
((status == 0)) || fail "exit status $status: $(cat "$work/kelvara.log")"
echo "PASS"
