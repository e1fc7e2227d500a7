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
    if [[ -n $E2E_APP ]]; then
        if kill -0 "$E2E_APP" 2>/dev/null; then
            echo "the program is running" >&2
            # Where it is stuck, when a debugger is at hand.
            command -v gdb >/dev/null 2>&1 &&
                timeout 60 gdb -batch -p "$E2E_APP" -ex 'thread apply all bt' 2>&1 |
                grep -E '^(Thread|#)' | head -n 80 >&2
        else
            local status=0
            wait "$E2E_APP" 2>/dev/null || status=$?
            echo "the program has ended with status $status" >&2
        fi
    fi
    exit 1
}

require_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
    done
}

# Sleeps $1 seconds within the shell: a read that times out on a pipe nobody writes to. The
# tests poll and wait thousands of times, and a process for each wait would cost more than
# all the rest of a test does.
mkfifo "$E2E_WORK/never"
exec {E2E_NEVER}<>"$E2E_WORK/never"
pause() {
    read -r -t "$1" -u "$E2E_NEVER" _ || true
}

# Polls a command for up to $1 seconds.
wait_for() {
    local seconds=$1
    shift
    local end=$((SECONDS + seconds))
    until "$@"; do
        ((SECONDS < end)) || return 1
        pause 0.1
    done
}

# Keys as a person presses them. The program takes a press that comes less than 40 ms after
# the same key was let go for the key's auto-repeat, so a key is pressed again only 100 ms
# after its release. Every key of a test goes through press, or key_down and key_up; the
# release times are kept in files, so that they hold across subshells. Each xdotool call
# ends with a question to the X server (getdisplaygeometry), answered only once the server
# has taken the keys: on a busy machine it may take them well after xdotool sent them, and
# the rest counts from then.
readonly E2E_KEY_REST_US=100000
mkdir -p "$E2E_WORK/keys"

# Waits until key $1 (of a chord, alt+s: s) has been let go for E2E_KEY_REST_US.
key_rested() {
    local released=0 wait file="$E2E_WORK/keys/${1##*+}"
    [[ -f $file ]] && read -r released <"$file"
    wait=$((released + E2E_KEY_REST_US - ${EPOCHREALTIME/./}))
    if ((wait > 0)); then
        printf -v wait '%d.%06d' $((wait / 1000000)) $((wait % 1000000))
        pause "$wait"
    fi
}
key_released() { echo "${EPOCHREALTIME/./}" >"$E2E_WORK/keys/${1##*+}"; }

# Presses and lets go each key (an xdotool key name or chord: Return, alt+s) in turn.
press() {
    local key
    for key in "$@"; do
        key_rested "$key"
        xdotool key --clearmodifiers "$key" getdisplaygeometry >/dev/null
        key_released "$key"
    done
}
# Answers the box titled $2 with key $1 as a person does: the key goes down, the box goes,
# and the key comes up where the keyboard went then. (Let go while no window of the
# program had the keyboard, the release would be lost, and the program would take the key
# for still held.) The key does not repeat meanwhile, however long the box takes to go.
answer() {
    xset r off
    key_down "$1"
    wait_window_gone "$2"
    wait_for 10 program_has_keyboard || fail "no window of the program took the keyboard from '$2'"
    key_up "$1"
    xset r on
}

# True once the keyboard's focus is in one of the program's windows.
program_has_keyboard() {
    local focus
    focus=$(xdotool getwindowfocus 2>/dev/null) || return 1
    program_windows | grep -x -- "$focus" >/dev/null
}

# Holds key $1 down until key_up.
key_down() {
    key_rested "$1"
    xdotool keydown "$1" getdisplaygeometry >/dev/null
}
key_up() {
    xdotool keyup "$1" getdisplaygeometry >/dev/null
    key_released "$1"
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
# One xdotool call for the titles of all the program's windows: polls cost little.
window_shown() {
    local search=(search --all --onlyvisible --pid "$E2E_APP" --name '.*') titles
    [[ -n ${E2E_ANY_CLIENT:-} ]] && search=(search --onlyvisible --name '.*')
    titles=$'\n'$(xdotool "${search[@]}" getwindowname %@ 2>/dev/null || true)$'\n'
    [[ $titles == *$'\n'"$1"$'\n'* ]]
}
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
    read -r x y width height < <(awk -F': *' '/Absolute upper-left X/ { x = $2 }
        /Absolute upper-left Y/ { y = $2 } /^ *Width/ { w = $2 } /^ *Height/ { h = $2 }
        END { print x, y, w, h }' <<<"$info")
    read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS |
        sed -n 's/.*= *//; s/,//gp')
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
        mkdir -p "$E2E_SHOTS" && convert "$1" "$E2E_SHOTS/$2.png"
    fi
}

# Screenshots of a window ($1: an X window id, or root) kept as $E2E_WORK/<name>.ppm, and
# compared by the signature of their pixels within a region WxH+X+Y, which one ImageMagick
# process takes with the shot. signature prints (and keeps) the signature of a region of a
# shot; changed takes a new shot $2 and is true once it differs from $1 within region $3.
# (8 bits and no alpha, as the shot reads back from its file, so signatures agree.)
shoot_window() { # window, name
    rm -f "$E2E_WORK/$2@"*.sig
    convert "x:$1" -alpha off -depth 8 "$E2E_WORK/$2.ppm" || fail "screenshot $2"
}
signature() { # name, region
    local kept="$E2E_WORK/$1@$2.sig"
    [[ -f $kept ]] ||
        convert "$E2E_WORK/$1.ppm" -crop "$2" +repage -format '%#' info: >"$kept" ||
        fail "no signature of $1"
    cat "$kept"
}
window_changed() { # window, earlier shot, new shot, region
    rm -f "$E2E_WORK/$3@"*.sig
    convert "x:$1" -alpha off -depth 8 -write "$E2E_WORK/$3.ppm" -crop "$4" +repage -format '%#' info: \
        >"$E2E_WORK/$3@$4.sig" || fail "screenshot $3"
    [[ $(<"$E2E_WORK/$3@$4.sig") != $(signature "$2" "$4") ]]
}
shoot() { shoot_window "$E2E_MAIN" "$1"; }
changed() { window_changed "$E2E_MAIN" "$1" "$2" "$3"; }

# With a prize plan the bar pushes the rolling area and the top of the results box down by 24
# pixels: a round (Enter starts, Enter stops) is listed once that area changes.
readonly plan_results_area="440x150+10+122"
plan_round() {
    shoot before-round
    press Return Return
    wait_for 10 changed before-round after-round "$plan_results_area" ||
        fail "no round was listed"
}
readonly label_area="449x55+16+24"    # inside Lbl_Roll
readonly results_area="440x180+10+98" # inside Txt_Results

# Initialize, and wait until the rolling label shows the count.
initialize() {
    shoot before-initialize
    press alt+i
    wait_for 10 changed before-initialize initialized "$label_area" ||
        fail "Initialize left the label unchanged"
}

# Types $1 into the round-size box of the main window, replacing what it held.
set_round_size() { # Txt_Num: 2280, 240, 375, 270 inside Frame_Oper at 120, 4440
    xdotool mousemove --window "$E2E_MAIN" "$(px $((120 + 2280 + 187)))" \
        "$(px $((4440 + 240 + 135)))" click 1
    press ctrl+a
    xdotool type "$1"
}

# Saves the results with Alt+S from the main window, answers the notice and prints how
# many winners the results file lists.
save_and_count_winners() {
    xdotool windowactivate --sync "$E2E_MAIN"
    press alt+s
    wait_window "$E2E_PRODUCT" >/dev/null
    grep -c $'^\[[0-9]*\]:\t' "$E2E_WORK/摇号结果.txt" || true
    answer Return "$E2E_PRODUCT"
}

# One round: Enter starts, Enter stops; waits for the listing.
draw_round() {
    shoot before-round
    press Return Return
    wait_for 10 changed before-round after-round "$results_area" || fail "no round was listed"
}

# Saves, dismisses the notice and keeps the results file as $1.
save_to() {
    press alt+s
    wait_window "$E2E_PRODUCT" >/dev/null
    answer Return "$E2E_PRODUCT"
    cp "$E2E_WORK/摇号结果.txt" "$E2E_WORK/$1"
}

# The newest draw record, and the winner lines of record $1.
newest_record() { ls "$E2E_WORK"/摇号记录/摇号记录_*.txt | sort | tail -n1; }
winner_lines() { grep -ac $'^\\[[0-9]*\\]:\t第' "$1"; }

# A verifiable draw from the keyboard. Digits keyed one by one, as a witness does.
type_digits() {
    local k
    for ((k = 0; k < ${#1}; k++)); do
        press "${1:k:1}"
    done
}
main_active() { [[ $(xdotool getactivewindow 2>/dev/null) == "$E2E_MAIN" ]]; }
# The window wide, 可验证摇号 ticked, Initialize; the run's window opens and
# `record` names its record.
verifiable_initialize() {
    e2e_widen
    press alt+y
    initialize
    wait_window 可验证摇号 >/dev/null
    record=$(newest_record)
}
# Widens the main window with Alt+H unless it is wide already (a start keeps the width the
# operator chose last).
e2e_widen() {
    outer_geometry "$E2E_MAIN"
    ((OUTER_WIDTH < $(px 9000))) || return 0
    local narrow=$OUTER_WIDTH
    widened() { outer_geometry "$E2E_MAIN" && ((OUTER_WIDTH > narrow)); }
    press alt+h
    wait_for 5 widened || fail "Alt+H did not widen the window"
}
# The witnesses' parts $@ keyed into their boxes from the first, and confirmed; the main
# window takes the keyboard back.
confirm_public_input() {
    local part
    for part in "$@"; do
        type_digits "$part"
        press Tab
    done
    press alt+u
    wait_for 10 main_active || fail "the main window was not activated after the public input"
    wait_for 10 grep -aq '^公开输入：' "$record" || fail "no public input in the record"
}

# True once the main window has taken a key pressed after everything before it: Alt+H widens
# it, and narrows it again. The program takes its input in order, and a message box that the
# earlier input opened would have kept the key from the main window: so, once this is true,
# a box that is not shown never will be.
main_takes_keys() {
    width_is_not() { outer_geometry "$E2E_MAIN" && ((OUTER_WIDTH != $1)); }
    outer_geometry "$E2E_MAIN"
    press alt+h
    wait_for 5 width_is_not "$OUTER_WIDTH" || return 1
    press alt+h
    wait_for 5 width_is_not "$OUTER_WIDTH" || fail "Alt+H did not narrow the window again"
}

# No question at the start: it would come as soon as the window shows, before any key, and
# take the keyboard.
no_question() {
    e2e_focus_main
    main_takes_keys && ! window_shown "继续摇号"
}

# True once region $2 of the screen holds still: three shots 0.2 s apart agree, the last kept
# as $1.ppm. It proves that nothing moves there any more (a rolling name changes every
# frame); a machine too busy to paint for half a second would look still as well, so tests
# first wait for what the program does (the listing, the record) and use this for what
# follows it.
screen_still() { # name, region
    shoot_window root "$1-first" && pause 0.2 && ! window_changed root "$1-first" "$1-second" "$2" &&
        pause 0.2 && ! window_changed root "$1-first" "$1" "$2"
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
    require_tools Xvfb openbox xprop xset
    # Test machines have no sound device, which the program would tell once after the first
    # round: it plays nothing instead (KELVARA_SOUND_LOG records its requests where a test
    # wants them).
    export KELVARA_SOUND=${KELVARA_SOUND-null}
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
    # A start on a busy machine (the disk and every core in use) may take several seconds.
    wait_for 30 window_shown "$(main_title)" || fail "the main window did not appear"
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
    answer Return "退出"
    wait_window "确认退出" >/dev/null
    press Return
    wait_for 15 eval '! kill -0 "$E2E_APP" 2>/dev/null' || fail "the program did not end"
    local status=0
    wait "$E2E_APP" || status=$?
    E2E_APP=
    ((status == 0)) || fail "exit status $status"
}
