#!/usr/bin/env bash
# Shared by the end-to-end tests: the real program in a scratch folder, on a private X
# server with a window manager (openbox, as on a desktop), driven by xdotool. A test
# sources this file, calls e2e_start with the program and the sample list, and waits for
# windows and files to appear instead of sleeping. A missing tool skips the test (77).
# The installed-package and wine tests use its desktop (e2e_desktop) and helpers too.

set -euo pipefail

readonly E2E_SKIP=77
# The built version's names, from the build (see tests/CMakeLists.txt).
readonly E2E_PRODUCT=${KELVARA_E2E_PRODUCT:-Kelvara}
readonly E2E_VERSION=${KELVARA_E2E_VERSION:-}

# The X screen, and the monitors on it ("name WxH+X+Y output"; output "screen" is the
# server's one output, "none" a monitor of its own), set before e2e_start. Xvfb's
# Xinerama stacks its screens at one corner, so two monitors are RandR monitors on one
# wide screen, which Qt sees as two screens.
E2E_SCREEN=${E2E_SCREEN:-1280x1024x24}
E2E_MONITORS=()
# Where screenshots worth a look are copied, when set.
readonly E2E_SHOTS=${KELVARA_E2E_SHOTS:-}

E2E_WORK=$(mktemp -d)
E2E_XVFB=
E2E_WM=
E2E_APP=
E2E_MAIN=

e2e_cleanup() {
    local pid
    for pid in "$E2E_APP" "$E2E_WM" "$E2E_XVFB"; do
        [[ -n $pid ]] && kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    # A test's own undoing (permissions, settings), once its programs are gone.
    if declare -F e2e_on_exit >/dev/null; then
        e2e_on_exit || true
    fi
    rm -rf "$E2E_WORK"
}
trap e2e_cleanup EXIT

skip() {
    echo "SKIP: $*"
    exit "$E2E_SKIP"
}

# Fails the test; the screen at that moment is kept at ${TMPDIR:-/tmp}/<test>-failure.png.
fail() {
    echo "FAIL: $*" >&2
    if [[ -n ${DISPLAY:-} ]] && command -v import >/dev/null 2>&1; then
        local shot="${TMPDIR:-/tmp}/$(basename "$0" .sh)-failure.png"
        import -window root "$shot" 2>/dev/null && echo "screen: $shot" >&2
    fi
    if [[ -s $E2E_WORK/kelvara.log ]]; then
        sed 's/^/kelvara: /' "$E2E_WORK/kelvara.log" >&2
    fi
    exit 1
}

require_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
    done
}

# Polls a command for up to $1 seconds.
wait_for() {
    local seconds=$1
    shift
    local end=$((SECONDS + seconds))
    until "$@"; do
        ((SECONDS < end)) || return 1
        sleep 0.1
    done
}

# The program's visible windows; with E2E_ANY_CLIENT set, every client's (a program under
# wine runs in another process than the one started).
program_windows() {
    if [[ -n ${E2E_ANY_CLIENT:-} ]]; then
        xdotool search --onlyvisible --name . 2>/dev/null
    else
        xdotool search --onlyvisible --pid "$E2E_APP" 2>/dev/null
    fi
}

# The program's visible window whose title is exactly $1. (xdotool's name patterns are
# unreliable with Chinese titles, so titles are compared here.)
window_titled() {
    local id
    for id in $(program_windows); do
        if [[ $(xdotool getwindowname "$id" 2>/dev/null) == "$1" ]]; then
            echo "$id"
            return 0
        fi
    done
    return 1
}
window_shown() { window_titled "$1" >/dev/null; }
window_gone() { ! window_shown "$1"; }

# Waits up to 10 s for the window titled $1 and gives it the keyboard; prints its id.
wait_window() {
    wait_for 10 window_shown "$1" || fail "no window titled '$1'"
    local id
    id=$(window_titled "$1")
    # A modal box that opens meanwhile takes the activation, so the wait is bounded.
    timeout 3 xdotool windowactivate --sync "$id" 2>/dev/null ||
        timeout 3 xdotool windowfocus --sync "$id" 2>/dev/null || true
    echo "$id"
}

wait_window_gone() {
    wait_for 10 window_gone "$1" || fail "the window titled '$1' stayed open"
}

# The window's outer size and place with the window manager's frame: sets OUTER_X,
# OUTER_Y, OUTER_WIDTH, OUTER_HEIGHT.
# (xwininfo, as xdotool counts the frame's offset twice in a reparented window's place.)
outer_geometry() {
    local info x y width height left right top bottom
    info=$(xwininfo -id "$1") || return 1
    x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    width=$(sed -n 's/^ *Width: *//p' <<<"$info")
    height=$(sed -n 's/^ *Height: *//p' <<<"$info")
    read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS |
        sed -n 's/.*= *//p' | tr -d ',')
    OUTER_X=$((x - ${left:-0}))
    OUTER_Y=$((y - ${top:-0}))
    OUTER_WIDTH=$((width + ${left:-0} + ${right:-0}))
    OUTER_HEIGHT=$((height + ${top:-0} + ${bottom:-0}))
}

# Twips to pixels on the server's 96 DPI.
px() { echo $((($1 + 7) / 15)); }

# The window's inner size and place as WxH+X+Y.
window_geometry() {
    local info
    info=$(xwininfo -id "$1") || return 1
    printf '%sx%s+%s+%s\n' "$(sed -n 's/^ *Width: *//p' <<<"$info")" \
        "$(sed -n 's/^ *Height: *//p' <<<"$info")" \
        "$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")" \
        "$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")"
}

# Defines one RandR monitor, "name WxH+X+Y output", at 96 DPI.
add_monitor() {
    local name geometry output width height x y
    read -r name geometry output <<<"$1"
    IFS='x+' read -r width height x y <<<"$geometry"
    xrandr --setmonitor "$name" \
        "$width/$((width * 254 / 960))x$height/$((height * 254 / 960))+$x+$y" "$output" >/dev/null ||
        fail "monitor $1"
}
monitor_count() { xrandr --listmonitors | sed -n 's/^Monitors: //p'; }
# Takes monitor $1 away, as when a projector is unplugged.
unplug_monitor() { xrandr --delmonitor "$1" || fail "unplugging $1"; }

# Copies screenshot $1 (a file) to the shots folder as $2.png, when there is one.
keep_shot() {
    if [[ -n $E2E_SHOTS ]]; then
        mkdir -p "$E2E_SHOTS" && cp "$1" "$E2E_SHOTS/$2.png"
    fi
}

# Screenshots of the main window, compared within a region WxH+X+Y (needs import and
# compare): differ prints the number of differing pixels; changed takes a new shot $2 and
# is true once it differs from $1 within region $3.
shoot() { import -window "$E2E_MAIN" "$E2E_WORK/$1.png" || fail "screenshot $1"; }
differ() {
    compare -metric AE -extract "$3" "$E2E_WORK/$1.png" "$E2E_WORK/$2.png" null: 2>&1 |
        cut -d' ' -f1
}
changed() { shoot "$2" && [[ $(differ "$1" "$2" "$3") != 0 ]]; }
readonly label_area="449x55+16+24"    # inside Lbl_Roll
readonly results_area="440x180+10+98" # inside Txt_Results

# Initialize, and wait until the rolling label shows the count.
initialize() {
    shoot before-initialize
    xdotool key --clearmodifiers alt+i
    wait_for 10 changed before-initialize initialized "$label_area" ||
        fail "Initialize left the label unchanged"
}

# Types $1 into the round-size box of the main window, replacing what it held.
set_round_size() { # Txt_Num: 2280, 240, 375, 270 inside Frame_Oper at 120, 4440
    xdotool mousemove --window "$E2E_MAIN" "$(px $((120 + 2280 + 187)))" \
        "$(px $((4440 + 240 + 135)))" click 1
    xdotool key --clearmodifiers ctrl+a
    xdotool type "$1"
}

# Saves the results with Alt+S from the main window, answers the notice and prints how
# many winners the results file lists.
save_and_count_winners() {
    xdotool windowactivate --sync "$E2E_MAIN"
    xdotool key --clearmodifiers alt+s
    wait_window "$E2E_PRODUCT" >/dev/null
    grep -c $'^\[[0-9]*\]:\t' "$E2E_WORK/摇号结果.txt" || true
    xdotool key Return
    wait_window_gone "$E2E_PRODUCT"
}

main_title() { echo "$E2E_PRODUCT V$E2E_VERSION     -  最简单摇号软件"; }

# Starts the display, the window manager and the program over a copy of the list, and
# waits for the main window; sets E2E_MAIN.
e2e_start() {
    local program=$1 bonus=$2
    require_tools Xvfb openbox xdotool xprop xwininfo
    [[ -n $E2E_VERSION ]] || fail "the build passes the version (KELVARA_E2E_VERSION)"
    [[ -x $program ]] || fail "no program at $program"
    [[ -f $bonus ]] || fail "no sample list at $bonus"
    cp "$program" "$E2E_WORK/kelvara"
    cp "$bonus" "$E2E_WORK/bonus.txt"
    e2e_desktop

    export LANG=C.UTF-8 LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb
    unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
    e2e_launch
    e2e_focus_main
}

# Starts the X server with E2E_SCREEN and E2E_MONITORS, and openbox on it; exports DISPLAY.
e2e_desktop() {
    require_tools Xvfb openbox xprop
    # A free display, chosen by the server itself; kept as it is between clients, as
    # monitors are set by clients that come and go.
    exec 3>"$E2E_WORK/display"
    Xvfb -displayfd 3 -screen 0 "$E2E_SCREEN" -dpi 96 -nolisten tcp -noreset >"$E2E_WORK/xvfb.log" 2>&1 &
    E2E_XVFB=$!
    exec 3>&-
    wait_for 10 test -s "$E2E_WORK/display" || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$E2E_WORK/display")"
    if ((${#E2E_MONITORS[@]} > 0)); then
        require_tools xrandr
        local monitor
        for monitor in "${E2E_MONITORS[@]}"; do
            add_monitor "$monitor"
        done
        (($(monitor_count) == ${#E2E_MONITORS[@]})) || fail "monitors: $(xrandr --listmonitors)"
    fi

    XDG_CONFIG_HOME=$E2E_WORK XDG_CACHE_HOME=$E2E_WORK openbox --sm-disable \
        >"$E2E_WORK/openbox.log" 2>&1 &
    E2E_WM=$!
    wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
    wait_for 10 wm_running || fail "openbox did not start"
}

e2e_focus_main() {
    timeout 3 xdotool windowactivate --sync "$E2E_MAIN" 2>/dev/null || true
}

# Starts the program (again) in the scratch folder and waits for its main window; sets
# E2E_APP and E2E_MAIN.
e2e_launch() {
    (cd "$E2E_WORK" && exec ./kelvara) >>"$E2E_WORK/kelvara.log" 2>&1 &
    E2E_APP=$!
    wait_for 10 window_shown "$(main_title)" || fail "the main window did not appear"
    E2E_MAIN=$(window_titled "$(main_title)")
}

# Ends the program at once, as a crash or a power cut would: no question, nothing saved.
e2e_kill() {
    kill -9 "$E2E_APP"
    wait "$E2E_APP" 2>/dev/null || true
    E2E_APP=
}

# Answers the two exit questions with Yes and waits for the program to end with status 0.
e2e_exit_with_yes_twice() {
    wait_window "退出" >/dev/null
    xdotool key Return
    wait_window_gone "退出"
    wait_window "确认退出" >/dev/null
    xdotool key Return
    wait_for 15 eval '! kill -0 "$E2E_APP" 2>/dev/null' || fail "the program did not end"
    local status=0
    wait "$E2E_APP" || status=$?
    E2E_APP=
    ((status == 0)) || fail "exit status $status"
}
