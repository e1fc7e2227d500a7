#!/usr/bin/env bash
# A held Enter starts one round, however busy the machine: while a second process keeps
# every core busy, Enter is held under a window manager for 1.2 s, repeating from 250 ms on
# at 40 per second (more repeats than a desktop's default 660 ms and 25 per second give in
# 2 s), let go, and one Return stops the round. Save then shows exactly one winner per hold.
# (On a quiet machine: main_window_e2e_test.sh.) Then an Enter that answered a question acts
# once, and the next Enter on the main window acts too.
# Usage: held_key_e2e_test.sh <kelvara> <bonus.txt>
# KELVARA_E2E_HOLDS: how many holds (default 1).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
require_tools convert stress nproc xset
holds=${KELVARA_E2E_HOLDS:-1}
e2e_start "${1:?path of the built kelvara}" "${2:?path of the sample bonus.txt}"
xset r rate 250 40
results="$E2E_WORK/摇号结果.txt"
load_pid=

stop_load() {
    [[ -n $load_pid ]] && kill -- "-$load_pid" 2>/dev/null || true
    load_pid=
}
trap 'stop_load; e2e_cleanup' EXIT

# One hold as a person does it: a round must start, keep rolling after the key is let go
# and stop at the next Return.
hold_enter() {
    shoot "before-hold"
    key_down Return
    sleep 1.2
    key_up Return
    wait_for 5 changed before-hold rolling "$label_area" || fail "hold $1 started no round"
    press Return
    # The listing follows Stop; the next hold starts from a quiet window.
    wait_for 10 changed before-hold after-hold "$results_area" || fail "hold $1 listed nobody"
}

initialize
# A second process group keeps every core busy.
setsid stress --cpu "$(nproc)" --timeout 600 >/dev/null 2>&1 &
load_pid=$!
for ((i = 1; i <= holds; i++)); do
    hold_enter "$i"
done
stop_load

listed=$(save_and_count_winners)
((listed == holds)) ||
    fail "$holds holds listed $listed winners: $(tr -d '\r' <"$results" | tail -n +3)"
echo "$holds holds of 1.2 s on a loaded machine, $listed winners"

# The Enter that answers the first exit question is let go once its box has gone; No to the
# second question, and the next Enter starts a round at once.
xdotool windowactivate --sync "$E2E_MAIN"
press alt+x
wait_window "退出" >/dev/null
press Escape
wait_window_gone "退出"
wait_for 10 main_active || fail "the main window did not take the keyboard back"
press alt+x
wait_window "退出" >/dev/null
press Return
wait_window "确认退出" >/dev/null
press Escape
wait_window_gone "确认退出"
wait_for 10 main_active || fail "the main window did not take the keyboard back"
draw_round
echo "one Enter after the exit questions started a round"

press alt+x
e2e_exit_with_yes_twice
echo "PASS"
