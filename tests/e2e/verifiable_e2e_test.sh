#!/usr/bin/env bash
# A verifiable draw with the real program, from the keyboard: 可验证摇号 ticked, Initialize
# records the commitment, without the secret, and copies the checker page; Start is refused
# until two witnesses key 12 digits that are not a guessable pattern, and the secret is
# recorded with them. 一等奖 is chosen first, the other prizes follow with a winner marked
# absent, then kill -9 and continue, where the public input cannot be keyed again; the exit
# reveals the secret. Half the list's names hold a lone LF that would write a record line of
# their own. The checker page passes the record as written and fails tampered or cut copies,
# naming why. A second list, UTF-16 LE: a run ended before its public input leaves a void
# commitment that the next one names; that one is drawn with a mark, revealed and checked.
# Usage: verifiable_e2e_test.sh <kelvara> [bonus.txt, not used: the test writes its own lists]
# Exit 77 (skipped) when chromium or a tool of the desktop is missing.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
require_tools convert import iconv
chromium=$(command -v chromium || command -v chromium-browser || true)
[[ -n $chromium ]] || skip "chromium is not installed"
python=/usr/bin/python3 # Debian's own, which the reference sequence is written for
[[ -x $python ]] || skip "$python is not installed"
here=$(dirname "${BASH_SOURCE[0]}")

# 8 names, CR LF, so a lone LF stays inside its line. Four of them would forge a mark, a round
# or a winner if written unescaped; 5 positions are drawn before the kill, so at least one
# of the four is drawn by then, and all but one name by the end.
names=(张伟 $'乙\n弃奖：2026-12-08 10:00:00，[1]' "Alice Chen" $'丙\n弃奖：2026-12-08 10:00:00，[2]'
    "欧阳 明" $'丁\n第9轮：2026-12-08 10:00:00，1人，奖项1' $'戊\\三\t王\n[9]:\t第1行\t张伟' 李娜)
printf '%s\r\n' "${names[@]}" >"$E2E_WORK/names.txt"
e2e_start "${1:?path of the built kelvara}" "$E2E_WORK/names.txt"
printf '三等奖 3\r\n二等奖 2\r\n一等奖 1\r\n' >"$E2E_WORK/奖项.txt"
readonly title="可验证摇号"
readonly hex64='[0-9a-f]{64}'
readonly time='[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:]{8}'
# A picture of the screen for a person to judge, kept as $1.png in the shots folder; no check.
# Taken once the screen holds still, or after 5 s as it is: a blinking caret may keep it
# from ever holding still.
keep_screen() {
    [[ -n $E2E_SHOTS ]] || return 0
    wait_for 5 screen_still view "1280x1024+0+0" || shoot_window root view
    keep_shot "$E2E_WORK/view.ppm" "$1"
}
# A message box as it is shown, kept as $1.png: ImageMagick's own grab shows it black.
keep_box() {
    [[ -n $E2E_SHOTS ]] || return 0
    import -window root "$E2E_WORK/box.png" && keep_shot "$E2E_WORK/box.png" "$1"
}
count_lines() { grep -ac "$1" "$record" || true; }
# The record's lines from the one starting with $1, $2 of them, without CR, joined by " | ".
lines_from() { tr -d '\r' <"$record" | grep -a -A"$(($2 - 1))" -m1 "^$1" | paste -sd'|' | sed 's/|/ | /g'; }
readonly page="$E2E_WORK/摇号记录/kelvara-verify.html"
# The checker page, in headless chromium, on record $1 with list $2 and plan $3: the record as
# written and tampered copies (verifiable_check.py).
page_check() { "$python" "$here/verifiable_check.py" "$page" "$chromium" "$@"; }
# The page on record $1, cut before its reveal, with list $2 and plan $3: it fails, saying so.
page_check_cut() {
    "$python" - "$page" "$chromium" "$here/../verify_page" "$@" <<'PY'
import pathlib, sys
page, chromium, cases = sys.argv[1:4]
sys.path.insert(0, cases)
from verify_page_cases import run_page
inputs = dict(zip(("record", "list", "plan"), (pathlib.Path(p).read_bytes() for p in sys.argv[4:7])))
got = run_page(page, chromium, [("cut", inputs, None, {})])["results"]["cut"]
ok = got.get("verdict") == "验证失败：记录没有公布秘密值，无法验证" and got.get("passed") is False
print(f"{'ok  ' if ok else 'FAIL'} page, the record cut after its second round: {got.get('verdict')}")
sys.exit(0 if ok else 1)
PY
}

# ---- Initialize: the commitment alone, and the page beside it --------------------------------
verifiable_initialize
wait_for 10 test -s "$E2E_WORK/摇号记录/kelvara-verify.html" || fail "the checker page is not beside the record"
head_lines=$(lines_from 可验证摇号 3)
[[ $head_lines =~ ^可验证摇号：kelvara-verifiable-draw-2，承诺\ $hex64\ \|\ 本名单第1次承诺\ \|\ 初始化：$time$ ]] ||
    fail "the head: $head_lines"
grep -aq '秘密值' "$record" && fail "the secret is in the record before the public input"
# On this 1280-pixel screen the run's window stands beside the main window, not over it.
wait_window "$title" >/dev/null
outer_geometry "$E2E_MAIN"
main_left=$OUTER_X main_right=$((OUTER_X + OUTER_WIDTH))
outer_geometry "$(window_titled "$title")"
((OUTER_X >= main_right || OUTER_X + OUTER_WIDTH <= main_left)) ||
    fail "the verifiable window ($OUTER_X+$OUTER_WIDTH) covers the main window ($main_left-$main_right)"

# Start before the witnesses have keyed anything is refused.
e2e_focus_main
press Return
wait_window "$E2E_PRODUCT" >/dev/null || fail "Start before the public input said nothing"
answer Return "$E2E_PRODUCT"
grep -aq '^第1轮' "$record" && fail "a round was drawn before the public input"
echo "Initialize: commitment recorded without its secret, Start refused before the public input"

# ---- The witnesses: 11 digits are too few, a run of digits is refused, then genuine ones -----
wait_window "$title" >/dev/null
type_digits 12345678 # 见证人1, where the focus starts
press Tab
type_digits 901
press alt+u # 11 digits: not taken, so the next digit goes on into 见证人2
type_digits 2
keep_screen verifiable-witnesses
press alt+u # 123456789012
wait_window "$E2E_PRODUCT" >/dev/null || fail "a run of digits as the public input was not refused"
keep_box verifiable-refused
answer Return "$E2E_PRODUCT"
grep -aEq '^(见证人|公开输入|秘密值)' "$record" && fail "a refused public input was recorded"
wait_window "$title" >/dev/null
press shift+Tab ctrl+a # 见证人1 anew; 见证人2 keeps 9012
confirm_public_input 20261208
[[ $(lines_from 见证人1 4) =~ ^见证人1：20261208\ \|\ 见证人2：9012\ \|\ 公开输入：$time，20261208-9012\ \|\ 秘密值：$hex64$ ]] ||
    fail "the public input: $(lines_from 见证人1 4)"
echo "public input: 20261208-9012, the secret recorded with it"
# The audience view before the first round: the commitment and the witnesses' digits.
press F11
wait_window "摇号 - 观众画面" >/dev/null
keep_screen verifiable-audience
press Escape
wait_window_gone "摇号 - 观众画面"
xdotool windowactivate --sync "$E2E_MAIN"

# ---- 一等奖 first; 三等奖 with a winner absent and redrawn; killed between rounds --------------
press alt+j End # the last prize of the plan
wait_for 10 grep -aEq $'^选择奖项：.*，奖项3\r?$' "$record" || fail "Alt+J and End did not choose 一等奖"
plan_round # 一等奖, 1
plan_round # 三等奖, 3: the first prize with places left
xdotool mousemove --window "$E2E_MAIN" "$(px 3000)" "$(px 2400)" click 1
press ctrl+End Delete # [4], the last: a long name wraps, so Up need not reach [3]
wait_window "弃奖" >/dev/null || fail "Delete asked nothing"
answer Return "弃奖"
wait_for 10 grep -aq '^弃奖：.*，\[4\]' "$record" || fail "the record has no absent mark on [4]"
plan_round # 三等奖's replacement
[[ $(winner_lines "$record") == 5 ]] || fail "the record holds $(winner_lines "$record") winners before the kill"
grep -aFq '\u000A' "$record" || fail "no name with an LF was drawn, or it was written unescaped"
e2e_kill
grep -aEq '^(公布|结束)：' "$record" && fail "a killed run's record reveals or ends"

e2e_launch
wait_window "继续摇号" >/dev/null || fail "the run with escaped names was not offered to continue"
answer Return "继续摇号" # Yes
wait_window "$title" >/dev/null || fail "the verifiable window did not reopen"
wait_for 10 grep -aEq "^继续：$time，恢复5人"$'\r?$' "$record" || fail "continued: $(grep -a '^继续' "$record")"
# Read-only now: a digit and Alt+U change nothing (counted in the record at the end).
type_digits 9
press alt+u
e2e_focus_main
plan_round # 二等奖, 2
press alt+x
e2e_exit_with_yes_twice
[[ $(newest_record) == "$record" ]] || fail "the continued run wrote another record"
echo "continued and ended: $(winner_lines "$record") winner lines"

# ---- The record's lines ----------------------------------------------------------------------
rounds=$(sed -n 's/^第\([0-9]*\)轮：[^，]*，\([0-9]*\)人，\(奖项[0-9]*\)\r\?$/\1:\2\3/p' "$record" | paste -sd' ')
[[ $rounds == "1:1奖项3 2:3奖项1 3:1奖项1 4:2奖项2" ]] || fail "rounds: $rounds"
secret=$(sed -n 's/^秘密值：\([0-9a-f]*\)\r\?$/\1/p' "$record")
grep -Eaq "^公布：$time，秘密值 $secret，共7个位置，记录SHA-256 $hex64"$'\r?$' "$record" ||
    fail "the reveal: $(grep -a '^公布' "$record")"
[[ $(grep -aE '^(公布|结束)：' "$record" | sed 's/：.*//' | paste -sd' ') == "公布 结束" ]] ||
    fail "公布 and 结束: $(grep -aE '^(公布|结束)：' "$record")"
for line in 可验证摇号 秘密值 见证人1 见证人2 公开输入 弃奖; do
    [[ $(count_lines "^$line：") == 1 ]] || fail "$line is recorded $(count_lines "^$line：") times"
done
(($(count_lines '^见证人') == 2)) || fail "witnesses: $(grep -a '^见证人' "$record")"
# No line begins with what a name holds after its LF.
(($(count_lines '^第9轮\|^\[9\]') == 0)) || fail "a name wrote a record line: $(cat "$record")"
numbers=$(sed -n 's/^\[\([0-9]*\)\]:\t.*/\1/p' "$record" | sort -nu | paste -sd' ')
[[ $numbers == "1 2 3 4 5 6 7" ]] || fail "numbers: $numbers"

# ---- The checker page on the record, then on tampered and cut copies ---------------------------
# It runs while the next list is drawn, on copies of this list and plan, which that run replaces.
cp "$E2E_WORK/bonus.txt" "$E2E_WORK/list1.txt"
cp "$E2E_WORK/奖项.txt" "$E2E_WORK/plan1.txt"
# Cut after its second round's last winner, [4], as if the rest had been removed: no reveal.
tr -d '\r' <"$record" | sed '/^\[4\]:\t/q' | sed 's/$/\r/' >"$E2E_WORK/cut.txt"
{
    page_check "$record" "$E2E_WORK/list1.txt" "$E2E_WORK/plan1.txt" &&
        page_check_cut "$E2E_WORK/cut.txt" "$E2E_WORK/list1.txt" "$E2E_WORK/plan1.txt"
} >"$E2E_WORK/page1.log" 2>&1 &
first_page=$!

# ---- A UTF-16 LE list: a void commitment, then a run with a mark, revealed and checked -------
rm "$E2E_WORK/奖项.txt"
{
    printf '\xff\xfe'
    printf '%s\r\n' 赵敏 "Bob Li" 周芷若 陈𠮷 "司马 光" 张无忌 小昭 殷离 杨逍 范遥 韦一笑 "Mary Ann" 黛绮丝 \
        谢逊 宋青书 俞莲舟 "O'Neil" 灭绝 纪晓芙 常遇春 | iconv -f UTF-8 -t UTF-16LE
} >"$E2E_WORK/bonus.txt"
e2e_launch
verifiable_initialize
void=$record
e2e_focus_main
press alt+x
e2e_exit_with_yes_twice
grep -aEq "^承诺作废：$time，公开输入之前结束"$'\r?$' "$void" || fail "no void commitment: $(cat "$void")"
grep -aq '秘密值' "$void" && fail "the secret of a void commitment was recorded"
void_c=$(sed -n 's/^可验证摇号：[^，]*，承诺 \([0-9a-f]*\)\r\?$/\1/p' "$void")

e2e_launch
verifiable_initialize
[[ $record != "$void" ]] || fail "the second commitment went into the void one's record"
head_lines=$(lines_from 可验证摇号 4)
[[ $head_lines =~ ^可验证摇号：kelvara-verifiable-draw-2，承诺\ $hex64\ \|\ 此前承诺：1，${void##*/}，承诺\ $void_c，公开输入前作废\ \|\ 本名单第2次承诺\ \|\ 初始化：$time$ ]] ||
    fail "the head after a void commitment: $head_lines"
confirm_public_input 5093127 64081239
# Rounds of 3: the tampered copies' public input must draw other winners, which with 6 of
# 20 names is all but certain.
set_round_size 3
draw_round
xdotool mousemove --window "$E2E_MAIN" "$(px 3000)" "$(px 2400)" click 1
press ctrl+End Delete # [3], the last
wait_window "弃奖" >/dev/null || fail "Delete asked nothing"
answer Return "弃奖"
wait_for 10 grep -aq '^弃奖：.*，\[3\]' "$record" || fail "the record has no absent mark on [3]"
draw_round
press alt+x
e2e_exit_with_yes_twice
grep -aq '^公布：' "$record" || fail "the UTF-16 run was not revealed"
echo "UTF-16 LE list: void commitment named, $(winner_lines "$record") winner lines"
wait "$first_page" || { cat "$E2E_WORK/page1.log"; fail "the checker page on the first record"; }
cat "$E2E_WORK/page1.log"
page_check "$record" "$E2E_WORK/bonus.txt" /dev/null || fail "the checker page on the UTF-16 run's record"
echo "PASS"
