#!/usr/bin/env bash
# Who may continue an unfinished run, with the real program under a window manager: of two
# copies that both answer Yes only the first continues, the other says why and starts
# nothing; a lock left by another computer does not hide the run; a full record disk is
# told once and drawing goes on.
# Usage: record_takeover_e2e_test.sh <kelvara> <bonus.txt>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
require_tools convert
bonus=${2:?path of the sample bonus.txt}
e2e_start "${1:?path of the built kelvara}" "$bonus"
records="$E2E_WORK/摇号记录"

winners_saved_in() { grep -ac $'^\\[[0-9]*\\]:\t' "$E2E_WORK/$1" || true; }

# ---- Two copies answer Yes: one continues, the other starts nothing ----------------------
initialize
draw_round
e2e_kill
e2e_launch
wait_window "继续摇号" >/dev/null
first=$E2E_APP first_main=$E2E_MAIN
e2e_launch
wait_window "继续摇号" >/dev/null
second=$E2E_APP second_main=$E2E_MAIN
E2E_APP=$first
wait_window "继续摇号" >/dev/null # takes the keyboard from the other copy's question
answer Return "继续摇号"
E2E_APP=$second
wait_window "继续摇号" >/dev/null
answer Return "继续摇号"
wait_window "$E2E_PRODUCT" >/dev/null # another copy has continued the run
answer Return "$E2E_PRODUCT"
E2E_MAIN=$second_main
e2e_focus_main
save_to second.txt
(($(winners_saved_in second.txt) == 0)) || fail "the second copy continued the run too"
e2e_kill
E2E_APP=$first E2E_MAIN=$first_main
e2e_focus_main
save_to first.txt
(($(winners_saved_in first.txt) == 1)) || fail "the first copy did not continue the run"
echo "two copies answering Yes: one continued, one refused"

# ---- Another computer's lock: the run is still offered ----------------------------------
e2e_kill
record=$(newest_record)
printf '4242\nkelvara\nanother-pc\n' >"$record.lock"
e2e_launch
wait_window "继续摇号" >/dev/null || fail "a run locked by another computer was hidden"
answer Return "继续摇号"
e2e_focus_main
save_to foreign.txt
(($(winners_saved_in foreign.txt) == 1)) || fail "the run was not continued"
[[ $(head -n1 "$record.lock") == "$E2E_APP" ]] || fail "the lock was not taken over"
e2e_kill
echo "another computer's lock: offered and taken over"

# ---- A full record disk: told once, drawing goes on (needs root to mount a tmpfs) -------
rm -rf "$records"
mkdir "$records"
if [[ $(id -u) -eq 0 ]] && mount -t tmpfs -o size=64k tmpfs "$records" 2>/dev/null; then
    e2e_on_exit() { umount "$records"; }
    dd if=/dev/zero of="$records/filler" bs=4k 2>/dev/null || true
    e2e_launch
    e2e_focus_main
    press alt+i
    wait_window "$E2E_PRODUCT" >/dev/null # the disk is full
    answer Return "$E2E_PRODUCT"
    draw_round
    main_takes_keys || fail "a message after the round keeps the main window from the keyboard"
    window_shown "$E2E_PRODUCT" && fail "the full disk was told twice"
    save_to full.txt
    (($(winners_saved_in full.txt) == 1)) || fail "the round was not listed"
    e2e_kill
    echo "full record disk: told once, the draw went on"
else
    echo "full record disk: skipped (no tmpfs can be mounted here)"
fi
echo "PASS"
