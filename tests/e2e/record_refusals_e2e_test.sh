#!/usr/bin/env bash
# Runs that are not continued, and a record that cannot be written, with the real program
# under a window manager: a changed list is refused and leaves an ordinary start; a second
# copy in the same folder leaves the first copy's live run alone; a record folder that
# cannot be made is told once, and drawing goes on.
# Usage: record_refusals_e2e_test.sh <kelvara> <bonus.txt>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
require_tools convert
bonus=${2:?path of the sample bonus.txt}
e2e_start "${1:?path of the built kelvara}" "$bonus"
records="$E2E_WORK/摇号记录"

# ---- A changed list is not continued -----------------------------------------------------
initialize
draw_round
e2e_kill
echo "迟到的人" >>"$E2E_WORK/bonus.txt"
e2e_launch
wait_window "继续摇号" >/dev/null
answer Return "继续摇号"
wait_window "$E2E_PRODUCT" >/dev/null # the list differs
answer Return "$E2E_PRODUCT"
e2e_focus_main
save_to changed.txt
[[ $(tr -d '\r' <"$E2E_WORK/changed.txt") == "摇号结果" ]] || fail "a changed list was continued"
initialize # still possible: the program is as after an ordinary start
e2e_kill
cp "$bonus" "$E2E_WORK/bonus.txt"
echo "changed list: refused, ordinary start"

# ---- Two copies in one folder: a live run is not taken for an abandoned one --------------
rm -rf "$records"
e2e_launch
e2e_focus_main
initialize
draw_round
first=$E2E_APP first_main=$E2E_MAIN
e2e_launch
no_question || fail "the second copy offered the first copy's live run"
e2e_kill
E2E_APP=$first E2E_MAIN=$first_main
e2e_kill
e2e_launch
wait_window "继续摇号" >/dev/null
answer Escape "继续摇号"
e2e_kill
echo "two copies: the live run left alone"

# ---- A record folder that cannot be made: said once, drawing goes on ----------------------
rm -rf "$records"
echo "not a folder" >"$records"
e2e_launch
e2e_focus_main
press alt+i
wait_window "$E2E_PRODUCT" >/dev/null # cannot write the record
answer Return "$E2E_PRODUCT"
draw_round
main_takes_keys || fail "a message after the round keeps the main window from the keyboard"
window_shown "$E2E_PRODUCT" && fail "the failure was told twice"
save_to unrecorded.txt
[[ $(grep -ac $'^\\[1\\]:\t' "$E2E_WORK/unrecorded.txt") == 1 ]] || fail "the round was not listed"
echo "unwritable record: told once, the draw went on"
echo "PASS"
