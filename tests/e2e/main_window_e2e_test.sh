#!/usr/bin/env bash
# The real program under Xvfb: initialize, start, stop, then close with two answers.
# Usage: main_window_e2e_test.sh <path-to-kelvara> <path-to-sample-bonus.txt>
set -u

kelvara_bin=$1
sample=$2

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

for tool in Xvfb xdotool import compare; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is not installed"
done
[ -x "$kelvara_bin" ] || fail "no program at $kelvara_bin"
[ -f "$sample" ] || fail "no sample list at $sample"

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

cp "$kelvara_bin" "$work/kelvara"
cp "$sample" "$work/bonus.txt"

# A display number that nobody uses.
display=""
for n in $(seq 91 160); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
        display=$n
        break
    fi
done
[ -n "$display" ] || fail "no free X display"
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 100); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.1
done
xdotool getdisplaygeometry >/dev/null 2>&1 || fail "Xvfb did not start"

export LANG=C.UTF-8 LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb
(cd "$work" && exec ./kelvara) >"$work/kelvara.log" 2>&1 &
app_pid=$!

find_window() { # title regex
    timeout 10 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n 1
}
window=$(find_window '^Kelvara V1\.0\.0     -  ')
[ -n "$window" ] || fail "the main window did not appear"
xdotool windowfocus --sync "$window" || fail "cannot focus the main window"

shoot() { import -window "$window" "$work/$1.png" || fail "screenshot $1"; }
# Number of differing pixels of two screenshots within a region WxH+X+Y.
differ() {
    compare -metric AE -extract "$3" "$work/$1.png" "$work/$2.png" null: 2>&1 | cut -d' ' -f1
}
label_area="449x55+16+24"   # inside Lbl_Roll
results_area="440x180+10+98" # inside Txt_Results

shoot start
xdotool key alt+i
sleep 1
shoot initialized
xdotool key Return # Start
sleep 0.5
for i in 1 2 3 4 5; do
    shoot "rolling$i"
    sleep 0.13
done
xdotool key Return # Stop; the listing follows
sleep 1.5
shoot listed

[ "$(differ start initialized "$label_area")" != 0 ] || fail "Initialize left the label unchanged"
# Ten sample names cycle; two shots may catch the same one, five shots all alike may not.
rolled=no
for i in 2 3 4 5; do
    [ "$(differ rolling1 "rolling$i" "$label_area")" != 0 ] && rolled=yes
done
[ "$rolled" = yes ] || fail "the label does not roll"
[ "$(differ initialized listed "$results_area")" != 0 ] || fail "no winner was listed"

# Close: two questions, each answered with its default Yes.
xdotool key alt+x
for title in '^退出$' '^确认退出$'; do
    box=$(find_window "$title")
    [ -n "$box" ] || fail "no question titled $title"
    xdotool windowfocus --sync "$box" 2>/dev/null
    xdotool key Return
done

for _ in $(seq 100); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$app_pid" 2>/dev/null && fail "the program is still running after Yes twice"
wait "$app_pid"
status=$?
app_pid=""
[ "$status" -eq 0 ] || fail "exit status $status"
echo "PASS"
