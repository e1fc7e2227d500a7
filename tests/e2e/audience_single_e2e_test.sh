#!/usr/bin/env bash
# The audience view on a single screen: F11 covers the screen, Enter starts and stops a
# round, Esc closes the view; opened again, a refused Start shows its message above the
# view, and once the message is answered the view has the keyboard again.
# Usage: audience_single_e2e_test.sh <kelvara> <bonus.txt>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
require_tools convert
e2e_start "${1:?path of the built kelvara}" "${2:?path of the sample bonus.txt}"
readonly view_title="摇号 - 观众画面"
readonly screen_size="1280x1024+0+0"

shoot_screen() { shoot_window root "$1"; }
screen_changed() { window_changed root "$1" "$2" "$screen_size"; }
geometry_is() { [[ $(window_geometry "$1") == "$2" ]]; }
# Window ids bottom to top, as the window manager stacks them.
stacking() { xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g'; }
active_window() { printf '%d\n' "$(xprop -root _NET_ACTIVE_WINDOW | sed 's/.*# //')"; }
above() { # window $1 is stacked above window $2
    local order
    order=$(for id in $(stacking); do printf '%d\n' "$id"; done)
    (($(grep -nx "$1" <<<"$order" | cut -d: -f1) > $(grep -nx "$2" <<<"$order" | cut -d: -f1)))
}

initialize
press F11
view=$(wait_window "$view_title")
wait_for 10 geometry_is "$view" "$screen_size" || fail "the view is at $(window_geometry "$view")"

shoot_screen idle
press Return # Start
wait_for 10 screen_changed idle rolling || fail "Enter started nothing on the view"
press Return # Stop
# The view covers the main window: the record tells that the round was listed.
listed() { grep -aq '^第1轮' "$(newest_record)"; }
wait_for 10 listed || fail "Stop listed no round"
wait_for 10 screen_still listed "$screen_size" || fail "the view does not settle after Stop"
press Escape
wait_window_gone "$view_title"
echo "F11, a round by Enter, Esc"

# A round size of 0 is refused; the message must not hide behind the view.
xdotool windowactivate --sync "$E2E_MAIN"
set_round_size 0
press F11
view=$(wait_window "$view_title")
press Return
box=$(wait_window "$E2E_PRODUCT")
above "$box" "$view" || fail "the refusal is stacked below the view: $(stacking)"
shoot_screen refusal
keep_shot "$E2E_WORK/refusal.ppm" audience-single-refusal
answer Return "$E2E_PRODUCT"
wait_for 5 eval '(($(active_window) == view))' || fail "the view lost the keyboard to the refusal"
echo "the refusal showed above the view"

press Escape
wait_window_gone "$view_title"
xdotool windowactivate --sync "$E2E_MAIN"
press alt+x
e2e_exit_with_yes_twice
echo "PASS"
