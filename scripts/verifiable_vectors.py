#!/usr/bin/env python3
"""Prints the verifiable draw's test vectors as markdown tables, for docs/verifiable-draw.md:
an implementation of both algorithm versions kept apart from the program's, in Python's
standard library. The functions serve the tests as the reference too."""
import codecs
import hashlib
import hmac
import struct

V1 = "kelvara-verifiable-draw-1"
V2 = "kelvara-verifiable-draw-2"
NAME = V1.encode()  # the name the first version's callers knew


def be64(n: int) -> bytes:
    return struct.pack(">Q", n)


def lp(data: bytes) -> bytes:
    return be64(len(data)) + data


def sha256(data: bytes) -> bytes:
    return hashlib.sha256(data).digest()


def commitment(algorithm: str, secret: bytes, list_sha: bytes, plan_sha: bytes, n: int) -> bytes:
    """C: the secret alone in version 1; from version 2 on it binds the list, the plan and N."""
    if algorithm == V1:
        return sha256(secret)
    return sha256(lp(algorithm.encode()) + lp(secret) + lp(list_sha) + lp(plan_sha) + be64(n))


def sequence(algorithm: str, secret: bytes, list_sha: bytes, plan_sha: bytes, public: str,
             n: int, count: int) -> list:
    """The line numbers at positions 1..count of the run's one shuffle over lines 1..N."""
    key = hmac.new(algorithm.encode(), lp(secret) + lp(list_sha) + lp(plan_sha)
                   + lp(public.encode("utf-8")) + be64(n), hashlib.sha256).digest()
    stream = bytearray()
    block = 0

    def next64() -> int:
        nonlocal block
        while len(stream) < 8:
            stream.extend(hmac.new(key, be64(block), hashlib.sha256).digest())
            block += 1
        value = int.from_bytes(stream[:8], "big")
        del stream[:8]
        return value

    def below(m: int) -> int:
        limit = 2**64 - (2**64 % m)  # values at or above it would favour small results
        while True:
            x = next64()
            if x < limit:
                return x % m

    lines = list(range(1, n + 1))
    winners = []
    for k in range(min(count, n)):
        j = k + below(n - k)
        lines[k], lines[j] = lines[j], lines[k]
        winners.append(lines[k])
    return winners


def draw(secret: bytes, list_sha: bytes, plan_sha: bytes, public: str, n: int, count: int):
    """Version 1's sequence."""
    return sequence(V1, secret, list_sha, plan_sha, public, n, count)


# ---- Positions to prizes (version 2) ------------------------------------------------------

def replacement_position(counts: list, n: int, prize: int, r: int):
    """Position of prize's r-th replacement (both from 1), or None past the list's end."""
    position = sum(counts) + (r - 1) * len(counts) + prize
    return position if position <= n else None


class PositionError(ValueError):
    pass


def assign_positions(counts: list, n: int, events: list) -> list:
    """Each winner's position, from the run's events in record order:
    ("round", prize, size), ("absent", number), ("back", number), ("restore", kept).
    A plan's prize takes its block lowest first, then a replacement for each absent mark
    standing. Without a plan (counts empty, prize 0) the winners take 1, 2, 3, ... in order.
    Returns [{number, prize, position, replacement, absent}] in listing order; `replacement`
    is r or 0.
    "restore" keeps the first `kept` winners, as a continued run does: the rest was never shown."""
    kept = []
    for event in events:
        if event[0] == "restore":
            kept = [e for e in kept if not (e[0] == "winner" and e[1] > event[1])]
        elif event[0] == "round":
            numbered = sum(1 for e in kept if e[0] == "winner")
            kept += [("winner", numbered + k + 1, event[1]) for k in range(event[2])]
        else:
            kept.append(event)

    winners = []
    by_number = {}
    block_taken = [0] * len(counts)
    replaced = [0] * len(counts)  # replacement positions drawn per prize
    absent = [0] * len(counts)    # winners standing absent per prize
    for event in kept:
        if event[0] == "winner":
            prize = event[2]
            if not counts:
                winner = {"number": event[1], "prize": 0, "position": len(winners) + 1, "replacement": 0,
                          "absent": False}
            elif block_taken[prize - 1] < counts[prize - 1]:
                block_taken[prize - 1] += 1
                start = sum(counts[:prize - 1])
                winner = {"number": event[1], "prize": prize, "position": start + block_taken[prize - 1],
                          "replacement": 0, "absent": False}
            else:
                if absent[prize - 1] <= replaced[prize - 1]:
                    raise PositionError(f"[{event[1]}]: prize {prize} has no absent mark to replace")
                r = replaced[prize - 1] + 1
                position = replacement_position(counts, n, prize, r)
                if position is None:
                    raise PositionError(f"[{event[1]}]: prize {prize} has no replacement {r}")
                replaced[prize - 1] = r
                winner = {"number": event[1], "prize": prize, "position": position, "replacement": r,
                          "absent": False}
            winners.append(winner)
            by_number[winner["number"]] = winner
        else:
            winner = by_number.get(event[1])
            if winner is None:
                raise PositionError(f"mark on [{event[1]}], who is not listed")
            if winner["absent"] == (event[0] == "absent"):
                raise PositionError(f"[{event[1]}] is {'already' if event[0] == 'absent' else 'not'} absent")
            winner["absent"] = event[0] == "absent"
            if counts:
                prize = winner["prize"] - 1
                if event[0] == "absent":
                    absent[prize] += 1
                elif absent[prize] <= replaced[prize]:
                    raise PositionError(f"[{event[1]}]'s mark taken back after its replacement")
                else:
                    absent[prize] -= 1
    return winners


# ---- The list's lines, names in record lines, the record's digest ----------------------------

def decode_list(data: bytes) -> str:
    """UTF-16 with its mark, else UTF-8 (a mark dropped) when valid, else GB18030."""
    if data.startswith(codecs.BOM_UTF16_LE):
        return data[2:].decode("utf-16-le", "replace")
    if data.startswith(codecs.BOM_UTF16_BE):
        return data[2:].decode("utf-16-be", "replace")
    body = data[3:] if data.startswith(codecs.BOM_UTF8) else data
    try:
        return body.decode("utf-8")
    except UnicodeDecodeError:
        return data.decode("gb18030", "replace")


def split_lines(text: str) -> list:
    """With any CR, lines end at CR LF and lone CR (a lone LF stays in its line); without
    one, at LF. A line end at the very end starts no new line."""
    if "\r" in text:
        lines = text.replace("\r\n", "\r").split("\r")
    else:
        lines = text.split("\n")
    if lines[-1] == "":
        lines.pop()
    return lines


def list_lines(data: bytes) -> list:
    return split_lines(decode_list(data))


BREAKING = set(range(0x20)) | {0x7F, 0x85, 0x2028, 0x2029}


def escape_name(text: str) -> str:
    return "".join("\\\\" if c == "\\" else f"\\u{ord(c):04X}" if ord(c) in BREAKING else c for c in text)


def unescape_name(text: str):
    """The name again, or None for text escape_name() does not write."""
    out = []
    at = 0
    while at < len(text):
        c = text[at]
        if ord(c) in BREAKING:
            return None
        if c != "\\":
            out.append(c)
            at += 1
        elif text[at + 1:at + 2] == "\\":
            out.append("\\")
            at += 2
        else:
            hex4 = text[at + 2:at + 6]
            if text[at + 1:at + 2] != "u" or len(hex4) != 4 or any(h not in "0123456789ABCDEF" for h in hex4) \
                    or int(hex4, 16) not in BREAKING:
                return None
            out.append(chr(int(hex4, 16)))
            at += 6
    return "".join(out)


def record_digest(lines: list) -> bytes:
    """h of the 公布 line: each record line before it (without its line end) and CR LF."""
    return sha256("".join(line + "\r\n" for line in lines).encode("utf-8"))


def line_hash(line: str) -> str:
    """A 行校验 entry: FNV-1a, 64 bits, of the line's UTF-8 bytes."""
    value = 0xCBF29CE484222325
    for byte in line.encode("utf-8"):
        value = ((value ^ byte) * 0x100000001B3) % 2**64
    return f"{value:016x}"


# ---- A version-2 record, as the program writes it -------------------------------------------

def record_v2(names: list, list_data: bytes, plan: list, plan_data: bytes, secret: bytes,
              witnesses: tuple, events: list, *, reveal=True, times=None, header=None) -> list:
    """The record's lines of a run over the list with the plan [(name, count)] (empty: none)
    and the events of assign_positions, the winners drawn by the reference sequence. `names`
    are the candidates; a list whose first line is a header passes that line as `header`."""
    n = len(names)
    list_sha = sha256(list_data)
    plan_sha = sha256(plan_data) if plan else b""
    counts = [count for _, count in plan]
    public = "-".join(witnesses)
    clock = iter(times or (f"2026-12-08 09:{23 + k // 60:02d}:{k % 60:02d}" for k in range(10**6)))
    out = ["Kelvara V1.0.0 摇号记录", f"名单：bonus.txt，共{n}条，SHA-256 {list_sha.hex()}"]
    hashes = [line_hash(name) for name in names]
    out += ["行校验：" + "".join(hashes[k:k + 500]) for k in range(0, n, 500)]
    if header is not None:
        out.append("表头：" + escape_name(header))
    if plan:
        out.append(f"奖项表：奖项.txt，共{len(plan)}项，SHA-256 {plan_sha.hex()}")
        out += [f"奖项{i}：{count}人，{name}" for i, (name, count) in enumerate(plan, 1)]
    c = commitment(V2, secret, list_sha, plan_sha, n)
    out += [f"可验证摇号：{V2}，承诺 {c.hex()}", "本名单第1次承诺", "初始化：2026-12-08 09:22:18"]
    out += [f"见证人{k}：{digits}" for k, digits in enumerate(witnesses, 1)]
    out += [f"公开输入：2026-12-08 09:22:40，{public}", f"秘密值：{secret.hex()}"]
    placed = {w["number"]: w for w in assign_positions(counts, n, events)}
    lines = sequence(V2, secret, list_sha, plan_sha, public, n, max([w["position"] for w in placed.values()] + [0]))
    listed = 0
    rounds = 0
    for event in events:
        if event[0] == "round":
            rounds += 1
            prize = f"，奖项{event[1]}" if plan else ""
            out.append(f"第{rounds}轮：{next(clock)}，{event[2]}人{prize}")
            for number in range(listed + 1, listed + event[2] + 1):
                line = lines[placed[number]["position"] - 1]
                out.append(f"[{number}]:\t第{line}行\t{escape_name(names[line - 1])}")
            listed += event[2]
        elif event[0] in ("absent", "back"):
            out.append(f"{'弃奖' if event[0] == 'absent' else '撤销弃奖'}：{next(clock)}，[{event[1]}]")
    if reveal:
        out.append(f"公布：2026-12-08 09:40:00，秘密值 {secret.hex()}，共{len(placed)}个位置，"
                   f"记录SHA-256 {record_digest(out).hex()}")
    out.append("结束：2026-12-08 09:40:05")
    return out


# ---- The vectors --------------------------------------------------------------------------

SECRET = bytes(range(32))
LIST_SHA = sha256("张三\r\n李四\r\n".encode("utf-8"))
PLAN_SHA = sha256("三等奖 2\r\n".encode("utf-8"))
PUBLIC = "3141592653-58979"
PLAN3_TEXT = "三等奖 3\r\n二等奖 2\r\n一等奖 1\r\n"
PLAN3 = [("三等奖", 3), ("二等奖", 2), ("一等奖", 1)]
# 一等奖 first, then 三等奖; one of those absent, 二等奖, then the 一等奖 winner absent too.
PLAN3_EVENTS = [("round", 3, 1), ("round", 1, 3), ("absent", 3), ("round", 2, 2), ("absent", 1),
                ("round", 1, 1), ("round", 3, 1)]
SEQUENCE_CASES = ((2, b""), (10, PLAN_SHA), (10000, PLAN_SHA))

EXAMPLE_NAMES = ["张三", "李四", "王五", "赵六", "钱七"]
EXAMPLE_LIST = "".join(name + "\r\n" for name in EXAMPLE_NAMES).encode("utf-8")
EXAMPLE_PLAN_TEXT = "二等奖 2\r\n一等奖 1\r\n"
EXAMPLE_PLAN = [("二等奖", 2), ("一等奖", 1)]
# A public input the program takes: the vectors' one begins like pi, which it refuses.
EXAMPLE_WITNESSES = ("20261208", "7305194")
EXAMPLE_EVENTS = [("round", 2, 1), ("round", 1, 2), ("absent", 3), ("round", 1, 1)]


def shown(text: str) -> str:
    return text.replace("\r", "\\r").replace("\n", "\\n")


def main():
    s = SECRET
    print("## Inputs\n")
    print("| input | value |\n|---|---|")
    print(f"| `s` | `{s.hex()}` |")
    print(f"| `L` | `{LIST_SHA.hex()}` (SHA-256 of \"张三\\r\\n李四\\r\\n\" in UTF-8) |")
    print(f"| `P` | `{PLAN_SHA.hex()}` (SHA-256 of \"三等奖 2\\r\\n\" in UTF-8) |")
    print(f"| `U` | `{PUBLIC}` |")
    print(f"\n## {V1}\n")
    print(f"`C` = SHA256(s) = `{commitment(V1, s, b'', b'', 0).hex()}`\n")
    print("| N | plan | the first 20 line numbers (all of them when N < 20) |\n|---|---|---|")
    for n, plan in SEQUENCE_CASES:
        lines = ", ".join(map(str, draw(s, LIST_SHA, plan, PUBLIC, n, 20)))
        print(f"| {n} | {'`P` above' if plan else 'none (`P` empty)'} | {lines} |")

    print(f"\n## {V2}\n")
    print("| N | plan | `C` | the first 20 line numbers (all of them when N < 20) |\n|---|---|---|---|")
    for n, plan in SEQUENCE_CASES:
        lines = ", ".join(map(str, sequence(V2, s, LIST_SHA, plan, PUBLIC, n, 20)))
        print(f"| {n} | {'`P` above' if plan else 'none (`P` empty)'} | `{commitment(V2, s, LIST_SHA, plan, n).hex()}` "
              f"| {lines} |")

    n = 10
    plan_sha = sha256(PLAN3_TEXT.encode("utf-8"))
    counts = [count for _, count in PLAN3]
    print(f"\n### {V2}: positions to prizes\n")
    print(f"Plan `{shown(PLAN3_TEXT)}` in UTF-8 (`P` = `{plan_sha.hex()}`), "
          f"N = {n}, `s`, `L` and `U` above; `C` = `{commitment(V2, s, LIST_SHA, plan_sha, n).hex()}`. "
          f"T = {sum(counts)}, m = {len(counts)}.\n")
    seq = sequence(V2, s, LIST_SHA, plan_sha, PUBLIC, n, n)
    print("| prize | block | replacements r = 1, 2, ... (up to N) |\n|---|---|---|")
    for i, (name, count) in enumerate(PLAN3, 1):
        start = sum(counts[:i - 1])
        block = ", ".join(f"{p} (line {seq[p - 1]})" for p in range(start + 1, start + count + 1))
        spare = []
        r = 1
        while (p := replacement_position(counts, n, i, r)) is not None:
            spare.append(f"{p} (line {seq[p - 1]})")
            r += 1
        print(f"| {i} {name} ({count}) | {block} | {', '.join(spare) or 'none'} |")
    print(f"\nThe sequence over N = {n}: {', '.join(map(str, seq))}.\n")
    print("A run that draws 一等奖 first and marks two winners absent:\n")
    print("| record | prize | position | line |\n|---|---|---|---|")
    winners = iter(assign_positions(counts, n, PLAN3_EVENTS))
    rounds = 0
    for event in PLAN3_EVENTS:
        if event[0] == "round":
            rounds += 1
            print(f"| 第{rounds}轮：{event[2]}人，奖项{event[1]} | | | |")
            for _ in range(event[2]):
                w = next(winners)
                how = f"replacement {w['replacement']}" if w["replacement"] else "block"
                print(f"| [{w['number']}] | {w['prize']} {PLAN3[w['prize'] - 1][0]} | {w['position']} ({how}) "
                      f"| {seq[w['position'] - 1]} |")
        else:
            print(f"| 弃奖：[{event[1]}] | | | |")

    print("\n## An example record\n")
    print(f"The list {'、'.join(EXAMPLE_NAMES)} (`bonus.txt`, UTF-8, CR LF), the plan "
          f"`{shown(EXAMPLE_PLAN_TEXT)}` (`奖项.txt`), `s` above, "
          f"witnesses {' and '.join(EXAMPLE_WITNESSES)}:\n")
    print("```")
    print("\n".join(record_v2(EXAMPLE_NAMES, EXAMPLE_LIST, EXAMPLE_PLAN, EXAMPLE_PLAN_TEXT.encode(), s,
                              EXAMPLE_WITNESSES, EXAMPLE_EVENTS)))
    print("```")


if __name__ == "__main__":
    main()
