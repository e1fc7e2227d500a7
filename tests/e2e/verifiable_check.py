#!/usr/bin/python3
"""Checks a verifiable run's record that the real program wrote: its winners against the
reference sequence of scripts/verifiable_vectors.py, and the checker page (run in headless
chromium by tests/verify_page/verify_page_cases.py) on the record, the list and the plan as
they are, then on tampered copies, each of which must fail naming what was changed.
Usage: verifiable_check.py <kelvara-verify.html> <chromium> <record> <list> <plan>"""

import hashlib
import pathlib
import re
import sys

TESTS = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(TESTS.parent / "scripts"))
sys.path.insert(0, str(TESTS / "verify_page"))
from verifiable_vectors import draw  # noqa: E402
from verify_page_cases import run_page  # noqa: E402


def field(text, pattern):
    found = re.search(pattern, text, re.MULTILINE)
    if not found:
        raise SystemExit(f"FAIL: the record has no line matching {pattern}")
    return found.group(1)


def bump(digit, base=10):
    """Another digit in its place: one more, wrapping."""
    return format((int(digit, base) + 1) % base, "x" if base == 16 else "d")


def main():
    page, chromium, record_path, list_path, plan_path = sys.argv[1:6]
    record = pathlib.Path(record_path).read_bytes()
    names = pathlib.Path(list_path).read_bytes()
    plan = pathlib.Path(plan_path).read_bytes()
    text = record.decode("utf-8")

    secret = field(text, r"^秘密值：([0-9a-f]{64})\r?$")
    public = field(text, r"^公开输入：[^，]*，([0-9-]+)\r?$")
    candidates = int(field(text, r"^名单：[^，]*，共(\d+)条"))
    # Position -> line, as recorded; a continued run repeats earlier positions unchanged.
    winners = {}
    for position, line in re.findall(r"^\[(\d+)\]:\t第(\d+)行\t", text, re.MULTILINE):
        winners.setdefault(int(position), int(line))
    count = len(winners)
    recorded = [winners[p] for p in range(1, count + 1)]

    failures = 0

    def report(ok, name, detail):
        nonlocal failures
        failures += not ok
        print(f"{'ok  ' if ok else 'FAIL'} {name}: {detail}")

    def sequence(public_input):
        return draw(bytes.fromhex(secret), hashlib.sha256(names).digest(),
                    hashlib.sha256(plan).digest(), public_input, candidates, count)

    # The program's winners, from a second implementation of the algorithm: a fault in the
    # program and one in the page tell apart.
    reference = sequence(public)
    report(reference == recorded, "the record's winners are the reference sequence",
           f"recorded {recorded}, reference {reference}")

    def edit(old, new):
        assert old in text, old
        return text.replace(old, new).encode()

    # One winner's line number changed wherever the position is listed.
    line1 = winners[1]
    other = line1 % candidates + 1
    moved = re.sub(rf"^\[1\]:\t第{line1}行\t", f"[1]:\t第{other}行\t", text, flags=re.MULTILINE).encode()
    # One hex digit of the secret, in 秘密值 and in 公布 alike.
    wrong_secret = edit(secret, bump(secret[0], 16) + secret[1:])
    # The public input alone, and the public input with the witness part it was joined from.
    last = public[-1]
    bent_public = public[:-1] + bump(last)
    witnesses = re.findall(r"^(见证人(\d+)：\d+)\r?$", text, re.MULTILINE)
    witness = max(witnesses, key=lambda w: int(w[1]))[0]  # the last part of the public input
    both = edit(f"，{public}", f"，{bent_public}").decode()
    both = both.replace(witness, witness[:-1] + bump(last)).encode()
    drawn = sequence(bent_public)
    first = next((k for k, (a, b) in enumerate(zip(drawn, recorded)) if a != b), None)
    assert first is not None, "the changed public input draws the same winners"

    genuine = {"record": record, "list": names, "plan": plan}
    table = [
        ("as written", genuine, f"验证通过：全部 {count} 名中签者与记录一致"),
        ("a winner's line changed", {**genuine, "record": moved},
         f"验证失败：第[1]名中签者应为第{line1}行，记录为第{other}行"),
        ("a line added to the list", {**genuine, "list": names + "新来的\r\n".encode()},
         "验证失败：名单文件的 SHA-256 与记录不符"),
        ("a wrong secret", {**genuine, "record": wrong_secret}, "验证失败：秘密值与承诺不符"),
        ("the public input changed", {**genuine, "record": edit(f"，{public}", f"，{bent_public}")},
         "验证失败：公开输入与见证人输入的数字不符"),
        ("the public input changed with its witness", {**genuine, "record": both},
         f"验证失败：第[{first + 1}]名中签者应为第{drawn[first]}行，记录为第{recorded[first]}行"),
    ]
    out = run_page(page, chromium, [(name, inputs, verdict, {}) for name, inputs, verdict in table])
    for name, _, verdict in table:
        got = out["results"][name]
        ok = got.get("verdict") == verdict and got.get("passed") == verdict.startswith("验证通过")
        report(ok, f"page, {name}", got.get("verdict") if ok else f"expected «{verdict}», got «{got.get('verdict')}»")
    print(f"{failures} of {len(table) + 1} checks failed" if failures else f"all {len(table) + 1} checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
