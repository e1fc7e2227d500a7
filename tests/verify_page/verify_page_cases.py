#!/usr/bin/python3
"""Runs resources/kelvara-verify.html in headless chromium over genuine and tampered draw
records and checks its verdicts. The genuine records are drawn with the reference sequence of
scripts/verifiable_vectors.py; each case is then bent the way a forger or a slip would bend it.
Usage: verify_page_cases.py <page> [chromium]"""

import base64
import hashlib
import json
import pathlib
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "scripts"))
from verifiable_vectors import draw  # noqa: E402

ALGORITHM = "kelvara-verifiable-draw-1"
SECRET = bytes(range(32))
WITNESSES = ("3141592653", "58979")
LIST5 = "张三\r\n李四\r\n王五\r\n赵六\r\n钱七\r\n".encode()
PLAN = "二等奖 2\r\n一等奖 1\r\n".encode()
TIME_LIMIT_MS = 2000

# The example record of docs/verifiable-draw.md, as the program writes it.
DOC_RECORD = """Kelvara V1.0.0 摇号记录
名单：bonus.txt，共5条，SHA-256 aace4ebb62f278622052c2da316d2fa1df477cae23604e6737eb3c808b87d7eb
行校验：aa26eb2520bd703b5a776efec943d267fb3ebcf84f5126b91c1f221dbaf4c3da22f3045f9f1388ba
奖项表：奖项.txt，共2项，SHA-256 fc4f54752560ae672c621684e4eaae08535158aa21851071459b12d76b873c7c
奖项1：2人，二等奖
奖项2：1人，一等奖
可验证摇号：kelvara-verifiable-draw-1，承诺 630dcd2966c4336691125448bbb25b4ff412a49c732db2c8abc1b8581bd710dd
秘密值：000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f
初始化：2026-12-08 09:22:18
见证人1：3141592653
见证人2：58979
公开输入：2026-12-08 09:22:40，3141592653-58979
第1轮：2026-12-08 09:22:49，2人，奖项1
[1]:\t第3行\t王五
[2]:\t第5行\t钱七
弃奖：2026-12-08 09:23:02，[2]
第2轮：2026-12-08 09:23:10，1人，奖项1
[3]:\t第2行\t李四
公布：2026-12-08 09:24:00，秘密值 000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f
结束：2026-12-08 09:24:05
""".replace("\n", "\r\n")


def sha(data):
    return hashlib.sha256(data).digest()


def record(list_bytes, candidates, winners, *, plan=None, list_name="bonus.txt", round_size=100):
    """A record over the list with the winners [(line, text), ...] at positions 1, 2, ..."""
    out = ["Kelvara V1.0.0 摇号记录",
           f"名单：{list_name}，共{candidates}条，SHA-256 {sha(list_bytes).hex()}"]
    if plan is not None:
        out.append(f"奖项表：奖项.txt，共1项，SHA-256 {sha(plan).hex()}")
    out += [f"可验证摇号：{ALGORITHM}，承诺 {sha(SECRET).hex()}",
            f"秘密值：{SECRET.hex()}",
            "初始化：2026-12-08 09:22:18"]
    out += [f"见证人{k}：{digits}" for k, digits in enumerate(WITNESSES, 1)]
    out.append(f"公开输入：2026-12-08 09:22:40，{'-'.join(WITNESSES)}")
    for start in range(0, len(winners), round_size):
        chunk = winners[start:start + round_size]
        out.append(f"第{start // round_size + 1}轮：2026-12-08 09:23:00，{len(chunk)}人")
        out += [f"[{n}]:\t第{line}行\t{text}" for n, (line, text) in enumerate(chunk, start + 1)]
    out += [f"公布：2026-12-08 09:24:00，秘密值 {SECRET.hex()}", "结束：2026-12-08 09:24:05"]
    return "".join(line + "\r\n" for line in out).encode()


def drawn_record(names, list_bytes, count, *, plan=None, **options):
    """A genuine record: the winners drawn by the reference sequence."""
    lines = draw(SECRET, sha(list_bytes), sha(plan) if plan is not None else b"",
                 "-".join(WITNESSES), len(names), count)
    return record(list_bytes, len(names), [(n, names[n - 1]) for n in lines], plan=plan, **options)


def edit(data, old, new):
    text = data.decode()
    assert old in text, old
    return text.replace(old, new).encode()


def first_mismatch(recorded, public):
    lines = draw(SECRET, sha(LIST5), sha(PLAN), public, 5, len(recorded))
    k = next(i for i, (a, b) in enumerate(zip(lines, recorded)) if a != b)
    return f"验证失败：第[{k + 1}]名中签者应为第{lines[k]}行，记录为第{recorded[k]}行"


def cases():
    """(name, inputs, expected verdict or None, extra checks on the result)."""
    doc = DOC_RECORD.encode()
    s_hex = SECRET.hex()
    other_s = bytes(reversed(SECRET)).hex()
    table = []

    def add(name, inputs, verdict, **expect):
        table.append((name, inputs, verdict, expect))

    example = {"record": doc, "list": LIST5, "plan": PLAN}
    add("doc example", example, "验证通过：全部 3 名中签者与记录一致")
    add("doc example, LF line ends", {**example, "record": doc.replace(b"\r\n", b"\n")},
        "验证通过：全部 3 名中签者与记录一致")
    add("winner's line changed", {**example, "record": edit(doc, "[2]:\t第5行\t钱七", "[2]:\t第4行\t赵六")},
        "验证失败：第[2]名中签者应为第5行，记录为第4行")
    add("winner's name changed", {**example, "record": edit(doc, "[3]:\t第2行\t李四", "[3]:\t第2行\t李斯")},
        "验证失败：第[3]名中签者的姓名与名单第2行不符")
    add("line added to the list", {**example, "list": LIST5 + "孙八\r\n".encode()},
        "验证失败：名单文件的 SHA-256 与记录不符")
    add("record's line count wrong", {**example, "record": edit(doc, "共5条", "共6条")},
        "验证失败：名单文件有5行，记录为共6条")
    add("plan changed", {**example, "plan": PLAN.replace(b"1\r\n", b"2\r\n")},
        "验证失败：奖项表文件的 SHA-256 与记录不符")
    add("plan not given", {**example, "plan": None},
        "验证未完成：记录有奖项表，请提供奖项文件（奖项.txt）")
    add("wrong secret", {**example, "record": doc.replace(s_hex.encode(), other_s.encode())},
        "验证失败：秘密值与承诺不符")
    add("revealed secret differs", {**example, "record": edit(doc, f"秘密值 {s_hex}", f"秘密值 {other_s}")},
        "验证失败：记录中的秘密值前后不一致")
    add("secret not yet revealed", {**example, "record": edit(doc, f"公布：2026-12-08 09:24:00，秘密值 {s_hex}\r\n", "")},
        "验证通过：全部 3 名中签者与记录一致")
    no_secret = edit(edit(doc, f"公布：2026-12-08 09:24:00，秘密值 {s_hex}\r\n", ""), f"秘密值：{s_hex}\r\n", "")
    add("no secret", {**example, "record": no_secret}, "验证失败：记录中没有秘密值")
    add("wrong commitment", {**example, "record": edit(doc, "承诺 630dcd", "承诺 630dce")},
        "验证失败：秘密值与承诺不符")
    add("unsupported algorithm", {**example, "record": edit(doc, "draw-1，", "draw-2，")},
        "验证失败：不支持的算法“kelvara-verifiable-draw-2”")
    changed = edit(edit(doc, "见证人2：58979", "见证人2：58978"), "3141592653-58979", "3141592653-58978")
    add("public input changed with its witness", {**example, "record": changed},
        first_mismatch([3, 5, 2], "3141592653-58978"))
    add("public input changed alone", {**example, "record": edit(doc, "，3141592653-58979", "，3141592653-58970")},
        "验证失败：公开输入与见证人输入的数字不符")
    add("no public input", {**example, "record": edit(doc, "公开输入：2026-12-08 09:22:40，3141592653-58979\r\n", "")},
        "验证失败：记录中没有公开输入")
    add("a position left out", {**example, "record": edit(doc, "[2]:\t第5行\t钱七\r\n", "")},
        "验证失败：记录缺少第[2]名（名次应连续）")
    add("a position beyond the list", {**example, "record": edit(doc, "公布：", "[6]:\t第1行\t张三\r\n公布：")},
        "验证失败：第[6]名超出名单的5条")
    restored = "继续：2026-12-08 09:23:30\r\n[1]:\t第3行\t王五\r\n[2]:\t第5行\t钱七\r\n[3]:\t第2行\t李四\r\n公布："
    add("continued run repeats its winners", {**example, "record": edit(doc, "公布：", restored)},
        "验证通过：全部 3 名中签者与记录一致")
    add("continued run changes a winner",
        {**example, "record": edit(doc, "公布：", restored.replace("[2]:\t第5行\t钱七", "[2]:\t第4行\t赵六"))},
        "验证失败：第[2]名在记录中出现两次而不同（第5行、第4行）")

    # A run continued in a record of its own: no 初始化 line, and the 继续 line names the
    # record it continues.
    own = edit(edit(doc, "初始化：2026-12-08 09:22:18\r\n", ""), "结束：",
               "继续：2026-12-08 09:30:00，恢复3人，接续：摇号记录/摇号记录_20261208_092218.txt\r\n结束：")
    add("record of its own", {**example, "record": own}, "验证通过：全部 3 名中签者与记录一致")

    # The list's encodings and line ends.
    names = ["张三", "李四", "王五", "赵六", "钱七", "孙八", "周吉", "吴𠮷", "郑十", " 冯 十一 "]
    for label, data in [
        ("GB18030, CR LF", "\r\n".join(names).encode("gb18030") + b"\r\n"),
        ("UTF-8 with BOM, LF", b"\xef\xbb\xbf" + "\n".join(names).encode() + b"\n"),
        ("UTF-8, CR, no final line end", "\r".join(names).encode()),
    ]:
        add(f"list in {label}", {"record": drawn_record(names, data, 10), "list": data, "plan": None},
            "验证通过：全部 10 名中签者与记录一致")

    workbook = b"PK\x03\x04" + bytes(range(256)) * 4
    people = [f"考生{i}" for i in range(1, 9)]
    add("list is a workbook",
        {"record": drawn_record(people, workbook, 6, list_name="bonus.xlsx"), "list": workbook, "plan": None},
        "验证通过：全部 6 名中签者与记录一致", notes=["名单为 Excel 工作簿，姓名取自记录"])

    # The test vectors, read back from a record that lists them.
    two = "张三\r\n李四\r\n".encode()
    plan3 = "三等奖 2\r\n".encode()
    for n, plan, vector in [
        (2, None, [1, 2]),
        (10, plan3, [1, 8, 9, 6, 4, 7, 3, 10, 5, 2]),
        (10000, plan3, [6778, 7412, 8777, 528, 9443, 7639, 2709, 2458, 838, 4657,
                        1400, 5642, 5409, 3609, 8467, 7458, 3899, 7011, 4177, 1320]),
    ]:
        rec = record(two, n, [(line, f"第{line}名") for line in vector], plan=plan)
        add(f"test vector N={n}", {"record": rec, "list": two, "plan": plan}, None, expected=vector)

    many = [f"考生{i:05d}" for i in range(1, 12001)]
    many_list = ("\r\n".join(many) + "\r\n").encode()
    add("10000 winners", {"record": drawn_record(many, many_list, 10000), "list": many_list, "plan": None},
        "验证通过：全部 10000 名中签者与记录一致", timed=True)
    return table


# Runs every case through kelvaraVerify, then the page's own interface with the example's three
# files dropped on it, and leaves the results in the DOM for --dump-dom.
HARNESS = """
<script>
(async () => {
  const bytes = b64 => b64 == null ? null : Uint8Array.from(atob(b64), c => c.charCodeAt(0));
  const results = {};
  for (const c of CASES) {
    const started = performance.now();
    try {
      const r = await kelvaraVerify({ record: bytes(c.record), list: bytes(c.list), plan: bytes(c.plan) });
      const verified = performance.now();
      if (c.timed) {   // shown too, laid out: what the user waits for
        kelvaraShow(r);
        document.body.offsetHeight;
      }
      results[c.name] = {
        ms: verified - started, shownMs: performance.now() - verified,
        passed: r.passed, verdict: r.verdict, notes: r.notes,
        rows: r.rows.length, expected: r.rows.slice(0, 20).map(row => row.expected),
      };
    } catch (e) {
      results[c.name] = { verdict: 'exception: ' + e };
    }
  }
  const ui = {};
  try {
    const drop = files => {
      const transfer = new DataTransfer();
      for (const [name, b64] of files) transfer.items.add(new File([bytes(b64)], name));
      document.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
    };
    const settled = async previous => {
      for (let i = 0; i < 200 && document.getElementById('verdict').textContent === previous; i++) {
        await new Promise(resolve => setTimeout(resolve, 10));
      }
      const verdict = document.getElementById('verdict');
      return { verdict: verdict.textContent, class: verdict.className,
               okRows: document.querySelectorAll('tr.ok').length,
               firstFailure: !!document.getElementById('first-failure') };
    };
    document.getElementById('verdict').textContent = '';   // the timed case's
    drop(DROPPED);
    ui.dropped = await settled('');
    drop(TAMPERED);
    ui.tampered = await settled(ui.dropped.verdict);
  } catch (e) {
    ui.error = String(e);
  }
  const json = new TextEncoder().encode(JSON.stringify({ secure: isSecureContext, results, ui }));
  const out = document.createElement('pre');
  out.id = 'kv-test-result';
  out.textContent = btoa(Array.from(json, b => String.fromCharCode(b)).join(''));
  document.body.append(out);
})();
</script>
"""


def b64(data):
    return None if data is None else base64.b64encode(data).decode()


def run_page(page, chromium, table):
    payload = [{"name": name, "timed": bool(expect.get("timed")), **{k: b64(v) for k, v in inputs.items()}}
               for name, inputs, _, expect in table]
    doc = DOC_RECORD.encode()
    # Out of order and under other names: the page places them by content.
    dropped = [["bonus.txt", b64(LIST5)], ["prizes.txt", b64(PLAN)], ["摇号记录_20261208_092218.txt", b64(doc)]]
    tampered = [["record.txt", b64(edit(doc, "[3]:\t第2行\t李四", "[3]:\t第1行\t张三"))]]
    harness = (HARNESS.replace("CASES", json.dumps(payload))
               .replace("DROPPED", json.dumps(dropped)).replace("TAMPERED", json.dumps(tampered)))
    source = pathlib.Path(page).read_text(encoding="utf-8")
    assert "</body>" in source, "the page has no </body>"
    with tempfile.TemporaryDirectory() as work:
        copy = pathlib.Path(work) / "kelvara-verify-test.html"
        copy.write_text(source.replace("</body>", harness + "</body>"), encoding="utf-8")
        done = subprocess.run(
            [chromium, "--headless", "--disable-gpu", "--no-sandbox", "--no-first-run",
             f"--user-data-dir={work}/profile", "--virtual-time-budget=60000",
             "--dump-dom", copy.as_uri()],
            capture_output=True, text=True, timeout=300)
    found = re.search(r'<pre id="kv-test-result">([A-Za-z0-9+/=]+)</pre>', done.stdout)
    if not found:
        sys.stderr.write(done.stderr[-3000:])
        raise SystemExit("FAIL: the page left no result (a script error?)")
    return json.loads(base64.b64decode(found.group(1)))


def main():
    page = sys.argv[1]
    chromium = sys.argv[2] if len(sys.argv) > 2 else "chromium"
    table = cases()
    out = run_page(page, chromium, table)
    failures = 0

    def report(ok, name, detail):
        nonlocal failures
        failures += not ok
        print(f"{'ok  ' if ok else 'FAIL'} {name}: {detail}")

    report(out["secure"], "file:// is a secure context", f"isSecureContext={out['secure']}")
    for name, _, verdict, expect in table:
        got = out["results"][name]
        problems = []
        if verdict is not None and got["verdict"] != verdict:
            problems.append(f"expected «{verdict}»")
        if verdict is not None and got.get("passed") != verdict.startswith("验证通过"):
            problems.append(f"passed={got.get('passed')}")
        if "expected" in expect and got.get("expected") != expect["expected"]:
            problems.append(f"computed {got.get('expected')}, not {expect['expected']}")
        for note in expect.get("notes", []):
            if note not in got.get("notes", []):
                problems.append(f"no note «{note}»")
        shown = got["verdict"] if "expected" not in expect else f"{got.get('expected')[:10]}…"
        if expect.get("timed"):
            total = got["ms"] + got["shownMs"]
            shown += f" in {total:.0f} ms"
            print(f"timing: {got['rows']} winners verified in {got['ms']:.0f} ms, shown in {got['shownMs']:.0f} ms"
                  f" (limit {TIME_LIMIT_MS} ms for both)")
            if total >= TIME_LIMIT_MS:
                problems.append(f"took {total:.0f} ms")
        report(not problems, name, "; ".join(problems) + (" — got " if problems else "") + shown)

    ui = out["ui"]
    if "error" in ui:
        report(False, "page interface", ui["error"])
    else:
        d, t = ui["dropped"], ui["tampered"]
        report(d["verdict"] == "验证通过：全部 3 名中签者与记录一致" and d["class"] == "passed" and d["okRows"] >= 3,
               "three files dropped on the page", f"{d}")
        report(t["verdict"] == "验证失败：第[3]名中签者应为第2行，记录为第1行" and t["class"] == "failed"
               and t["firstFailure"], "a tampered record dropped in its place", f"{t}")
    print(f"{failures} of {len(table) + 3} checks failed" if failures else f"all {len(table) + 3} checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
