#!/usr/bin/python3
"""Checks a verifiable run's record that the real program wrote: its winners against the
reference of scripts/verifiable_vectors.py (version 2: each at the position its prize and the
absent marks give it; its commitment and its reveal's count and digest too), and the checker
page (run in headless chromium by tests/verify_page/verify_page_cases.py) on the record, the
list and the plan as they are, then on tampered copies, each of which must fail naming what
was changed.
Usage: verifiable_check.py <kelvara-verify.html> <chromium> <record> <list> <plan>"""

import hashlib
import pathlib
import re
import sys

TESTS = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(TESTS.parent / "scripts"))
sys.path.insert(0, str(TESTS / "verify_page"))
from verifiable_vectors import V1, V2, assign_positions, commitment, record_digest, sequence  # noqa: E402
from verify_page_cases import run_page  # noqa: E402


def field(text, pattern):
    found = re.search(pattern, text, re.MULTILINE)
    if not found:
        raise SystemExit(f"FAIL: the record has no line matching {pattern}")
    return found.group(1)


def bump(digit, base=10):
    """Another digit in its place: one more, wrapping."""
    return format((int(digit, base) + 1) % base, "x" if base == 16 else "d")


def record_lines(text):
    return [line[:-1] if line.endswith("\r") else line for line in text.split("\n")[:-1]]


def run_of(lines):
    """The run as its record tells it: the events of assign_positions (a round per winner, of
    the prize of the round it is listed in), and each winner's line by number as last listed."""
    events = []
    listed = {}
    prize = 0
    for line in lines:
        if m := re.match(r"第\d+轮：[^，]*，\d+人(?:，奖项(\d+))?$", line):
            prize = int(m.group(1) or 0)
        elif m := re.match(r"\[(\d+)\]:\t第(\d+)行\t", line):
            events.append(("round", prize, 1))
            listed[int(m.group(1))] = int(m.group(2))
        elif m := re.match(r"(撤销)?弃奖：[^，]*，\[(\d+)\]$", line):
            events.append(("back" if m.group(1) else "absent", int(m.group(2))))
        elif m := re.match(r"继续：.*，恢复(\d+)人", line):
            events.append(("restore", int(m.group(1))))
    return events, listed


def written(lines):
    return "".join(line + "\r\n" for line in lines).encode()


def resealed(lines):
    """The 公布 line's count and digest made to fit the lines before it, as anyone can."""
    at = next(k for k, line in enumerate(lines) if line.startswith("公布："))
    head, count = re.match(r"(.*)，共(\d+)个位置，记录SHA-256 ", lines[at]).groups()
    digest = record_digest(lines[:at]).hex()
    return lines[:at] + [f"{head}，共{count}个位置，记录SHA-256 {digest}"] + lines[at + 1:]


def main():
    page, chromium, record_path, list_path, plan_path = sys.argv[1:6]
    record = pathlib.Path(record_path).read_bytes()
    names = pathlib.Path(list_path).read_bytes()
    plan = pathlib.Path(plan_path).read_bytes()
    text = record.decode("utf-8")
    lines = record_lines(text)

    algorithm = field(text, r"^可验证摇号：([^，]*)，")
    secret = field(text, r"^秘密值：([0-9a-f]{64})\r?$")
    public = field(text, r"^公开输入：[^，]*，([0-9-]+)\r?$")
    candidates = int(field(text, r"^名单：[^，]*，共(\d+)条"))
    list_sha = hashlib.sha256(names).digest()
    # Version 1 took the plan's SHA-256 whether the record names it or not; the e2e run has one.
    plan_sha = hashlib.sha256(plan).digest() if algorithm == V1 or "\n奖项表：" in text else b""
    counts = [int(c) for c in re.findall(r"^奖项\d+：(\d+)人，", text, re.MULTILINE)] if algorithm == V2 else []
    events, listed = run_of(lines)
    placed = assign_positions(counts, candidates, events)
    count = len(placed)
    recorded = [listed[w["number"]] for w in placed]

    failures = 0

    def report(ok, name, detail):
        nonlocal failures
        failures += not ok
        print(f"{'ok  ' if ok else 'FAIL'} {name}: {detail}")

    def reference(public_input):
        drawn = sequence(algorithm, bytes.fromhex(secret), list_sha, plan_sha, public_input, candidates,
                         max([w["position"] for w in placed] + [0]))
        return [drawn[w["position"] - 1] for w in placed]

    # The program's winners, from a second implementation of the algorithm: a fault in the
    # program and one in the page tell apart.
    expected = reference(public)
    report(expected == recorded, "the record's winners are the reference's",
           f"recorded {recorded}, reference {expected}, positions {[w['position'] for w in placed]}")
    checks = 1
    if algorithm == V2:
        c = commitment(V2, bytes.fromhex(secret), list_sha, plan_sha, candidates).hex()
        report(field(text, r"^可验证摇号：[^，]*，承诺 ([0-9a-f]{64})\r?$") == c, "the commitment is the reference's", c)
        at = next(k for k, line in enumerate(lines) if line.startswith("公布："))
        shown = re.search(r"，共(\d+)个位置，记录SHA-256 ([0-9a-f]{64})$", lines[at])
        digest = record_digest(lines[:at]).hex()
        report(shown is not None and shown.groups() == (str(count), digest),
               "the reveal's count and digest are the reference's", f"{lines[at]}; reference {count}, {digest}")
        checks += 2

    # A copy edited before the reveal gets the digest a forger would give it, so that the page
    # names the change itself.
    def edited(copy):
        return written(resealed(copy) if algorithm == V2 else copy)

    def edit(old, new):
        assert old in text, old
        return edited(record_lines(text.replace(old, new)))

    def where(k):
        w = placed[k]
        return "" if algorithm == V1 else f"（奖项{w['prize']}，位置{w['position']}）" if w["prize"] else f"（位置{w['position']}）"

    def mismatch(k, should, was):
        return f"验证失败：第[{placed[k]['number']}]名{where(k)}中签者应为第{should}行，记录为第{was}行"

    # The first winner's line changed wherever it is listed, to a line nobody drew.
    line1 = recorded[0]
    other = next(n for n in range(1, candidates + 1) if n not in recorded)
    moved = edited([re.sub(rf"^\[1\]:\t第{line1}行\t", f"[1]:\t第{other}行\t", line) for line in lines])
    # One hex digit of the secret, in 秘密值 and in 公布 alike.
    wrong_secret = edit(secret, bump(secret[0], 16) + secret[1:])
    # The public input alone, and the public input with the witness part it was joined from.
    last = public[-1]
    bent_public = public[:-1] + bump(last)
    witnesses = re.findall(r"^(见证人(\d+)：\d+)\r?$", text, re.MULTILINE)
    witness = max(witnesses, key=lambda w: int(w[1]))[0]  # the last part of the public input
    both = edit(f"，{public}", f"，{bent_public}").decode()
    both = edited(record_lines(both.replace(witness, witness[:-1] + bump(last))))
    drawn = reference(bent_public)
    first = next((k for k, (a, b) in enumerate(zip(drawn, recorded)) if a != b), None)
    assert first is not None, "the changed public input draws the same winners"

    genuine = {"record": record, "list": names, "plan": plan}
    table = [
        ("as written", genuine, f"验证通过：全部 {count} 名中签者与记录一致"),
        ("a winner's line changed", {**genuine, "record": moved}, mismatch(0, line1, other)),
        ("a line added to the list", {**genuine, "list": names + "新来的\r\n".encode()},
         "验证失败：名单文件的 SHA-256 与记录不符"),
        ("a wrong secret", {**genuine, "record": wrong_secret},
         "验证失败：秘密值与承诺不符" if algorithm == V1 else "验证失败：承诺与秘密值、名单、奖项表和条数算出的不符"),
        ("the public input changed", {**genuine, "record": edit(f"，{public}", f"，{bent_public}")},
         "验证失败：公开输入与见证人输入的数字不符"),
        ("the public input changed with its witness", {**genuine, "record": both},
         mismatch(first, drawn[first], recorded[first])),
    ]
    if algorithm == V2:
        # The line hashes, which the page does not read: only the digest can tell.
        table.append(("a line before the reveal cut", {**genuine, "record": written(lines[:2] + lines[3:])},
                      "验证失败：公布之前的记录内容与公布的记录SHA-256不符（记录被改动或删减）"))
        unrevealed = [line for line in lines if not line.startswith("公布：")]
        table.append(("the reveal cut", {**genuine, "record": written(unrevealed)},
                      "验证失败：记录没有公布秘密值，无法验证"))
    out = run_page(page, chromium, [(name, inputs, verdict, {}) for name, inputs, verdict in table])
    for name, _, verdict in table:
        got = out["results"][name]
        ok = got.get("verdict") == verdict and got.get("passed") == verdict.startswith("验证通过")
        report(ok, f"page, {name}", got.get("verdict") if ok else f"expected «{verdict}», got «{got.get('verdict')}»")
    total = len(table) + checks
    print(f"{failures} of {total} checks failed" if failures else f"all {total} checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
