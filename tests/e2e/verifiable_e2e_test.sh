#!/usr/bin/env bash
# A verifiable draw with the real program, from the keyboard: 可验证摇号 ticked, Initialize
# records the commitment and copies the checker page; Start is refused until two witnesses
# key at least 12 digits; rounds of a prize plan with a winner marked absent; kill -9 and
# continue, where the public input cannot be keyed again; the exit reveals the secret. The
# checker page then passes the record as written and fails each tampered copy, naming why.
# Usage: verifiable_e2e_test.sh <kelvara> [bonus.txt, not used: the test writes its own list]
# Exit 77 (skipped) when chromium or a tool of the desktop is missing.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
require_tools convert import
chromium=$(command -v chromium || command -v chromium-browser || true)
[[ -n $chromium ]] || skip "chromium is not installed"
python=/usr/bin/python3 # Debian's own, which the reference sequence is written for
[[ -x $python ]] || skip "$python is not installed"

# 30 names, CR LF: Chinese, Latin, inner spaces.
printf '%s\r\n' 张伟 王芳 李娜 刘洋 陈静 杨帆 赵磊 黄敏 周杰 吴婷 徐明 孙丽 马超 朱琳 胡军 \
    郭峰 何平 高翔 林雪 罗斌 "Alice Chen" "Bob Li" "欧阳 明" "司马 光" "Zhang Wei" 郑爽 谢霆 \
    韩梅 冯刚 曹宇 >"$E2E_WORK/names.txt"
e2e_start "${1:?path of the built kelvara}" "$E2E_WORK/names.txt"
printf '三等奖 3\r\n二等奖 2\r\n一等奖 1\r\n' >"$E2E_WORK/奖项.txt"
readonly title="可验证摇号"
readonly hex64='[0-9a-f]{64}'
# Digits keyed one by one, as a witness does.
type_digits() {
    local k
    for ((k = 0; k < ${#1}; k++)); do
        press "${1:k:1}"
    done
}
# A picture of the screen for a person to judge, kept as $1.png in the shots folder; no check.
# Taken once the screen holds still, or after 5 s as it is: a blinking caret may keep it
# from ever holding still.
keep_screen() {
    [[ -n $E2E_SHOTS ]] || return 0
    wait_for 5 screen_still view "1280x1024+0+0" || shoot_window root view
    keep_shot "$E2E_WORK/view.ppm" "$1"
}
count_lines() { grep -ac "$1" "$record" || true; }

# ---- Initialize: the commitment, recorded with its secret, and the page beside it ---------
outer_geometry "$E2E_MAIN"
narrow=$OUTER_WIDTH
widened() { outer_geometry "$E2E_MAIN" && ((OUTER_WIDTH > narrow)); }
press alt+h
wait_for 5 widened || fail "Alt+H did not widen the window"
press alt+y
initialize
wait_window "$title" >/dev/null
record=$(newest_record)
grep -Eaq "^可验证摇号：kelvara-verifiable-draw-1，承诺 $hex64"$'\r?$' "$record" ||
    fail "no commitment in the record: $(cat "$record")"
grep -Eaq "^秘密值：$hex64"$'\r?$' "$record" || fail "no secret in the record"
wait_for 10 test -s "$E2E_WORK/摇号记录/kelvara-verify.html" || fail "the checker page is not beside the record"

# Start before the witnesses have keyed anything is refused.
e2e_focus_main
press Return
wait_window "$E2E_PRODUCT" >/dev/null || fail "Start before the public input said nothing"
answer Return "$E2E_PRODUCT"
grep -aq '^第1轮' "$record" && fail "a round was drawn before the public input"
echo "Initialize: commitment recorded, Start refused before the public input"

# ---- The witnesses' digits: 11 are too few, 12 are taken ---------------------------------
wait_window "$title" >/dev/null
type_digits 20261208 # 见证人1, where the focus starts
press Tab
type_digits 731
press alt+u # 11 digits: not taken (the record below shows which were)
type_digits 5
keep_screen verifiable-witnesses
press alt+u
main_active() { [[ $(xdotool getactivewindow 2>/dev/null) == "$E2E_MAIN" ]]; }
wait_for 10 main_active || fail "the main window was not activated after the public input"
wait_for 10 grep -aq '^公开输入：' "$record" || fail "no public input in the record"
grep -Eaq $'^见证人1：20261208\r?$' "$record" || fail "witness 1: $(grep -a '^见证人' "$record")"
grep -Eaq $'^见证人2：7315\r?$' "$record" || fail "witness 2: $(grep -a '^见证人' "$record")"
grep -Eaq $'^公开输入：[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:]{8}，20261208-7315\r?$' "$record" ||
    fail "public input: $(grep -a '^公开输入' "$record")"
echo "public input: 20261208-7315"
# The audience view before the first round: the commitment and the witnesses' digits.
press F11
wait_window "摇号 - 观众画面" >/dev/null
keep_screen verifiable-audience
press Escape
wait_window_gone "摇号 - 观众画面"
xdotool windowactivate --sync "$E2E_MAIN"

# ---- Rounds; a winner absent and redrawn; killed between rounds ----------------------------
plan_round # 三等奖, 3
xdotool mousemove --window "$E2E_MAIN" "$(px 3000)" "$(px 2400)" click 1
press ctrl+End Up Delete
wait_window "弃奖" >/dev/null || fail "Delete asked nothing"
answer Return "弃奖"
wait_for 10 grep -aq '^弃奖：.*，\[[0-9]\]' "$record" || fail "the record has no absent mark"
plan_round # the replacement
[[ $(winner_lines "$record") == 4 ]] || fail "the record holds $(winner_lines "$record") winners before the kill"
e2e_kill
grep -aEq '^(公布|结束)：' "$record" && fail "a killed run's record reveals or ends"

e2e_launch
wait_window "继续摇号" >/dev/null
answer Return "继续摇号" # Yes
wait_window "$title" >/dev/null || fail "the verifiable window did not reopen"
# Read-only now: a digit and Alt+U change nothing (counted in the record at the end).
type_digits 9
press alt+u
e2e_focus_main
plan_round # 二等奖, 2
plan_round # 一等奖, 1
press alt+x
e2e_exit_with_yes_twice
[[ $(newest_record) == "$record" ]] || fail "the continued run wrote another record"
echo "continued and ended: $(winner_lines "$record") winner lines"

# ---- The record's lines ---------------------------------------------------------------------
secret=$(sed -n 's/^秘密值：\([0-9a-f]*\)\r\?$/\1/p' "$record")
grep -Eaq "^公布：[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:]{8}，秘密值 $secret"$'\r?$' "$record" ||
    fail "the revealed secret: $(grep -a '^公布' "$record")"
[[ $(grep -aE '^(公布|结束)：' "$record" | sed 's/：.*//' | paste -sd' ') == "公布 结束" ]] ||
    fail "公布 and 结束: $(grep -aE '^(公布|结束)：' "$record")"
for line in 可验证摇号 秘密值 见证人1 见证人2 公开输入; do
    [[ $(count_lines "^$line：") == 1 ]] || fail "$line is recorded $(count_lines "^$line：") times"
done
(($(count_lines '^见证人') == 2)) || fail "witnesses: $(grep -a '^见证人' "$record")"
positions=$(sed -n 's/^\[\([0-9]*\)\]:\t.*/\1/p' "$record" | sort -nu | paste -sd' ')
[[ $positions == "1 2 3 4 5 6 7" ]] || fail "positions: $positions"

# ---- The checker page on the record, the list and the plan; then on tampered copies -------
"$python" "$(dirname "${BASH_SOURCE[0]}")/verifiable_check.py" "$E2E_WORK/摇号记录/kelvara-verify.html" \
    "$chromium" "$record" "$E2E_WORK/bonus.txt" "$E2E_WORK/奖项.txt" || fail "the checker page"
echo "PASS"
