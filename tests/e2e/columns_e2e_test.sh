#!/usr/bin/env bash
# A list with columns, from the keyboard. A bonus.xlsx with a header (姓名, 身份证号, 手机, 部门)
# and one person twice: Initialize asks 名单检查 (Enter is No and nothing starts; Alt+Y draws
# anyway), two rounds, the audience view, 列与公示 (title and place kept in 摇号设置.json),
# Save (IDs and phones masked in both files, full rows in the record) and 公示 (the PDF and
# workbook, printed by a stand-in lp). Then a TAB-separated bonus.txt pasted from a
# spreadsheet: its header is no candidate and Save masks its IDs.
# Usage: columns_e2e_test.sh <kelvara> <bonus.txt>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
require_tools convert pdftotext pdffonts /usr/bin/python3
/usr/bin/python3 -c "import openpyxl" 2>/dev/null || fail "python3-openpyxl is not installed"

# Print goes to lp on the PATH: this one keeps what it was given.
mkdir -p "$E2E_WORK/bin"
cat >"$E2E_WORK/bin/lp" <<EOF
#!/bin/sh
printf '%s\n' "\$@" >>"$E2E_WORK/printed"
cp "\$1" "$E2E_WORK/printed-\$(basename "\$1")"
EOF
chmod +x "$E2E_WORK/bin/lp"
export PATH="$E2E_WORK/bin:$PATH"

# The list: 30 people with valid IDs (check digit by GB 11643) and phones; 住户07 is
# listed again at the end with another phone, so the two rows share an ID only.
/usr/bin/python3 - "$E2E_WORK/people.tsv" <<'PY'
import sys
weights = [7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2]
def ident(k):
    body = f"110101{1960 + k:04d}{k % 12 + 1:02d}{k % 28 + 1:02d}{k:03d}"
    return body + "10X98765432"[sum(int(d) * w for d, w in zip(body, weights)) % 11]
rows = [(f"住户{k:02d}", ident(k), f"138{k:04d}{5678 + k:04d}", f"{k % 3 + 1}号楼")
        for k in range(1, 31)]
rows.append((rows[6][0], rows[6][1], "13900001111", rows[6][3]))
with open(sys.argv[1], "w", encoding="utf-8") as out:
    for row in rows:
        out.write("\t".join(row) + "\n")
PY

e2e_start "${1:?path of the built kelvara}" "${2:?path of the sample bonus.txt}"
rm "$E2E_WORK/bonus.txt"
/usr/bin/python3 - "$E2E_WORK/people.tsv" "$E2E_WORK/bonus.xlsx" <<'PY'
import sys, openpyxl
book = openpyxl.Workbook()
sheet = book.active
sheet.append(["姓名", "身份证号", "手机", "部门"])
for line in open(sys.argv[1], encoding="utf-8"):
    sheet.append(line.rstrip("\n").split("\t"))
book.save(sys.argv[2])
PY

record_count() { ls "$E2E_WORK"/摇号记录/摇号记录_*.txt 2>/dev/null | wc -l; }

# ---- The list check: Enter is No, Alt+Y draws anyway ----------------------------------
# The box's words are checked where they are kept, in the record after Yes.
press alt+i
box=$(wait_window "名单检查")
shoot_window "$box" list-check
keep_shot "$E2E_WORK/list-check.ppm" columns-list-check
answer Return "名单检查"
main_takes_keys || fail "the main window takes no keys after No"
(($(record_count) == 0)) || fail "No began a record: $(ls "$E2E_WORK"/摇号记录)"
# Start (Alt+G) is disabled: the label stays as it was.
shoot no-list
press alt+g
main_takes_keys || fail "the main window takes no keys after Alt+G"
! changed no-list after-no "$label_area" || fail "Start began a round after the check was declined"
echo "名单检查: Enter is No and nothing was initialised"

shoot before-initialize
press alt+i
wait_window "名单检查" >/dev/null
answer alt+y "名单检查"
wait_for 10 changed before-initialize initialized "$label_area" || fail "Yes did not initialise"
record=$(newest_record)
# Cells are joined by TAB, escaped as in names.
grep -aq '^表头：姓名\\u0009身份证号\\u0009手机\\u0009部门.$' "$record" || fail "no header line: $(head -n5 "$record")"
grep -aq '^名单检查：.*，发现1处问题，仍然摇号' "$record" || fail "no check line: $(head -n8 "$record")"
grep -aq "^重复：身份证号相同，文件第8、32行" "$record" || fail "no duplicate line: $(head -n8 "$record")"
grep -aq '^显示列：' "$record" || fail "no 显示列 line: $(head -n8 "$record")"
echo "Alt+Y: initialised; the record has the header, the check and the columns"

# ---- Two rounds of 4, the audience view ------------------------------------------------
set_round_size 4
draw_round
draw_round
press F11
view=$(wait_window "摇号 - 观众画面")
wait_for 10 screen_still audience "1280x1024+0+0" || fail "the audience view does not settle"
keep_shot "$E2E_WORK/audience.ppm" columns-audience
press F11
wait_window_gone "摇号 - 观众画面"
e2e_focus_main

# ---- 列与公示: title and place, kept ------------------------------------------------------
# Characters outside the keymap are typed through a remapped key: slowly, and even so a loaded
# X server may lose one, so the fields are typed again (all selected first) until the settings
# file holds them; the program is what is checked, not xdotool.
settings_hold() {
    /usr/bin/python3 - "$E2E_WORK/摇号设置.json" <<'PY'
import json, sys
settings = json.load(open(sys.argv[1], encoding="utf-8"))
assert settings["活动名称"] == "阳光小区车位摇号", settings
assert settings["地点"] == "社区活动室", settings
PY
}
for attempt in 1 2 3; do
    press alt+l
    wait_window "列与公示" >/dev/null
    press ctrl+a
    xdotool type --delay 120 "阳光小区车位摇号"
    press Tab
    press ctrl+a
    xdotool type --delay 120 "社区活动室"
    if [[ $attempt == 1 ]]; then
        shoot_window "$(window_titled "列与公示")" columns-dialog
        keep_shot "$E2E_WORK/columns-dialog.ppm" columns-dialog
    fi
    answer Return "列与公示"
    settings_hold 2>/dev/null && break
    [[ $attempt == 3 ]] && fail "摇号设置.json: $(cat "$E2E_WORK/摇号设置.json")"
    echo "NOTE: a typed character was lost; typing the fields again"
done
echo "列与公示: the title and place are kept"

# ---- Save: masked files, full record ----------------------------------------------------
e2e_focus_main
press alt+s
wait_window "$E2E_PRODUCT" >/dev/null
answer Return "$E2E_PRODUCT"
# Winners' names, and their rows in the list (住户07 by the row the record drew).
tr -d '\r' <"$E2E_WORK/摇号结果.txt" >"$E2E_WORK/results.txt"
/usr/bin/python3 - "$E2E_WORK" "$record" <<'PY' || fail "the results do not match: $(cat "$E2E_WORK/results.txt")"
import re, sys, openpyxl
work, record = sys.argv[1:]
people = [l.rstrip("\n").split("\t") for l in open(f"{work}/people.tsv", encoding="utf-8")]
text = open(f"{work}/results.txt", encoding="utf-8").read()
drawn = [l for l in open(record, encoding="utf-8").read().splitlines() if re.match(r"\[\d+\]:\t第", l)]
assert len(drawn) == 8, drawn
full_ids = {p[1] for p in people}
for line in drawn:
    row = next(p for p in people if line.endswith("\t" + " ".join(p)))  # the full row
    masked_id = row[1][:6] + "*" * 8 + row[1][-4:]
    masked_phone = row[2][:3] + "****" + row[2][-4:]
    assert masked_id in text and masked_phone in text and row[0] in text, (row, text)
assert len(re.findall(r"\d{6}\*{8}\d{3}[\dX]", text)) == 8, text
assert len(re.findall(r"1\d{2}\*{4}\d{4}", text)) == 8, text
assert not any(i in text for i in full_ids), text
sheet = openpyxl.load_workbook(f"{work}/摇号结果.xlsx").active
cells = list(sheet.iter_rows(values_only=True))
head = list(cells[0])
assert all(h in head for h in ("姓名", "身份证号", "手机", "部门")), head
ids = [r[head.index("身份证号")] for r in cells[1:]]
phones = [r[head.index("手机")] for r in cells[1:]]
assert len(ids) == 8 and all(re.fullmatch(r"\d{6}\*{8}\d{3}[\dX]", i) for i in ids), ids
assert all(re.fullmatch(r"1\d{2}\*{4}\d{4}", p) for p in phones), phones
assert all(re.search(r"\d{6}\*{8}\d{3}[\dX]", l) for l in text.splitlines() if l.startswith("[")), text
PY
echo "Save: IDs and phones masked in 摇号结果.txt and .xlsx; the record keeps the full rows"

# ---- 公示: written, printed ----------------------------------------------------------------
rm -f "$E2E_WORK/printed"
press alt+k
wait_window "公示" >/dev/null
[[ -f $E2E_WORK/摇号公示.pdf && -f $E2E_WORK/摇号公示.xlsx ]] || fail "公示 wrote $(ls "$E2E_WORK")"
answer Return "公示" # Yes
wait_for 10 test -s "$E2E_WORK/printed" || fail "the 公示 was not printed"
grep -q '摇号公示.pdf$' "$E2E_WORK/printed" || fail "printed: $(cat "$E2E_WORK/printed")"
cmp "$E2E_WORK/摇号公示.pdf" "$E2E_WORK/printed-摇号公示.pdf" || fail "the printed PDF is not the one written"
pdftotext -raw "$E2E_WORK/摇号公示.pdf" "$E2E_WORK/publication.txt"
grep -q '阳光小区车位摇号' "$E2E_WORK/publication.txt" || fail "no title in the PDF"
grep -q '社区活动室' "$E2E_WORK/publication.txt" || fail "no place in the PDF"
grep -q '第 1 页 共 1 页' "$E2E_WORK/publication.txt" || fail "no page numbers in the PDF"
while read -r masked; do
    grep -qF -- "$masked" "$E2E_WORK/publication.txt" || fail "the PDF lacks the winner $masked"
done < <(grep -oE '[0-9]{6}\*{8}[0-9]{3}[0-9X]' "$E2E_WORK/results.txt")
cut -f2 "$E2E_WORK/people.tsv" | grep -qFf - "$E2E_WORK/publication.txt" && fail "the PDF shows a full ID"
fonts=$(pdffonts "$E2E_WORK/摇号公示.pdf" | tail -n +3)
[[ -n $fonts ]] || fail "the PDF has no fonts"
awk '$(NF-4) != "yes" { exit 1 }' <<<"$fonts" || fail "fonts not embedded: $fonts"
/usr/bin/python3 - "$E2E_WORK" <<'PY' || fail "摇号公示.xlsx does not match"
import re, sys, openpyxl
work = sys.argv[1]
values = [str(c) for row in openpyxl.load_workbook(f"{work}/摇号公示.xlsx").active.iter_rows(values_only=True)
          for c in row if c is not None]
text = open(f"{work}/results.txt", encoding="utf-8").read()
assert values[0] == "阳光小区车位摇号", values[:3]
ids = [v for v in values if re.fullmatch(r"\d{6}\*{8}\d{3}[\dX]", v)]
assert sorted(ids) == sorted(re.findall(r"\d{6}\*{8}\d{3}[\dX]", text)), ids
PY
echo "公示: PDF and workbook written, the PDF printed; masked, fonts embedded"

e2e_focus_main
press alt+x
e2e_exit_with_yes_twice

# ---- A TAB-separated bonus.txt pasted from a spreadsheet ------------------------------
rm "$E2E_WORK/bonus.xlsx" "$E2E_WORK/摇号结果.txt"
{
    printf '姓名\t身份证号\t手机\t部门\r\n'
    head -n 12 "$E2E_WORK/people.tsv" | sed 's/$/\r/'
} >"$E2E_WORK/bonus.txt"
e2e_launch
e2e_focus_main
initialize
record=$(newest_record)
grep -aq '^名单：bonus.txt，共12条' "$record" || fail "the header was counted: $(head -n3 "$record")"
grep -aq '^名单检查：' "$record" && fail "a clean list was reported: $(head -n5 "$record")"
set_round_size 12
draw_round
press alt+s
wait_window "$E2E_PRODUCT" >/dev/null
answer Return "$E2E_PRODUCT"
tr -d '\r' <"$E2E_WORK/摇号结果.txt" >"$E2E_WORK/results.txt"
grep -qE '^\[[0-9]+\]:.*姓名' "$E2E_WORK/results.txt" && fail "the header was drawn"
(($(grep -cE '^\[[0-9]+\]:.*[0-9]{6}\*{8}[0-9]{3}[0-9X]' "$E2E_WORK/results.txt") == 12)) ||
    fail "the 12 winners are not listed masked: $(cat "$E2E_WORK/results.txt")"
head -n 12 "$E2E_WORK/people.tsv" | cut -f2 | grep -qFf - "$E2E_WORK/results.txt" &&
    fail "a full ID was saved"
echo "bonus.txt with TABs: the header is no candidate; Save masks the IDs"

press alt+x
e2e_exit_with_yes_twice
echo "PASS"
