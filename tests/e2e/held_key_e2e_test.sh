#!/usr/bin/env bash
# A held Enter starts one round, however long it is held and however busy the machine:
# Enter is held for 2 s under a window manager, let go, and one Return stops the round;
# first on a quiet machine, then while a second process keeps every core busy. Save then
# shows exactly one winner per hold.
# Usage: held_key_e2e_test.sh <kelvara> <bonus.txt>
# KELVARA_E2E_HOLDS: holds on each kind of machine (default 1).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
require_tools import compare stress nproc
holds=${KELVARA_E2E_HOLDS:-1}
e2e_start "${1:?path of the built kelvara}" "${2:?path of the sample bonus.txt}"
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
    xdotool keydown Return
    sleep 2
    xdotool keyup Return
    sleep 0.3
    xdotool key Return
    # The listing follows Stop; the next hold starts from a quiet window.
    wait_for 10 changed before-hold after-hold "$results_area" || fail "hold $1 listed nobody"
}

initialize
for ((i = 1; i <= holds; i++)); do
    hold_enter "$i"
done
# A second process group keeps every core busy.
setsid stress --cpu "$(nproc)" --timeout 600 >/dev/null 2>&1 &
load_pid=$!
for ((i = 1; i <= holds; i++)); do
    hold_enter "loaded $i"
done
stop_load

listed=$(save_and_count_winners)
((listed == 2 * holds)) ||
    fail "$((2 * holds)) holds listed $listed winners: $(tr -d '\r' <"$results" | tail -n +3)"
echo "$((2 * holds)) holds of 2 s, $listed winners"

xdotool windowactivate --sync "$E2E_MAIN"
xdotool key --clearmodifiers alt+x
e2e_exit_with_yes_twice
echo "PASS"
