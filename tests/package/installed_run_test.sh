#!/usr/bin/env bash
# Starts the program as the Debian package installs it, without installing it: the package
# is unpacked with dpkg-deb -x into a temporary root whose usr/bin the user cannot write, and
# the program runs from there under Xvfb with openbox, in a Chinese session, with HOME an
# empty folder. It must create Documents/Kelvara, name that folder in the missing-list
# message, load a list put there and save its results there. The same program copied into a
# writable folder of its own keeps its files beside it, as it always has.
# Usage: installed_run_test.sh <kelvara_VERSION_ARCH.deb> <version>
# Screenshots of both messages are kept in $KELVARA_PACKAGE_SHOTS (default: $TMPDIR).
# Exit 77 (skipped) when the package has not been built.
set -euo pipefail

deb=${1:?path of the .deb}
version=${2:?the program version}
shots=${KELVARA_PACKAGE_SHOTS:-${TMPDIR:-/tmp}}
[[ -f $deb ]] || { echo "SKIP: no package at $deb (scripts/package.sh makes it)"; exit 77; }
for tool in dpkg-deb Xvfb openbox xdotool import setpriv; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done

work=$(mktemp -d)
chmod 755 "$work"
xvfb_pid=
wm_pid=
app_pid=
cleanup() {
    for pid in $app_pid $wm_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    chmod -R u+w "$work"
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

# The superuser may write everywhere, so it runs the program as nobody; anyone else runs it
# as themselves, with the unpacked usr/bin made read-only.
as_user=()
if [[ $(id -u) -eq 0 ]]; then
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
user_folder() {
    mkdir -p "$1"
    [[ $(id -u) -eq 0 ]] && chown nobody:nogroup "$1"
    chmod 700 "$1"
}

root="$work/root"
dpkg-deb -x "$deb" "$root"
chmod a-w "$root/usr/bin"
touch "$work/unpacked"
sample="$root/usr/share/doc/kelvara/examples/bonus.txt"

# A free display, chosen by the server itself, and a window manager.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
wait_for 10 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
sleep 0.5

# Starts $1 (a program file) with HOME $2 in a Chinese session.
start_program() {
    local runtime="$work/runtime-$RANDOM"
    user_folder "$runtime"
    (cd "$(dirname "$1")" && exec env -i PATH=/usr/bin:/bin DISPLAY="$DISPLAY" HOME="$2" \
        XDG_RUNTIME_DIR="$runtime" LANG=zh_CN.UTF-8 QT_QPA_PLATFORM=xcb \
        "${as_user[@]}" "$1") >"$work/kelvara.log" 2>&1 &
    app_pid=$!
    wait_for 20 main_shown || fail "the main window did not appear"
    main=$(main_window)
    xdotool windowfocus --sync "$main"
    sleep 0.5
}

# The program's visible window whose title is exactly $1.
window_titled() {
    local id
    for id in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
        if [[ $(xdotool getwindowname "$id" 2>/dev/null) == "$1" ]]; then
            echo "$id"
            return 0
        fi
    done
}
main_window() { window_titled "Kelvara V$version     -  最简单摇号软件"; }
main_shown() { [[ -n $(main_window) ]]; }
box_window() { window_titled "Kelvara"; }
box_shown() { [[ -n $(box_window) ]]; }
box_gone() { [[ -z $(box_window) ]]; }

# Presses Initialize on a missing list; leaves the message's height in box_height and its
# picture in $1.
missing_list_message() {
    xdotool key --clearmodifiers alt+i
    wait_for 10 box_shown || fail "Initialize showed no message for the missing list"
    sleep 0.7
    eval "$(xdotool getwindowgeometry --shell "$(box_window)")"
    box_height=$HEIGHT
    import -window root "$1"
    echo "screenshot: $1"
    xdotool key Return
    wait_for 5 box_gone || fail "the message did not close"
}

# Alt+X and Yes to both questions; the program must end normally.
quit_program() {
    xdotool windowfocus --sync "$main"
    xdotool key --clearmodifiers alt+x
    sleep 0.7
    xdotool key Return
    sleep 0.7
    xdotool key Return
    local end=$((SECONDS + 15))
    while kill -0 "$app_pid" 2>/dev/null; do
        ((SECONDS < end)) || fail "the program did not end after two Yes answers"
        sleep 0.2
    done
    local status=0
    wait "$app_pid" || status=$?
    app_pid=
    ((status == 0)) || fail "exit status $status"
}

echo "== Installed copy"
home="$work/home"
user_folder "$home"
start_program "$root/usr/bin/kelvara" "$home"
data="$home/Documents/Kelvara"
[[ -d $data ]] || fail "no data folder at start-up: $(find "$home" -mindepth 1)"
missing_list_message "$shots/kelvara-installed-missing-list.png"
installed_height=$box_height

# A list put into the folder loads, and the results are saved beside it.
cp "$sample" "$data/bonus.txt"
chmod 644 "$data/bonus.txt"
xdotool windowfocus --sync "$main"
xdotool key --clearmodifiers alt+i
sleep 1.5
[[ -z $(box_window) ]] || fail "Initialize refused the list in $data"
xdotool key --clearmodifiers alt+s
wait_for 10 test -f "$data/摇号结果.txt" || fail "Save wrote nothing into $data"
wait_for 10 box_shown || fail "Save showed no confirmation"
xdotool key Return
wait_for 5 box_gone || fail "the confirmation did not close"
quit_program
leftovers=$(find "$root" -newer "$work/unpacked")
[[ -z $leftovers ]] || fail "files written into the installed tree: $leftovers"
echo "installed copy OK: $data"

echo "== Copy in a writable folder of its own"
portable="$work/portable"
user_folder "$portable"
cp "$root/usr/bin/kelvara" "$portable/"
home2="$work/home2"
user_folder "$home2"
start_program "$portable/kelvara" "$home2"
missing_list_message "$shots/kelvara-portable-missing-list.png"
portable_height=$box_height
quit_program
[[ -z $(find "$home2" -mindepth 1 -name Kelvara) ]] || fail "the portable copy made a data folder"

# The installed copy's message carries one line more: the folder.
((installed_height > portable_height)) ||
    fail "the message names no folder: ${installed_height}px high, ${portable_height}px without"
echo "message heights: installed ${installed_height}px, portable ${portable_height}px"
echo "PASS"
