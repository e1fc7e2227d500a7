#!/usr/bin/env bash
# The draw record with the real program under a window manager: three rounds, kill -9,
# start again and continue (the results box as it was, numbering on, nobody drawn twice to
# the end of the list), then declining. (The runs that are not continued, and a record
# that cannot be written: record_refusals_e2e_test.sh.)
# Usage: record_e2e_test.sh <kelvara> <bonus.txt>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
require_tools convert
bonus=${2:?path of the sample bonus.txt}
e2e_start "${1:?path of the built kelvara}" "$bonus"
candidates=$(wc -l <"$bonus")

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
answer Return "继续摇号" # Yes
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
press alt+x
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
answer Escape "继续摇号" # No
grep -aq '^未继续：' "$(newest_record)" || fail "the declined record is not marked"
e2e_kill
e2e_launch
no_question || fail "a declined run was offered again"
echo "declined: not offered again"
echo "PASS"
