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
export KELVARA_E2E_VERSION=${2:?the program version}
shots=${KELVARA_PACKAGE_SHOTS:-${TMPDIR:-/tmp}}
[[ -f $deb ]] || { echo "SKIP: no package at $deb (scripts/package.sh makes it)"; exit 77; }
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
require_tools dpkg-deb xdotool import setpriv

work=$E2E_WORK
chmod 755 "$work"
# The unpacked tree is read-only in places.
e2e_on_exit() { chmod -R u+w "$work"; }

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

e2e_desktop

# Starts $1 (a program file) with HOME $2 in a Chinese session.
start_program() {
    local runtime="$work/runtime-$RANDOM"
    user_folder "$runtime"
    (cd "$(dirname "$1")" && exec env -i PATH=/usr/bin:/bin DISPLAY="$DISPLAY" HOME="$2" \
        XDG_RUNTIME_DIR="$runtime" LANG=zh_CN.UTF-8 QT_QPA_PLATFORM=xcb \
        "${as_user[@]}" "$1") >"$work/kelvara.log" 2>&1 &
    E2E_APP=$!
    wait_for 20 window_shown "$(main_title)" || fail "the main window did not appear"
    E2E_MAIN=$(window_titled "$(main_title)")
    e2e_focus_main
}

box_window() { window_titled "$E2E_PRODUCT"; }

# The message box's height once the window manager has framed it: the box is laid out
# before it is shown, and the frame is the last thing done to it.
box_framed() {
    local box
    box=$(box_window) || return 1
    xprop -id "$box" _NET_FRAME_EXTENTS | grep -q '=' || return 1
    eval "$(xdotool getwindowgeometry --shell "$box")"
    box_height=$HEIGHT
}

# Presses Initialize on a missing list; leaves the message's height in box_height and its
# picture in $1.
missing_list_message() {
    press alt+i
    wait_for 10 window_shown "$E2E_PRODUCT" || fail "Initialize showed no message for the missing list"
    wait_for 10 box_framed || fail "the message is not framed"
    import -window root "$1"
    echo "screenshot: $1"
    answer Return "$E2E_PRODUCT"
}

# Alt+X and Yes to both questions; the program must end normally.
quit_program() {
    e2e_focus_main
    press alt+x
    e2e_exit_with_yes_twice
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
e2e_focus_main
initialize
window_gone "$E2E_PRODUCT" || fail "Initialize refused the list in $data"
press alt+s
wait_for 10 test -f "$data/摇号结果.txt" || fail "Save wrote nothing into $data"
wait_window "$E2E_PRODUCT" >/dev/null
answer Return "$E2E_PRODUCT"
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
