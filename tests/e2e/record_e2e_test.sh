#!/usr/bin/env bash
# The draw record with the real program under a window manager: three rounds, kill -9,
# start again and continue (the results box as it was, numbering on, nobody drawn twice to
# the end of the list); declining; a changed list; two copies in one folder; and a record
# folder that cannot be made.
# Usage: record_e2e_test.sh <kelvara> <bonus.txt>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
require_tools import compare
bonus=${2:?path of the sample bonus.txt}
e2e_start "${1:?path of the built kelvara}" "$bonus"
results="$E2E_WORK/摇号结果.txt"
records="$E2E_WORK/摇号记录"
candidates=$(wc -l <"$bonus")

draw_round() { # Enter starts, Enter stops; waits for the listing
    shoot before-round
    xdotool key Return
    sleep 0.3
    xdotool key Return
    wait_for 10 changed before-round after-round "$results_area" || fail "no round was listed"
}

save_to() { # Save, dismiss the notice, keep the file as $1
    xdotool key --clearmodifiers alt+s
    wait_window "$E2E_PRODUCT" >/dev/null
    xdotool key Return
    wait_window_gone "$E2E_PRODUCT"
    cp "$results" "$E2E_WORK/$1"
}

newest_record() { ls "$records"/摇号记录_*.txt | sort | tail -n1; }
winner_lines() { grep -ac $'^\\[[0-9]*\\]:\t第' "$1"; }
# No question within a second or two of the start (it comes as soon as the window shows);
# the main window then has the keyboard.
no_question() {
    wait_for 2 window_shown "继续摇号" && return 1
    e2e_focus_main
}

# ---- Three rounds, killed, continued -----------------------------------------------------
initialize
set_round_size 5
for _ in 1 2 3; do
    draw_round
done
save_to before.txt
e2e_kill
record=$(newest_record)
[[ $(winner_lines "$record") == 15 ]] || fail "the record holds $(winner_lines "$record") winners"
grep -aq '^结束' "$record" && fail "a killed run's record says it ended"

e2e_launch
wait_window "继续摇号" >/dev/null
xdotool key Return # Yes
wait_window_gone "继续摇号"
e2e_focus_main
save_to continued.txt
cmp "$E2E_WORK/before.txt" "$E2E_WORK/continued.txt" ||
    fail "the results box differs after continuing"
echo "continued: the results box is as it was"

# The rest of the list but one, in one round: numbered on, nobody twice.
set_round_size $((candidates - 15 - 1))
draw_round
save_to all.txt
tr -d '\r' <"$E2E_WORK/all.txt" | sed -n 's/^\[\([0-9]*\)\]:\t//p' >"$E2E_WORK/names"
[[ $(wc -l <"$E2E_WORK/names") == $((candidates - 1)) ]] || fail "not every winner was listed"
[[ -z $(sort "$E2E_WORK/names" | uniq -d) ]] || fail "drawn twice: $(sort "$E2E_WORK/names" | uniq -d)"
numbers=$(tr -d '\r' <"$E2E_WORK/all.txt" | sed -n 's/^\[\([0-9]*\)\]:.*/\1/p' | tr '\n' ' ')
[[ $numbers == "$(seq -s ' ' 1 $((candidates - 1))) " ]] || fail "numbers: $numbers"
grep -aq '^继续：' "$record" || fail "the record does not say it was continued"
grep -aq '^第4轮：' "$record" || fail "the fourth round is not in the same record"
[[ $(winner_lines "$record") == $((candidates - 1)) ]] || fail "the record lost winners"
xdotool key --clearmodifiers alt+x
e2e_exit_with_yes_twice
grep -aq '^结束：' "$record" || fail "the record does not say the run ended"
e2e_launch
no_question || fail "an ended run was offered"
echo "continued run: numbered on, nobody twice, ended"

# ---- Declined: not offered again ---------------------------------------------------------
initialize
draw_round
e2e_kill
e2e_launch
wait_window "继续摇号" >/dev/null
xdotool key Escape # No
wait_window_gone "继续摇号"
grep -aq '^未继续：' "$(newest_record)" || fail "the declined record is not marked"
e2e_kill
e2e_launch
no_question || fail "a declined run was offered again"
echo "declined: not offered again"

# ---- A changed list is not continued -----------------------------------------------------
initialize
draw_round
e2e_kill
echo "迟到的人" >>"$E2E_WORK/bonus.txt"
e2e_launch
wait_window "继续摇号" >/dev/null
xdotool key Return
wait_window "$E2E_PRODUCT" >/dev/null # the list differs
xdotool key Return
wait_window_gone "$E2E_PRODUCT"
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
xdotool key Escape
e2e_kill
echo "two copies: the live run left alone"

# ---- A record folder that cannot be made: said once, drawing goes on ----------------------
rm -rf "$records"
echo "not a folder" >"$records"
e2e_launch
e2e_focus_main
xdotool key --clearmodifiers alt+i
wait_window "$E2E_PRODUCT" >/dev/null # cannot write the record
xdotool key Return
wait_window_gone "$E2E_PRODUCT"
draw_round
window_shown "$E2E_PRODUCT" && fail "the failure was told twice"
save_to unrecorded.txt
[[ $(grep -ac $'^\\[1\\]:\t' "$E2E_WORK/unrecorded.txt") == 1 ]] || fail "the round was not listed"
echo "unwritable record: told once, the draw went on"
echo "PASS"
