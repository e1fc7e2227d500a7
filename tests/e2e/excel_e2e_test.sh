#!/usr/bin/env bash
# The real program drawing from a bonus.xlsx that another program (openpyxl) wrote, with a
# prize plan and an absent mark, through Save: 摇号结果.xlsx is opened by openpyxl and every
# cell checked against the text file and the list; the record names the workbook.
# Usage: excel_e2e_test.sh <kelvara> <bonus.txt>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
require_tools /usr/bin/python3
/usr/bin/python3 -c "import openpyxl" 2>/dev/null || fail "python3-openpyxl is not installed"
e2e_start "${1:?path of the built kelvara}" "${2:?path of the sample bonus.txt}"
rm "$E2E_WORK/bonus.txt"
printf '二等奖 3\r\n一等奖 1\r\n' >"$E2E_WORK/奖项.txt"

# A header, IDs that are text with leading zeros and numbers, a date, a blank row.
/usr/bin/python3 - "$E2E_WORK/bonus.xlsx" <<'PY'
import datetime, sys, openpyxl
book = openpyxl.Workbook()
sheet = book.active
sheet.append(["工号", "姓名", "入职日期"])
for k in range(1, 13):
    if k == 7:
        sheet.append([])
    ident = f"{k:05d}" if k % 2 else 20230000 + k
    sheet.append([ident, f"员工{k}", datetime.date(2020, 1, k)])
    sheet.cell(row=sheet.max_row, column=3).number_format = "yyyy-mm-dd"
book.save(sys.argv[1])
PY
/usr/bin/python3 - "$E2E_WORK/bonus.xlsx" >"$E2E_WORK/rows.txt" <<'PY'
import sys, openpyxl
for row in openpyxl.load_workbook(sys.argv[1]).active.iter_rows(min_row=2, values_only=True):
    cells = [c.strftime("%Y-%m-%d") if hasattr(c, "strftime") else str(c) for c in row if c is not None]
    if cells:
        print(" ".join(cells))
PY

initialize
plan_round # 二等奖, 3 people
# A winner is absent: the caret to a line of the round, Delete, Yes.
xdotool mousemove --window "$E2E_MAIN" "$(px 3000)" "$(px 2400)" click 1
press ctrl+End Up Delete
wait_window "弃奖" >/dev/null || fail "Delete asked nothing"
answer Return "弃奖"
xdotool windowactivate --sync "$E2E_MAIN"
plan_round # the replacement
plan_round # 一等奖
press alt+s
wait_window "$E2E_PRODUCT" >/dev/null
answer Return "$E2E_PRODUCT"

record=$(newest_record)
grep -q "^名单：bonus.xlsx，共12条，SHA-256 $(sha256sum "$E2E_WORK/bonus.xlsx" | cut -c1-64)" "$record" ||
    fail "the record does not name the workbook: $(head -n3 "$record")"
/usr/bin/python3 - "$E2E_WORK" <<'PY' || fail "the results workbook does not match"
import datetime, re, sys, openpyxl
work = sys.argv[1]
rows = set(open(f"{work}/rows.txt", encoding="utf-8").read().splitlines())
text = open(f"{work}/摇号结果.txt", encoding="utf-8", newline="").read().split("\r\n")
listed = [re.match(r"\[(\d+)\]:\t(.*?)(（弃奖）)?$", l).groups() for l in text if l.startswith("[")]
sheet = openpyxl.load_workbook(f"{work}/摇号结果.xlsx").active
cells = list(sheet.iter_rows(values_only=True))
assert cells[0] == ("序号", "姓名", "奖项", "轮次", "时间", "备注"), cells[0]
assert sheet.freeze_panes == "A2", sheet.freeze_panes
assert sheet["A1"].font.b, "the header is not bold"
prizes = ["二等奖"] * 3 + ["二等奖", "一等奖"]
rounds = [1, 1, 1, 2, 3]
assert len(cells) == 6 and len(listed) == 5, (cells, listed)
for k, (row, (number, name, absent)) in enumerate(zip(cells[1:], listed)):
    assert row[0] == int(number) == k + 1, row
    assert row[1] == name and name in rows, (row, name)
    assert sheet.cell(row=k + 2, column=2).data_type == "s", row
    assert row[2] == prizes[k] and row[3] == rounds[k], row
    assert isinstance(row[4], datetime.datetime), row
    assert row[5] == ("弃奖" if absent else None), row
    print(" | ".join(str(c) for c in row))
assert sum(1 for l in listed if l[2]) == 1, "one winner is marked absent"
PY
echo "results workbook OK"
