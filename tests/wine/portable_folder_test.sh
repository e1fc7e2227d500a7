#!/usr/bin/env bash
# The packed Windows program under wine, as a user on Chinese Windows meets it: the zip is
# unpacked into a folder with a Chinese name, the sample prize plan in its subfolder 示例 and
# the verifiable draw's check page beside the program are checked, and kelvara.exe runs there
# with code page 936 on Xvfb with openbox. Initialize reads the GBK sample list, one round is
# drawn, Save writes 摇号结果.txt in GBK, Print hands that file to the shell's print
# operation, and a screenshot of the window is kept.
# Then a workbook list another program wrote is drawn from in a verifiable draw, its record
# checked against the reference sequence, and Save's 摇号结果.xlsx read back.
# Last a procedure in GBK files: two groups, places from 房源.txt in order and each group's
# waiting list, and its record's lines.
# The caller provides WINEPREFIX.
# Usage: portable_folder_test.sh <Kelvara-…-win64.zip> <screenshot.png>
set -euo pipefail

zip=${1:?path of the packed zip}
shot=${2:?where to keep the screenshot}

for tool in Xvfb openbox xdotool import unzip iconv wine; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing" >&2; exit 1; }
done
: "${WINEPREFIX:?a prepared wine prefix}"

export KELVARA_E2E_VERSION=${KELVARA_E2E_VERSION:-1.0.0}
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
work=$E2E_WORK
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
# The window belongs to wine's process for the program, not to the one started here.
E2E_ANY_CLIENT=yes
verb_saved=
txt_added=
# Puts back the prefix's print operation and file type as they were.
e2e_on_exit() {
    [[ -n $txt_added ]] && wine reg delete "$txt_key" /f >/dev/null 2>&1 || true
    [[ -n $verb_saved ]] && wine reg import "$verb_saved" >/dev/null 2>&1 || true
}

# The portable folder, unpacked where a user would put it.
mkdir "$work/摇号 软件"
unzip -q "$zip" -d "$work/摇号 软件"
folder=$(find "$work/摇号 软件" -mindepth 1 -maxdepth 1 -type d)
for file in kelvara.exe bonus.txt 说明.txt kelvara-verify.html 示例/奖项.txt; do
    [[ -f $folder/$file ]] || fail "the zip has no $file"
done
# The verifiable draw's check page beside the program, as the project keeps it.
cmp "$root/resources/kelvara-verify.html" "$folder/kelvara-verify.html" ||
    fail "kelvara-verify.html is not resources/kelvara-verify.html"
# The sample prize plan waits in 示例 until the user copies it beside kelvara.exe (the round
# below has no prize heading): resources/奖项.txt in GBK with CR LF, as Notepad keeps it.
[[ ! -e $folder/奖项.txt ]] || fail "the zip puts a prize plan in force beside kelvara.exe"
sed 's/\r$//; s/$/\r/' "$root/resources/奖项.txt" |
    iconv -f UTF-8 -t GBK >"$work/plan-expected"
cmp "$work/plan-expected" "$folder/示例/奖项.txt" ||
    fail "示例/奖项.txt is not the sample plan in GBK with CR LF"
grep -Fq '示例\奖项.txt' "$folder/说明.txt" ||
    fail "说明.txt does not tell how to use the sample prize plan"
# The program carries its icon and its version data (windres lists a PE file's resources).
resources=$(x86_64-w64-mingw32-windres -i "$folder/kelvara.exe" -O rc) || fail "no resources"
grep -q 'RT_GROUP_ICON' <<<"$resources" || fail "kelvara.exe has no icon"
grep -q 'FILEVERSION 1, 0, 0, 0' <<<"$resources" || fail "kelvara.exe has no version 1.0.0"
# 最简单摇号软件, as windres writes it.
grep -Fq 'L"\x6700\x7b80\x5355\x6447\x53f7\x8f6f\x4ef6"' <<<"$resources" ||
    fail "kelvara.exe has no Chinese file description"
# The sample list is GBK, which is not UTF-8.
iconv -f GBK -t UTF-8 "$folder/bonus.txt" | tr -d '\r' >"$work/bonus-utf8.txt" ||
    fail "bonus.txt is not GBK"
! iconv -f UTF-8 -t UTF-8 "$folder/bonus.txt" >/dev/null 2>&1 || fail "bonus.txt is UTF-8"
results="$folder/摇号结果.txt"

e2e_desktop
export LANG=zh_CN.UTF-8
unset LC_ALL LC_CTYPE LC_MESSAGES QT_QPA_PLATFORM QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS

# The shell's print operation for text files, replaced by one that keeps a copy of what it
# was given: the test sees what would have gone to the printer.
printed_unix="$work/printed.txt"
printed_win=$(winepath -w "$printed_unix" 2>/dev/null)
verb='HKLM\Software\Classes\txtfile\shell\print\command'
wine reg export "$verb" "$(winepath -w "$work/print-verb.reg")" /y >/dev/null 2>&1 &&
    verb_saved=$(winepath -w "$work/print-verb.reg")
# .txt files are of the text file type (wine's own prefix may not say so).
txt_key='HKLM\Software\Classes\.txt'
wine reg query "$txt_key" >/dev/null 2>&1 || txt_added=yes
wine reg add "$txt_key" /ve /d txtfile /f >/dev/null 2>&1 || fail "cannot associate .txt"
wine reg add "$verb" /ve /d "cmd.exe /c copy /y \"%1\" \"$printed_win\"" /f >/dev/null 2>&1 ||
    fail "cannot set the print verb"

# The player's requests, as wine may have no sound device; and a JPEG background for the
# audience view, which the static program must decode.
export KELVARA_SOUND_LOG
KELVARA_SOUND_LOG=$(winepath -w "$work/sound.log" 2>/dev/null)
mkdir "$folder/图片"
convert -size 640x360 gradient:'#103070-#3070d0' -quality 85 "$folder/图片/背景.jpg"

(cd "$folder" && exec wine kelvara.exe) >"$work/kelvara.log" 2>&1 &
E2E_APP=$!
wait_for 60 window_shown "$(main_title)" || fail "the main window did not appear"
E2E_MAIN=$(window_titled "$(main_title)")
e2e_focus_main
sleep 1

# Initialize, one round (Enter starts, Enter stops), then let the listing run.
press alt+i
sleep 1.5
press Return
sleep 1
press Return
sleep 2
import -window root "$shot"
echo "screenshot: $shot"
sounds=$(tr -d '\r' <"$work/sound.log" 2>/dev/null | paste -sd'|')
[[ $sounds == *"loop builtin:roll|once builtin:fanfare"* ]] ||
    fail "the player was not asked for the loop and the fanfare: '$sounds'"
echo "sound OK: $sounds"

# The audience view over the JPEG background: blue at its corner, and no message that the
# picture could not be read.
press F11
wait_for 20 window_shown "摇号 - 观众画面" || fail "F11 opened no audience view"
sleep 2
window_shown "$E2E_PRODUCT" && fail "a message came up over the audience view"
corner=$(import -window root -crop 1x1+4+1000 -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}')
((16#${corner:5:2} > 16#${corner:1:2} + 30)) || fail "the audience view's corner is $corner, not the picture's blue"
echo "JPEG background OK: corner $corner"
press Escape
wait_for 20 window_gone "摇号 - 观众画面" || fail "Escape left the audience view open"
e2e_focus_main

# Save writes the file before its confirmation appears.
press alt+s
wait_for 15 test -f "$results" || fail "Alt+S wrote no results file"
sleep 1
press Return
sleep 0.5

# GBK bytes: the heading, an empty line, the one winner, CR LF.
name=$(iconv -f GBK -t UTF-8 "$results" | sed -n '3p' | tr -d '\r' | cut -f2)
[[ -n $name ]] || fail "no winner in the results file: $(od -c "$results" | head)"
grep -Fxq -- "$name" "$work/bonus-utf8.txt" || fail "the winner '$name' is not in the list"
printf '摇号结果\r\n\r\n[1]:\t%s\r\n' "$name" | iconv -f UTF-8 -t GBK >"$work/expected"
cmp "$work/expected" "$results" || fail "unexpected bytes: $(od -c "$results" | head)"
echo "results file OK (GBK): [1] $name"

# Print rewrites the file and hands it to the shell's print operation.
rm -f "$results"
e2e_focus_main
press alt+p
wait_for 20 test -s "$printed_unix" || fail "Print did not reach the shell's print operation"
cmp "$results" "$printed_unix" || fail "the printed file differs from the results file"
echo "print OK: the shell's print operation received 摇号结果.txt"

# Exit with Yes to both questions.
e2e_focus_main
press alt+x
e2e_exit_with_yes_twice

# Again from a workbook that another program wrote, in place of the text list: Save writes
# 摇号结果.xlsx into the folder of Chinese name as well.
/usr/bin/python3 -c 'import openpyxl' 2>/dev/null || fail "python3-openpyxl is not installed"
rm "$folder/bonus.txt" "$folder/摇号结果.txt"
/usr/bin/python3 - "$folder/bonus.xlsx" <<'PY'
import sys, openpyxl
book = openpyxl.Workbook()
book.active.append(["姓名", "部门"])
for k in range(1, 6):
    book.active.append([f"员工{k}", "销售部"])
book.save(sys.argv[1])
PY
(cd "$folder" && exec wine kelvara.exe) >>"$work/kelvara.log" 2>&1 &
E2E_APP=$!
wait_for 60 window_shown "$(main_title)" || fail "the main window did not appear again"
E2E_MAIN=$(window_titled "$(main_title)")
e2e_focus_main
sleep 1
# A verifiable draw this time: chosen in the widened window, the public input keyed into the
# window that Initialize opens.
e2e_widen
press alt+y
sleep 0.5
press alt+i
wait_for 30 window_shown 可验证摇号 || fail "Initialize opened no 可验证摇号 window"
sleep 1
xdotool type --delay 150 202612087315
sleep 0.5
press alt+u
wait_for 15 grep -q 公开输入 "$folder"/摇号记录/摇号记录_*.txt || fail "the public input was not recorded"
e2e_focus_main
sleep 0.5
press Return
sleep 1
press Return
sleep 2
press alt+s
wait_for 15 test -f "$folder/摇号结果.xlsx" || fail "Alt+S wrote no results workbook"
sleep 1
press Return
/usr/bin/python3 - "$folder" <<'PY' || fail "the results workbook does not match the results file"
import sys, openpyxl
folder = sys.argv[1]
name = open(f"{folder}/摇号结果.txt", encoding="gbk", newline="").read().split("\r\n")[2].split("\t")[1]
rows = list(openpyxl.load_workbook(f"{folder}/摇号结果.xlsx").active.iter_rows(values_only=True))
assert rows[0] == ("序号", "姓名", "轮次", "时间", "备注"), rows[0]
assert len(rows) == 2 and rows[1][:3] == (1, name, 1), rows
assert name.endswith(" 销售部") and name.startswith("员工"), name
print("results workbook OK:", rows[1][:3])
PY
# 公示: the PDF with its Chinese fonts embedded and the workbook beside it; not printed.
e2e_focus_main
press alt+k
wait_for 30 test -f "$folder/摇号公示.xlsx" || fail "Alt+K wrote no 摇号公示 files"
wait_for 15 window_shown 公示 || fail "no question whether to print the 公示"
answer alt+n 公示
pdffonts "$folder/摇号公示.pdf" | awk 'NR > 2 && $(NF-4) != "yes" { bad = 1 } END { exit bad }' ||
    fail "the 公示 PDF has fonts not embedded: $(pdffonts "$folder/摇号公示.pdf")"
pdftotext -raw "$folder/摇号公示.pdf" - >"$work/publication.txt"
grep -q "第 1 页 共 1 页" "$work/publication.txt" && grep -q "员工" "$work/publication.txt" &&
    grep -q "kelvara-verifiable-draw-2" "$work/publication.txt" ||
    fail "the 公示 PDF lacks its winner, algorithm or page footer: $(cat "$work/publication.txt")"
echo "公示 OK: $(pdffonts "$folder/摇号公示.pdf" | sed -n '3p' | cut -c1-40)"
e2e_focus_main
press alt+x
e2e_exit_with_yes_twice
# The record commits to the secret, the workbook and its 5 rows, and holds the secret only from
# the public input on; its winner is the one the reference computes, its reveal counts one
# position and the record's digest, and the checker page lies beside it.
cmp "$folder/摇号记录/kelvara-verify.html" "$root/resources/kelvara-verify.html" ||
    fail "the checker page is not beside the record"
/usr/bin/python3 - "$root/scripts" "$folder" <<'PY' || fail "the verifiable record does not check"
import glob, hashlib, re, sys
sys.path.insert(0, sys.argv[1])
from verifiable_vectors import V2, commitment, record_digest, sequence
path = sorted(glob.glob(f"{sys.argv[2]}/摇号记录/摇号记录_*.txt"))[-1]
record = open(path, encoding="utf-8", newline="").read()
lines = [line.removesuffix("\r") for line in record.split("\n")[:-1]]
field = lambda pattern: (re.search(pattern, record, re.MULTILINE) or sys.exit(f"no {pattern} in:\n{record}")).group(1)
secret = bytes.fromhex(field(r"^公布：[^，]*，秘密值 ([0-9a-f]{64})，"))
listed = hashlib.sha256(open(f"{sys.argv[2]}/bonus.xlsx", "rb").read()).digest()
assert field(rf"^可验证摇号：{V2}，承诺 ([0-9a-f]{{64}})\r$") == commitment(V2, secret, listed, b"", 5).hex(), "commitment"
at = lines.index(f"秘密值：{secret.hex()}")
assert lines[at - 1].endswith("，202612087315"), ("the secret comes with the public input", lines[at - 1])
line = sequence(V2, secret, listed, b"", "202612087315", 5, 1)[0]
assert f"[1]:\t第{line}行" in record, (line, record)
reveal = next(k for k, text in enumerate(lines) if text.startswith("公布："))
assert lines[reveal].endswith(f"，共1个位置，记录SHA-256 {record_digest(lines[:reveal]).hex()}"), lines[reveal]
print("verifiable record OK: [1] is line", line)
PY

# A procedure, as a housing office writes it in Notepad (GBK, CR LF): 30 families in two
# groups, each group's five admitted given flats from 房源.txt in order and the rest on its
# waiting list (全部). Initialize, and a round per plan line of what the box holds.
rm -f "$folder/bonus.xlsx" "$folder"/摇号结果.* "$folder"/摇号公示.*
gbk() { sed 's/$/\r/' | iconv -f UTF-8 -t GBK; }
{
    printf '姓名\t组别\n'
    for k in $(seq -w 1 30); do printf '住户%s\t%s\n' "$k" "$( ((10#$k % 2)) && echo A || echo B)"; done
} | gbk >"$folder/bonus.txt"
rooms=(1-101 1-102 1-201 1-202 2-101 2-102 2-201 2-202 3-101 3-102)
{
    printf '房号\t户型\n'
    printf '%s\t三室\n' "${rooms[@]}"
} | gbk >"$folder/房源.txt"
printf '%s\n' "A组 5 组别=A 房源=顺序" "A组候补 全部 组别=A" "B组 5 组别=B 房源=顺序" "B组候补 全部 组别=B" |
    gbk >"$folder/奖项.txt"
records() { find "$folder/摇号记录" -name '摇号记录_*.txt' | sort; }
records_before=$(records | wc -l)
more_records() { (($(records | wc -l) > records_before)); }
(cd "$folder" && exec wine kelvara.exe) >>"$work/kelvara.log" 2>&1 &
E2E_APP=$!
wait_for 60 window_shown "$(main_title)" || fail "the main window did not appear for the procedure"
E2E_MAIN=$(window_titled "$(main_title)")
e2e_focus_main
sleep 1
press alt+i
wait_for 30 more_records || fail "Initialize began no record for the procedure"
record=$(records | tail -n1)
sleep 1
for last in 5 15 20 30; do
    press Return
    sleep 1
    press Return
    wait_for 20 grep -aq "^\[$last\]:" "$record" || fail "the round to [$last] is not in the record: $(cat "$record")"
    sleep 1
done
e2e_focus_main
press alt+x
e2e_exit_with_yes_twice
# The places list and both waiting lists in the record; the flats in list order, A's first.
/usr/bin/python3 - "$record" "${rooms[@]}" <<'PY' || fail "the procedure's record: $(cat "$record")"
import re, sys
record, rooms = open(sys.argv[1], encoding="utf-8", newline="").read(), sys.argv[2:]
assert re.search(r"^房源表：房源.txt，共10个，SHA-256 [0-9a-f]{64}\r$", record, re.M), "房源表"
assert "\r\n奖项2：全部，A组候补\r\n" in record and "\r\n奖项4：全部，B组候补\r\n" in record, "全部 lines"
assert re.search(r"^抽签密钥：[^，]*，[0-9a-f]{64}\r$", record, re.M), "the draw key"
winners = re.findall(r"^\[(\d+)\]:\t第\d+行\t住户(\d+)[^\t\r]*(?:\t候补(\d+))?(?:\t房源第(\d+)行\t([^\r]*))?\r$",
                     record, re.M)
assert [int(w[0]) for w in winners] == list(range(1, 31)), winners
assert len({w[1] for w in winners}) == 30, "somebody listed twice"
places = [(int(w[3]), w[4]) for w in winners if w[3]]
assert places == [(k, rooms[k - 1] + "\\u0009三室") for k in range(1, 11)], places
assert [w[2] for w in winners[5:15]] == [str(k) for k in range(1, 11)], "A's waiting numbers"
assert [w[2] for w in winners[20:]] == [str(k) for k in range(1, 11)], "B's waiting numbers"
# Group A is the odd families: its admitted and its waiting list, then B's.
assert all(int(w[1]) % 2 for w in winners[:15]) and not any(int(w[1]) % 2 for w in winners[15:]), winners
print("procedure record OK: 10 places in order, two waiting lists of 10")
PY
echo "PASS"
