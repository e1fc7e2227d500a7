#!/usr/bin/env bash
# A public housing draw with the real program, from the keyboard: 500 families in bonus.xlsx
# (姓名, 身份证号, 组别, 批次), two groups in three tiers, 300 flats in 房源.xlsx matched to the
# admitted by a second random order, and each group's waiting list (全部). A verifiable run:
# the witnesses key the public input; each line is drawn in rounds. Four admitted winners
# decline, one a person who had just moved up, and a waiting person is marked absent: each
# decline moves the first still-waiting person up (递补) into the rank and the place. kill -9
# between declines, and 继续 brings the results back the same; 公示 is written, the exit
# reveals the secret, and the record is checked (procedure_check.py): tiers in order, groups
# apart, 300 distinct places, every 递补. The checker page then checks the record in headless
# chromium (left out without chromium); last, the 公示 PDF must name the run's algorithm and show
# every place and the waiting lists.
# Usage: procedure_e2e_test.sh <kelvara> <bonus.txt, not used: the test writes its own list>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
require_tools convert pdftotext /usr/bin/python3
python=/usr/bin/python3 # Debian's own, with python3-openpyxl
"$python" -c "import openpyxl" 2>/dev/null || fail "python3-openpyxl is not installed"
here=$(dirname "${BASH_SOURCE[0]}")

# The families: group A every 3 of 5 lines (300), B the rest (200); each group's tiers
# scattered over the file: A 100 of each, B 60, 70 and 70. Valid IDs (GB 11643 check digit),
# so the list check has nothing to ask. The tiers are numbers, as Excel keeps typed digits.
"$python" - "$E2E_WORK" <<'PY'
import sys, openpyxl
work = sys.argv[1]
weights = [7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2]
def ident(k):
    body = f"110101{1950 + k % 50:04d}{k % 12 + 1:02d}{k % 28 + 1:02d}{k:03d}"
    return body + "10X98765432"[sum(int(d) * w for d, w in zip(body, weights)) % 11]
people, seen = [], {"A": 0, "B": 0}
for k in range(1, 501):
    group = "A" if k % 5 < 3 else "B"
    n = seen[group]
    seen[group] += 1
    batch = 1 + n * 7 % 300 // 100 if group == "A" else (1 if n * 7 % 200 < 60 else 2 if n * 7 % 200 < 130 else 3)
    people.append((f"住户{k:03d}", ident(k), group, batch))
rooms = [(f"{1 + i // 60}号楼{(i % 60) // 4 + 1}{i % 4 + 1:02d}", 60 + i * 7 % 60 + 0.5) for i in range(300)]
for name, header, rows in (("bonus.xlsx", ["姓名", "身份证号", "组别", "批次"], people),
                           ("房源.xlsx", ["房号", "面积"], rooms)):
    book = openpyxl.Workbook()
    book.active.append(header)
    for row in rows:
        book.active.append(list(row))
    book.save(f"{work}/{name}")
with open(f"{work}/people.tsv", "w", encoding="utf-8") as out:
    out.writelines("\t".join(map(str, p)) + "\n" for p in people)
with open(f"{work}/places.tsv", "w", encoding="utf-8") as out:
    out.writelines("\t".join(map(str, r)) + "\n" for r in rooms)
PY

e2e_start "${1:?path of the built kelvara}" "${2:?path of the sample bonus.txt}"
rm "$E2E_WORK/bonus.txt"
printf '%s\r\n' "A组住房 180 组别=A 批次=1>2>3 房源=随机" "A组候补 全部 组别=A 批次=1>2>3" \
    "B组住房 120 组别=B 批次=1>2>3 房源=随机" "B组候补 全部 组别=B 批次=1>2>3" >"$E2E_WORK/奖项.txt"

# The highest number the record has listed.
last_number() { sed -n 's/^\[\([0-9]*\)\]:\t第.*/\1/p' "$record" | sort -n | tail -n1; }
listed_up_to() { [[ $(last_number) == "$1" ]]; }
# A round of the current line (the box holds its size), listed in the record up to [$1].
round_to() {
    plan_round
    wait_for 10 listed_up_to "$1" || fail "the round listed up to [$(last_number)], not [$1]"
}
# The caret to a line of the results box with keys $@, Delete, and Yes to the question: the
# record marks [$1] absent; with $2, [$2] moves up for it at once.
decline() { # number, moved-up number, keys
    local number=$1 up=$2
    shift 2
    xdotool mousemove --window "$E2E_MAIN" "$(px 3000)" "$(px 2400)" click 1
    press "$@" Delete
    wait_window "弃奖" >/dev/null || fail "Delete on [$number] asked nothing"
    answer Return "弃奖"
    wait_for 10 grep -aq "^弃奖：.*，\[$number\]" "$record" || fail "[$number] is not marked absent"
    if [[ -n $up ]]; then
        wait_for 10 grep -aq "^递补：.*，\[$up\]，接替\[$number\]" "$record" ||
            fail "nobody moved up for [$number]: $(grep -a '^递补' "$record")"
    fi
}

# ---- Initialize a verifiable run; the witnesses' digits ------------------------------------
verifiable_initialize
grep -aEq '^可验证摇号：kelvara-verifiable-draw-3，承诺 [0-9a-f]{64}'$'\r$' "$record" ||
    fail "no version 3 commitment: $(grep -a '^可验证' "$record")"
grep -aEq '^房源表：房源.xlsx，共300个，SHA-256 [0-9a-f]{64}'$'\r$' "$record" ||
    fail "no places list in the record: $(head -n 12 "$record")"
grep -aq '^名单检查' "$record" && fail "the list check found problems: $(grep -a -A3 '^名单检查' "$record")"
confirm_public_input 20261209 4417
echo "initialized: version 3, 500 families, 300 places"

# ---- A组住房 in two rounds; two declines, the second of whom moved up ----------------------
set_round_size 100
round_to 100
set_round_size 80
round_to 180
decline 180 181 ctrl+End # the last line: [180]
decline 181 182 ctrl+End # who just moved up for it
# The waiting list's first three; 候补3 is marked absent, and nobody moves up for a waiting person.
set_round_size 3
round_to 185
decline 185 "" ctrl+End
echo "A组: 180 admitted, [180] and [181] declined, 候补3 marked absent"

# ---- Killed, and continued: the same results -----------------------------------------------
save_to before.txt
e2e_kill
e2e_launch
wait_window "继续摇号" >/dev/null || fail "the run was not offered to continue"
answer Return "继续摇号"
wait_window 可验证摇号 >/dev/null || fail "the verifiable window did not reopen"
wait_for 10 grep -aq '^继续：' "$record" || fail "the record does not say it was continued"
e2e_focus_main
save_to continued.txt
cmp "$E2E_WORK/before.txt" "$E2E_WORK/continued.txt" ||
    fail "the results differ after continuing: $(diff "$E2E_WORK/before.txt" "$E2E_WORK/continued.txt" | head)"
echo "continued: the results are as they were"

# [1], below the heading and the plan's first line: 候补4 moves up, as 候补3 is out.
decline 1 186 ctrl+Home Down Down Down
set_round_size 117
round_to 303
# ---- B组: its admitted in one round of what the box holds, a decline, its waiting list -------
round_to 423
decline 423 424 ctrl+End
round_to 504
echo "B组: 120 admitted, [423] declined, 80 waiting"

# ---- 公示, checked at the end --------------------------------------------------------------
press alt+k
wait_window "公示" >/dev/null
[[ -f $E2E_WORK/摇号公示.pdf && -f $E2E_WORK/摇号公示.xlsx ]] || fail "公示 wrote $(ls "$E2E_WORK")"
answer alt+n "公示" # not printed

e2e_focus_main
press alt+x
e2e_exit_with_yes_twice
[[ $(newest_record) == "$record" ]] || fail "the continued run wrote another record"

# ---- The record -----------------------------------------------------------------------------
grep -aEq '^公布：.*，共504个位置，' "$record" || fail "the reveal: $(grep -a '^公布' "$record")"
ups=$(sed -n 's/^递补：[^，]*，\(.*\)\r$/\1/p' "$record" | paste -sd' ')
[[ $ups == "[181]，接替[180] [182]，接替[181] [186]，接替[1] [424]，接替[423]" ]] || fail "递补: $ups"
"$python" "$here/procedure_check.py" "$record" "$E2E_WORK/people.tsv" "$E2E_WORK/places.tsv" ||
    fail "the record does not hold the procedure"

# ---- The checker page on the record, and on a copy with two places swapped ------------------
page="$E2E_WORK/摇号记录/kelvara-verify.html"
chromium=$(command -v chromium || command -v chromium-browser || true)
if [[ -z $chromium ]]; then
    echo "NOTE: chromium is not installed: the checker page not run"
else
    "$python" - "$page" "$chromium" "$here" "$record" "$E2E_WORK" <<'PY' || fail "the checker page"
import pathlib, re, sys
page, chromium, here, record, work = sys.argv[1:6]
sys.path[:0] = [f"{here}/../verify_page", f"{here}/../../scripts"]
from verify_page_cases import run_page
from verifiable_vectors import record_digest
files = {"record": record, "list": f"{work}/bonus.xlsx", "plan": f"{work}/奖项.txt", "places": f"{work}/房源.xlsx"}
genuine = {key: pathlib.Path(path).read_bytes() for key, path in files.items()}
# [1]'s and [2]'s places swapped, and the reveal's digest made to fit, as anyone can.
lines = genuine["record"].decode().split("\r\n")[:-1]
place = lambda n: next(k for k, t in enumerate(lines) if t.startswith(f"[{n}]:\t"))
one, two = place(1), place(2)
head = lambda t: t[:t.index("\t房源第")]
lines[one], lines[two] = head(lines[one]) + lines[two][len(head(lines[two])):], head(lines[two]) + lines[one][len(head(lines[one])):]
at = next(k for k, t in enumerate(lines) if t.startswith("公布："))
lines[at] = re.sub(r"记录SHA-256 [0-9a-f]{64}$", "记录SHA-256 " + record_digest(lines[:at]).hex(), lines[at])
swapped = "".join(t + "\r\n" for t in lines).encode()
out = run_page(page, chromium, [("as written", genuine, None, {}),
                                 ("places swapped", {**genuine, "record": swapped}, None, {})])["results"]
good, bad = out["as written"], out["places swapped"]
print(f"page, as written: {good.get('verdict')}\npage, [1] and [2] with each other's places: {bad.get('verdict')}")
ok = good.get("passed") is True and good.get("verdict", "").startswith("验证通过") and \
     bad.get("passed") is False and "[1]" in bad.get("verdict", "")
sys.exit(0 if ok else 1)
PY
fi

# ---- The 公示: the run's algorithm, every place and the waiting lists -----------------------
pdftotext -raw "$E2E_WORK/摇号公示.pdf" "$E2E_WORK/publication.txt"
for word in kelvara-verifiable-draw-3 候补1 候补80 候补120; do
    grep -qF -- "$word" "$E2E_WORK/publication.txt" || fail "the 公示 PDF has no $word"
done
rooms=$(cut -f1 "$E2E_WORK/places.tsv" | grep -cFxf - <(tr ' \t' '\n' <"$E2E_WORK/publication.txt" | sort -u) || true)
((rooms == 300)) || fail "the 公示 PDF shows $rooms of the 300 places"
echo "公示: the algorithm, every place and the waiting lists in the PDF"
echo "PASS"
