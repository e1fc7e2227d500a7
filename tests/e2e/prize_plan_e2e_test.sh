#!/usr/bin/env bash
# The real program with a prize plan of three prizes: the bar above the rolling name, a
# winner marked absent from the keyboard and redrawn, every prize drawn out, and the
# results file with the prizes' headings and the mark.
# Usage: prize_plan_e2e_test.sh <kelvara> <bonus.txt>
# The screenshot is kept at $KELVARA_E2E_SHOT (default: $TMPDIR/kelvara-prize-plan.png).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
require_tools convert import
bonus=${2:?path of the sample bonus.txt}
e2e_start "${1:?path of the built kelvara}" "$bonus"
shot=${KELVARA_E2E_SHOT:-${TMPDIR:-/tmp}/kelvara-prize-plan.png}
printf '三等奖 3\r\n二等奖 2\r\n一等奖 1\r\n' >"$E2E_WORK/奖项.txt"

initialize
plan_round # 三等奖, 3 people: the box was filled with what the prize has left

# The caret to the line of [2]: a click into the box, the end, one line up; Delete asks.
xdotool mousemove --window "$E2E_MAIN" "$(px 3000)" "$(px 2400)" click 1
press ctrl+End Up Delete
wait_window "弃奖" >/dev/null || fail "Delete asked nothing"
answer Return "弃奖"

# The audience view shows the prize above the rolling name and the absent winner marked.
press F11
wait_window "摇号 - 观众画面" >/dev/null
wait_for 10 screen_still view "1280x1024+0+0" || fail "the audience view does not settle"
keep_shot "$E2E_WORK/view.ppm" prize-plan-audience
press Escape
wait_window_gone "摇号 - 观众画面"
xdotool windowactivate --sync "$E2E_MAIN"

plan_round # the replacement for 三等奖
plan_round # 二等奖, 2 people
import -window root "$shot"
echo "screenshot: $shot"
plan_round # 一等奖

# Every prize is drawn out: Start says so instead of drawing.
press Return
wait_window "$E2E_PRODUCT" >/dev/null || fail "Start said nothing once every prize was drawn"
answer Return "$E2E_PRODUCT"

save_to results.txt
mapfile -t lines < <(tr -d '\r' <"$E2E_WORK/results.txt")
shape=$(printf '%s\n' "${lines[@]}" | sed -E 's/^\[([0-9]+)\]:\t.*（弃奖）$/[\1] absent/; s/^\[([0-9]+)\]:\t.+$/[\1]/' | paste -sd' ')
[[ $shape == "摇号结果  【三等奖】 [1] [2] absent [3] [4] 【二等奖】 [5] [6] 【一等奖】 [7]" ]] ||
    fail "unexpected results: $shape"
names=$(printf '%s\n' "${lines[@]}" | sed -n 's/^\[[0-9]*\]:\t//p' | sed 's/（弃奖）$//')
[[ $(sort -u <<<"$names" | wc -l) == 7 ]] || fail "somebody was drawn twice: $names"
while read -r name; do
    grep -Fxq -- "$name" "$bonus" || fail "the winner '$name' is not in the list"
done <<<"$names"
record=$(newest_record)
grep -aq '^奖项表：奖项.txt，共3项，SHA-256 ' "$record" || fail "the record has no plan"
grep -aq '^弃奖：.*，\[2\]' "$record" || fail "the record has no absent mark"
echo "results OK: $shape"

press alt+x
e2e_exit_with_yes_twice
echo "PASS"
