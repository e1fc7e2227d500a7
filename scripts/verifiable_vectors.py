#!/usr/bin/env python3
"""Prints the verifiable draw's test vectors as markdown tables, for docs/verifiable-draw.md:
an implementation of the three algorithm versions kept apart from the program's, in Python's
standard library. The functions serve the tests as the reference too.
Usage: verifiable_vectors.py [--json]   (--json: every vector as one JSON object)"""
import codecs
import collections
import hashlib
import hmac
import json
import re
import struct
import sys

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


# ---- Version 3: procedures (sections, tiers, waiting orders, places, 递补) ----------------------

V3 = "kelvara-verifiable-draw-3"


def commitment_v3(secret: bytes, list_sha: bytes, plan_sha: bytes, places_sha: bytes, n: int) -> bytes:
    """C of version 3: binds the places list's SHA-256 too (empty without places)."""
    return sha256(lp(V3.encode()) + lp(secret) + lp(list_sha) + lp(plan_sha) + lp(places_sha) + be64(n))


def key_v3(secret: bytes, list_sha: bytes, plan_sha: bytes, places_sha: bytes, public: str, n: int) -> bytes:
    return hmac.new(V3.encode(), lp(secret) + lp(list_sha) + lp(plan_sha) + lp(places_sha)
                    + lp(public.encode("utf-8")) + be64(n), hashlib.sha256).digest()


class LabelStream:
    """The stream of one label: HMAC(K_label, BE64(i)) for i = 0, 1, ..., read 8 bytes at a time."""

    def __init__(self, key: bytes, label: str):
        self.key = hmac.new(key, label.encode("ascii"), hashlib.sha256).digest()
        self.block = 0
        self.buffer = b""

    def next64(self) -> int:
        if not self.buffer:
            self.buffer = hmac.new(self.key, be64(self.block), hashlib.sha256).digest()
            self.block += 1
        value, self.buffer = int.from_bytes(self.buffer[:8], "big"), self.buffer[8:]
        return value

    def below(self, m: int) -> int:
        excess = (2**64 - m) % m  # the incomplete last group of m values
        while True:
            x = self.next64()
            if x <= 2**64 - 1 - excess:
                return x % m


def shuffle(key: bytes, label: str, items) -> list:
    """shuffle(λ, a): Fisher-Yates from the front, no step for the last element."""
    a = list(items)
    stream = LabelStream(key, label)
    for k in range(len(a) - 1):
        j = k + stream.below(len(a) - k)
        a[k], a[j] = a[j], a[k]
    return a


PLAN_SEPARATORS = " \t,，\u3000"
FIELD_BLANKS = " \t\u3000"  # between options; commas are not
ALL = "全部"


class PlanError(ValueError):
    pass


def plan_trim(text: str) -> str:
    return text.strip(PLAN_SEPARATORS)


def whole_number(text: str) -> int:
    """A count in ASCII or full-width digits; -1 for anything else."""
    if not text or any(c not in "0123456789０１２３４５６７８９" for c in text):
        return -1
    return int("".join(str("0123456789０１２３４５６７８９".index(c) % 10) for c in text))


def is_option(field: str) -> bool:
    return "=" in field or field == "可重复"


def read_plan_line(line: str):
    """(name, count, options) of a plan line, count None for 全部; None for a blank line. The
    fields are the texts between runs of spaces, TABs and U+3000; the trailing ones that are
    options come off first, commas and all."""
    fields = list(re.finditer(f"[^{FIELD_BLANKS}]+", line))
    options = []
    while fields and is_option(fields[-1].group()):
        options.insert(0, fields.pop().group())
    if options and not fields:
        raise PlanError("options without a name and count")
    text = plan_trim(line[:fields[-1].end()] if options else line)
    for unit in ("人", "名"):
        if text.endswith(unit):
            text = plan_trim(text[:-1])
    if not text:
        if options:
            raise PlanError("options without a name and count")
        return None
    cut = max(text.rfind(c) for c in PLAN_SEPARATORS)
    if cut < 0:
        raise PlanError("no separator between name and count")
    name, count_text = plan_trim(text[:cut]), plan_trim(text[cut:])
    count = None if count_text == ALL else whole_number(count_text)
    if not name or count is not None and count <= 0:
        raise PlanError(f"no name or no count: {line!r}")
    return name, count, options


class PlanLine:
    def __init__(self, number: int, name: str, count, options: list):
        self.number, self.name, self.count, self.options = number, name, count, options
        self.places = None      # 顺序 or 随机
        self.repeat = False     # 可重复
        self.matches = []       # [(column, [values])]
        self.tiers = None       # (column, [values]) or None
        for field in options:
            if field == "可重复":
                self.repeat = True
                continue
            column, value = field.split("=", 1)
            tiers = ">" in value or "＞" in value
            values = re.split("[>＞]" if tiers else "[/、]", value)
            if not column or not all(values):
                raise PlanError(f"奖项{number}: {field} has an empty column or value")
            if column == "房源":
                if value not in ("顺序", "随机"):
                    raise PlanError(f"奖项{number}: 房源={value}")
                self.places = value   # of two, the last counts
            elif tiers:
                if self.tiers is not None:
                    raise PlanError(f"奖项{number}: two tier options")
                self.tiers = (column, values)
            else:
                self.matches.append((column, values))
        if self.places and count is None:
            raise PlanError(f"奖项{number}: 房源= on a 全部 line")

    @property
    def conditions(self) -> str:
        return " ".join(o for o in self.options if not o.startswith("房源="))

    def record_lines(self) -> list:
        head = f"奖项{self.number}：{ALL}，{self.name}" if self.count is None else \
            f"奖项{self.number}：{self.count}人，{self.name}"
        return [head] + ([f"奖项{self.number}条件：{' '.join(self.options)}"] if self.options else [])


def read_procedure_plan(data: bytes) -> list:
    lines = []
    for text in list_lines(data):
        read = read_plan_line(text)
        if read is not None:
            if any(line.name == read[0] for line in lines):
                raise PlanError(f"{read[0]} twice")
            lines.append(PlanLine(len(lines) + 1, *read))
    return lines


def is_procedure(plan: list) -> bool:
    return any(line.options or line.count is None for line in plan)


def trim_cell(text: str) -> str:
    return text.strip(FIELD_BLANKS)


def column_titles(header_cells, width: int) -> list:
    """A header's trimmed cells up to its last non-empty one, an empty one as 列k; without a
    header 列1 .. 列width."""
    cells = [trim_cell(c) for c in header_cells or []]
    while cells and not cells[-1]:
        cells.pop()
    if not cells:
        return [f"列{k}" for k in range(1, max(width, 1) + 1)]
    return [c or f"列{k}" for k, c in enumerate(cells, 1)]


class Section:
    def __init__(self, number: int, conditions: str):
        self.number, self.conditions, self.lines = number, conditions, []
        self.order, self.waiting, self.tiers = [], [], []


class Procedure:
    """Sections, orders, blocks, waiting orders and place orders of a procedure plan over a
    list whose lines 1..N have the cells `rows` under the column titles `titles`."""

    def __init__(self, plan: list, titles: list, rows: list, key: bytes, places_count: int = 0):
        self.plan = plan
        column = {}
        for k, title in enumerate(titles):
            column.setdefault(title, k)

        def cell(line: int, title: str) -> str:
            cells = rows[line - 1]
            k = column[title]
            return trim_cell(cells[k]) if k < len(cells) else ""

        if sum(line.count for line in plan if line.count is not None and not line.repeat) > len(rows):
            raise PlanError("the plan's people are more than the list's lines")
        for line in plan:
            for title, values in line.matches + ([line.tiers] if line.tiers else []):
                if title not in column:
                    raise PlanError(f"奖项{line.number}: no column {title}")
                had = {cell(n, title) for n in range(1, len(rows) + 1)}
                if any(v not in had for v in values):
                    raise PlanError(f"奖项{line.number}: a value of {title} no row has")

        self.sections = []
        self.section_of = {}
        for line in plan:
            section = next((s for s in self.sections if s.conditions == line.conditions), None)
            if section is None:
                section = Section(len(self.sections) + 1, line.conditions)
                self.sections.append(section)
            if section.lines and section.lines[-1].count is None:
                raise PlanError(f"奖项{line.number}: after its section's 全部 line")
            section.lines.append(line)
            self.section_of[line.number] = section

        self.admitted = {}
        taken = set()  # X: lines admitted by the sections so far
        for section in self.sections:
            first = section.lines[0]
            pool = [n for n in range(1, len(rows) + 1)
                    if (first.repeat or n not in taken)
                    and all(cell(n, title) in values for title, values in first.matches)
                    and (first.tiers is None or cell(n, first.tiers[0]) in first.tiers[1])]
            if first.tiers:
                title, values = first.tiers
                tier_of = {n: values.index(cell(n, title)) for n in pool}
                section.tiers = [[n for n in pool if tier_of[n] == t] for t in range(len(values))]
            else:
                section.tiers = [pool]
            section.order = [n for t, tier in enumerate(section.tiers, 1)
                             for n in shuffle(key, f"order/{section.number}/{t}", tier)]
            start = 0
            for line in section.lines:
                if line.count is not None:
                    self.admitted[line.number] = section.order[start:start + line.count]
                    start += line.count
                    taken.update(self.admitted[line.number])
            section.rest = section.order[start:]
        for section in self.sections:
            later = {n for s in self.sections[section.number:] if not s.lines[0].repeat
                     for line in s.lines if line.count is not None for n in self.admitted[line.number]}
            section.waiting = [n for n in section.rest if n not in later]

        self.place_order = {}
        used = 0
        for line in plan:
            if line.places:
                block = list(range(used + 1, used + line.count + 1))
                used += line.count
                self.place_order[line.number] = block if line.places == "顺序" else \
                    shuffle(key, f"places/{line.number}", block)
        if used > places_count:
            raise PlanError(f"{used} places wanted, the places list has {places_count}")

    def replay(self, events: list) -> list:
        """The run's record items from its events in order: ("round", i, n), ("absent", number),
        ("back", number). Each item: ("round", i, [entries]), ("absent", number, entry of its
        递补 or None), ("back", number). An entry is a dict: number, prize, line, rank (admitted)
        or waiting (候补k), place (q) or None, replaces (the number it took over) or None."""
        entries = {}
        listed = {line.number: 0 for line in self.plan}
        absent, answered = set(), set()
        out = set()                      # people a 弃奖 took out of moving up, until a 撤销弃奖
        held = collections.defaultdict(list)   # person -> the sections where they hold a place
        for i, block in self.admitted.items():
            for n in block:
                held[n].append(self.section_of[i].number)
        cursor = {section.number: 0 for section in self.sections}
        items = []

        def new_entry(prize, line, **what):
            entry = {"number": len(entries) + 1, "prize": prize, "line": line, "rank": None,
                     "waiting": None, "place": None, "replaces": None, **what}
            if entry["rank"] is not None and prize in self.place_order:
                entry["place"] = self.place_order[prize][entry["rank"] - 1]
            entries[entry["number"]] = entry
            return entry

        def decline(entry):
            """Who moves up for the entry marked absent: W_j read on from where the section's
            last 递补 stopped, past everyone out or holding a place (in a 可重复 section: in it)."""
            out.add(entry["line"])
            if entry["rank"] is None:
                return None
            section = self.section_of[entry["prize"]]
            j = section.number
            held[entry["line"]].remove(j)
            while cursor[j] < len(section.waiting):
                person = section.waiting[cursor[j]]
                cursor[j] += 1
                holds = j in held[person] if section.lines[0].repeat else bool(held[person])
                if person not in out and not holds:
                    held[person].append(j)
                    return person
            return None

        for event in events:
            if event[0] == "round":
                _, prize, size = event
                section = self.section_of[prize]
                people = section.waiting if self.plan[prize - 1].count is None else self.admitted[prize]
                start = listed[prize]
                if start + size > len(people):
                    raise PositionError(f"奖项{prize} has {len(people) - start} left, not {size}")
                listed[prize] += size
                key = "waiting" if self.plan[prize - 1].count is None else "rank"
                items.append(("round", prize, [new_entry(prize, people[k], **{key: k + 1})
                                               for k in range(start, start + size)]))
            elif event[0] == "absent":
                entry = entries[event[1]]
                if event[1] in absent:
                    raise PositionError(f"[{event[1]}] is already absent")
                absent.add(event[1])
                moved = None
                person = decline(entry)
                if person is not None:
                    answered.add(event[1])
                    moved = new_entry(entry["prize"], person, rank=entry["rank"], replaces=event[1])
                items.append(("absent", event[1], moved))
            else:
                entry = entries[event[1]]
                if event[1] not in absent or event[1] in answered:
                    raise PositionError(f"[{event[1]}]'s mark cannot be taken back")
                absent.discard(event[1])
                out.discard(entry["line"])
                if entry["rank"] is not None:
                    held[entry["line"]].append(self.section_of[entry["prize"]].number)
                items.append(("back", event[1]))
        return items


def winner_line_v3(entry: dict, names: list, places: list) -> str:
    text = f"[{entry['number']}]:\t第{entry['line']}行\t{escape_name(names[entry['line'] - 1])}"
    if entry["place"] is not None:
        text += f"\t房源第{entry['place']}行\t{escape_name(places[entry['place'] - 1])}"
    if entry["waiting"] is not None:
        text += f"\t候补{entry['waiting']}"
    return text


def record_v3(names: list, list_data: bytes, plan_data: bytes, secret: bytes, witnesses: tuple,
              events: list, *, rows=None, header=None, places=(), places_data=b"", places_header=None,
              list_file="bonus.txt", places_file="房源.txt", reveal=True) -> list:
    """The record's lines of a version-3 run: the list's lines `names` (a text list's lines, a
    workbook's rows as the program shows them) with their cells `rows` (default: the names
    split at TABs) and header (a text list's first line, a workbook's cells joined by TAB),
    the plan file, the places `places` (their texts) read from `places_data`, and the events
    of Procedure.replay."""
    n = len(names)
    rows = rows if rows is not None else [name.split("\t") for name in names]
    plan = read_procedure_plan(plan_data)
    list_sha, plan_sha = sha256(list_data), sha256(plan_data)
    places_sha = sha256(places_data) if any(line.places for line in plan) else b""
    public = "-".join(witnesses)
    key = key_v3(secret, list_sha, plan_sha, places_sha, public, n)
    titles = column_titles(header.split("\t") if header is not None else None, max(len(r) for r in rows))
    procedure = Procedure(plan, titles, rows, key, len(places))
    clock = (f"2026-12-08 09:{23 + k // 60:02d}:{k % 60:02d}" for k in range(10**6))
    out = ["Kelvara V1.0.0 摇号记录", f"名单：{list_file}，共{n}条，SHA-256 {list_sha.hex()}"]
    hashes = [line_hash(name) for name in names]
    out += ["行校验：" + "".join(hashes[k:k + 500]) for k in range(0, n, 500)]
    if header is not None:
        out.append("表头：" + escape_name(header))
    out.append(f"奖项表：奖项.txt，共{len(plan)}项，SHA-256 {plan_sha.hex()}")
    for line in plan:
        out += line.record_lines()
    if places_sha:
        out.append(f"房源表：{places_file}，共{len(places)}个，SHA-256 {places_sha.hex()}")
        if places_header is not None:
            out.append("房源表头：" + escape_name(places_header))
    c = commitment_v3(secret, list_sha, plan_sha, places_sha, n)
    out += [f"可验证摇号：{V3}，承诺 {c.hex()}", "本名单第1次承诺", "初始化：2026-12-08 09:22:18"]
    out += [f"见证人{k}：{digits}" for k, digits in enumerate(witnesses, 1)]
    out += [f"公开输入：2026-12-08 09:22:40，{public}", f"秘密值：{secret.hex()}"]
    rounds = entries = 0
    for item in procedure.replay(events):
        if item[0] == "round":
            rounds += 1
            out.append(f"第{rounds}轮：{next(clock)}，{len(item[2])}人，奖项{item[1]}")
            out += [winner_line_v3(entry, names, places) for entry in item[2]]
            entries += len(item[2])
        elif item[0] == "absent":
            out.append(f"弃奖：{next(clock)}，[{item[1]}]")
            if item[2] is not None:
                out.append(f"递补：{next(clock)}，[{item[2]['number']}]，接替[{item[1]}]")
                out.append(winner_line_v3(item[2], names, places))
                entries += 1
        else:
            out.append(f"撤销弃奖：{next(clock)}，[{item[1]}]")
    if reveal:
        out.append(f"公布：2026-12-08 09:40:00，秘密值 {secret.hex()}，共{entries}个位置，"
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


PLACES_SHA = sha256("1-101\r\n1-102\r\n".encode("utf-8"))
V3_CASES = ((10, PLAN_SHA, PLACES_SHA), (10, PLAN_SHA, b""), (10000, PLAN_SHA, PLACES_SHA))
V3_SHUFFLES = ((10, "order/1/1", 10), (10000, "order/1/1", 10000), (10, "places/1", 10))

# The worked procedure: two groups, group A in two batches, the places 1-3 random for A and
# 4-6 in order for B, everyone else waiting; one admitted person declines.
PROCEDURE_HEADER = "姓名\t组别\t批次"
PROCEDURE_NAMES = ["张三\tA\t1", "李四\tA\t2", "王五\tB\t1", "赵六\tA\t1", "钱七\tB\t2", "孙八\tA\t2",
                   "周九\tB\t1", "吴十\tA\t1", "郑一\tB\t2", "冯二\tA\t2", "陈三\tB\t1", "褚四\tA\t1"]
PROCEDURE_LIST = "".join(line + "\r\n" for line in [PROCEDURE_HEADER] + PROCEDURE_NAMES).encode("utf-8")
PROCEDURE_PLAN = ("A组住房 3 组别=A 批次=1>2 房源=随机\r\nA组候补 全部 组别=A 批次=1>2\r\n"
                  "B组住房 3 组别=B 房源=顺序\r\nB组候补 全部 组别=B\r\n").encode("utf-8")
PLACES_HEADER = "房号\t户型"
PLACES = ["1-101\t两室", "1-102\t两室", "1-201\t三室", "2-101\t两室", "2-102\t三室", "2-201\t三室"]
PLACES_LIST = "".join(line + "\r\n" for line in [PLACES_HEADER] + PLACES).encode("utf-8")
PROCEDURE_EVENTS = [("round", 1, 3), ("round", 3, 3), ("absent", 2), ("round", 2, 4), ("round", 4, 2)]


def procedure_example() -> list:
    return record_v3(PROCEDURE_NAMES, PROCEDURE_LIST, PROCEDURE_PLAN, SECRET, EXAMPLE_WITNESSES,
                     PROCEDURE_EVENTS, header=PROCEDURE_HEADER, places=PLACES, places_data=PLACES_LIST,
                     places_header=PLACES_HEADER)


def procedure_derivation():
    """The example's procedure, as the record's reader derives it."""
    key = key_v3(SECRET, sha256(PROCEDURE_LIST), sha256(PROCEDURE_PLAN), sha256(PLACES_LIST),
                 "-".join(EXAMPLE_WITNESSES), len(PROCEDURE_NAMES))
    plan = read_procedure_plan(PROCEDURE_PLAN)
    titles = column_titles(PROCEDURE_HEADER.split("\t"), 3)
    return key, Procedure(plan, titles, [n.split("\t") for n in PROCEDURE_NAMES], key, len(PLACES))


def vectors() -> dict:
    """Every vector, for engine tests to compare with."""
    s = SECRET
    out = {"inputs": {"s": s.hex(), "L": LIST_SHA.hex(), "P": PLAN_SHA.hex(), "R": PLACES_SHA.hex(), "U": PUBLIC,
                      "L_of": "张三\r\n李四\r\n", "P_of": "三等奖 2\r\n", "R_of": "1-101\r\n1-102\r\n"}}
    out[V1] = {"C": commitment(V1, s, b"", b"", 0).hex(), "cases": [
        {"N": n, "P": plan.hex(), "first": draw(s, LIST_SHA, plan, PUBLIC, n, 20)} for n, plan in SEQUENCE_CASES]}
    out[V2] = {"cases": [
        {"N": n, "P": plan.hex(), "C": commitment(V2, s, LIST_SHA, plan, n).hex(),
         "first": sequence(V2, s, LIST_SHA, plan, PUBLIC, n, 20)} for n, plan in SEQUENCE_CASES]}
    cases = []
    for n, plan, places in V3_CASES:
        key = key_v3(s, LIST_SHA, plan, places, PUBLIC, n)
        cases.append({"N": n, "P": plan.hex(), "R": places.hex(), "C": commitment_v3(s, LIST_SHA, plan, places, n).hex(),
                      "K": key.hex(), "K_order/1/1": hmac.new(key, b"order/1/1", hashlib.sha256).hexdigest()})
    shuffles = [{"N": n, "P": PLAN_SHA.hex(), "R": PLACES_SHA.hex(), "label": label, "size": size,
                 "first": shuffle(key_v3(s, LIST_SHA, PLAN_SHA, PLACES_SHA, PUBLIC, n), label, range(1, size + 1))[:20]}
                for n, label, size in V3_SHUFFLES]
    key, procedure = procedure_derivation()
    out[V3] = {"cases": cases, "shuffles": shuffles, "example": {
        "list": PROCEDURE_LIST.decode(), "plan": PROCEDURE_PLAN.decode(), "places": PLACES_LIST.decode(),
        "witnesses": list(EXAMPLE_WITNESSES), "K": key.hex(),
        "orders": [s.order for s in procedure.sections], "waiting": [s.waiting for s in procedure.sections],
        "admitted": {str(i): block for i, block in procedure.admitted.items()},
        "place_orders": {str(i): order for i, order in procedure.place_order.items()},
        "record": procedure_example()}}
    return out


def shown(text: str) -> str:
    return text.replace("\r", "\\r").replace("\n", "\\n").replace("\t", "\\t")


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

    print_v3()


def print_v3():
    s = SECRET
    print(f"\n## {V3}\n")
    print(f"`R` = `{PLACES_SHA.hex()}` (SHA-256 of \"1-101\\r\\n1-102\\r\\n\" in UTF-8); `s`, `L`, `P` and `U` "
          "as above.\n")
    print("| N | `P` | `R` | `C` | `K` |\n|---|---|---|---|---|")
    for n, plan, places in V3_CASES:
        key = key_v3(s, LIST_SHA, plan, places, PUBLIC, n)
        print(f"| {n} | {'above' if plan else 'empty'} | {'above' if places else 'empty'} "
              f"| `{commitment_v3(s, LIST_SHA, plan, places, n).hex()}` | `{key.hex()}` |")
    key10 = key_v3(s, LIST_SHA, PLAN_SHA, PLACES_SHA, PUBLIC, 10)
    print(f"\nWith N = 10, `P` and `R` above: `K_order/1/1` = "
          f"`{hmac.new(key10, b'order/1/1', hashlib.sha256).hexdigest()}`.\n")
    print("| N (`P`, `R` above) | shuffle | result (the first 20 when longer) |\n|---|---|---|")
    for n, label, size in V3_SHUFFLES:
        result = shuffle(key_v3(s, LIST_SHA, PLAN_SHA, PLACES_SHA, PUBLIC, n), label, range(1, size + 1))
        print(f"| {n} | `shuffle(\"{label}\", [1..{size}])` | {', '.join(map(str, result[:20]))} |")

    key, procedure = procedure_derivation()
    print(f"\n### {V3}: the worked procedure\n")
    print(f"`bonus.txt` (UTF-8, CR LF): `{shown(PROCEDURE_LIST.decode())}`\n")
    print(f"`奖项.txt`: `{shown(PROCEDURE_PLAN.decode())}`\n")
    print(f"`房源.txt`: `{shown(PLACES_LIST.decode())}`\n")
    print(f"`K` = `{key.hex()}`\n")
    print("| section | conditions | tiers (lines) | order `O_j` | blocks | waiting `W_j` |\n|---|---|---|---|---|---|")
    for section in procedure.sections:
        tiers = " / ".join(", ".join(map(str, tier)) for tier in section.tiers)
        blocks = "; ".join(f"奖项{line.number}: {', '.join(map(str, procedure.admitted[line.number]))}"
                           for line in section.lines if line.count is not None)
        print(f"| {section.number} | `{section.conditions}` | {tiers} | {', '.join(map(str, section.order))} "
              f"| {blocks} | {', '.join(map(str, section.waiting))} |")
    for i, order in procedure.place_order.items():
        print(f"\nPlace order of 奖项{i}: {', '.join(map(str, order))}.")
    print("\n```")
    print("\n".join(procedure_example()))
    print("```")


if __name__ == "__main__":
    if sys.argv[1:] == ["--json"]:
        print(json.dumps(vectors(), ensure_ascii=False, indent=1))
    else:
        main()
