#!/usr/bin/python3
"""Runs resources/kelvara-verify.html in headless chromium over genuine and tampered draw
records and checks its verdicts. The genuine records are drawn with the reference sequence of
scripts/verifiable_vectors.py; each case is then bent the way a forger or a slip would bend it.
Usage: verify_page_cases.py <page> [chromium]"""

import base64
import hashlib
import io
import json
import pathlib
import re
import subprocess
import sys
import tempfile
import zipfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "scripts"))
import verifiable_vectors as vv  # noqa: E402
from verifiable_vectors import V2, draw, record_digest, record_v2, sequence  # noqa: E402

DOC = pathlib.Path(__file__).resolve().parents[2] / "docs" / "verifiable-draw.md"

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
    add("unsupported algorithm", {**example, "record": edit(doc, "draw-1，", "draw-9，")},
        "验证失败：不支持的算法“kelvara-verifiable-draw-9”")
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

    table += version2_cases()
    table += list_column_cases()
    table += version3_cases()
    table += version3_rule_cases()
    return table


def crlf(lines):
    return "".join(line + "\r\n" for line in lines).encode()


def as_list(names, end="\r\n"):
    return "".join(name + end for name in names).encode()


def resealed(lines, count=None):
    """The record's lines with its 公布 line's count and digest made to fit them again, as
    anyone can: the digest holds no secret."""
    at = next(k for k, line in enumerate(lines) if line.startswith("公布："))
    if count is None:
        count = sum(1 for line in lines[:at] if line.startswith("["))
    head = lines[at].split("，共")[0]
    return lines[:at] + [f"{head}，共{count}个位置，记录SHA-256 {record_digest(lines[:at]).hex()}"] + lines[at + 1:]


def relisted(lines, number, line, names):
    """Winner [number] written as line `line` of the list."""
    prefix = f"[{number}]:\t"
    return [f"{prefix}第{line}行\t{names[line - 1]}" if text.startswith(prefix) else text for text in lines]


PLAN3 = [("三等奖", 3), ("二等奖", 2), ("一等奖", 1)]
PLAN3_FILE = "三等奖 3\r\n二等奖 2\r\n一等奖 1\r\n".encode()


def version2_cases():
    table = []

    def add(name, inputs, verdict, **expect):
        table.append((name, inputs, verdict, expect))

    names = ["张三", "李四", "王五", "赵六", "钱七", "孙八", "周吉", "吴𠮷", "郑十", " 冯 十一 "]
    data = as_list(names)

    def v2(events, *, names=names, data=data, plan=PLAN3, plan_file=PLAN3_FILE, **options):
        return record_v2(names, data, plan, plan_file if plan else b"", SECRET, WITNESSES, events, **options)

    in_order = [("round", 1, 3), ("absent", 2), ("round", 2, 2), ("round", 3, 1), ("absent", 6),
                ("round", 1, 1), ("round", 3, 1)]
    first_prize_first = [("round", 3, 1), ("round", 1, 3), ("absent", 3), ("round", 2, 2), ("absent", 1),
                         ("round", 1, 1), ("round", 3, 1)]
    genuine = v2(first_prize_first)
    files = {"list": data, "plan": PLAN3_FILE}
    add("v2 plan in its order, two absent marks", {**files, "record": crlf(v2(in_order))},
        "验证通过：全部 8 名中签者与记录一致")
    add("v2 一等奖 drawn first", {**files, "record": crlf(genuine)}, "验证通过：全部 8 名中签者与记录一致")
    add("v2 LF line ends", {**files, "record": crlf(genuine).replace(b"\r\n", b"\n")},
        "验证通过：全部 8 名中签者与记录一致")
    add("v2 a mark taken back before its replacement",
        {**files, "record": crlf(v2([("round", 1, 3), ("absent", 1), ("back", 1), ("absent", 2), ("round", 1, 1)]))},
        "验证通过：全部 4 名中签者与记录一致")
    add("v2 no plan", {"list": data, "plan": None,
                       "record": crlf(v2([("round", 0, 2), ("absent", 1), ("round", 0, 1)], plan=[]))},
        "验证通过：全部 3 名中签者与记录一致")

    # Each winner [k] written with the line at position k, as if the listing order were the
    # positions' (as in version 1): the 一等奖 winner [1] belongs at position 6.
    seq = sequence(V2, SECRET, sha(data), sha(PLAN3_FILE), "-".join(WITNESSES), len(names), len(names))
    listing_order = genuine
    for k in range(1, 9):
        listing_order = relisted(listing_order, k, seq[k - 1], names)
    add("v2 winners at their listing numbers' positions", {**files, "record": crlf(resealed(listing_order))},
        f"验证失败：第[1]名（奖项3，位置6）中签者应为第{seq[5]}行，记录为第{seq[0]}行")
    add("v2 the same, its digest left as it was", {**files, "record": crlf(listing_order)},
        "验证失败：公布之前的记录内容与公布的记录SHA-256不符（记录被改动或删减）")
    add("v2 a replacement without an absent mark",
        {**files, "record": crlf(resealed([t for t in genuine if not t.startswith("弃奖") or "[1]" not in t]))},
        "验证失败：第[8]名：奖项3的名额已满，又没有待替补的弃奖")

    second_round_end = next(k for k, t in enumerate(genuine) if t.startswith("第3轮"))
    add("v2 cut after its second round", {**files, "record": crlf(genuine[:second_round_end])},
        "验证失败：记录没有公布秘密值，无法验证")
    third = [k for k, t in enumerate(genuine) if t.startswith("第3轮") or t.startswith("弃奖") and "[1]" in t]
    add("v2 a round cut from the middle, 公布 kept",
        {**files, "record": crlf(genuine[:third[0]] + genuine[third[1]:])},
        "验证失败：公布的位置数为8，记录中列出6个")
    mark = next(k for k, t in enumerate(genuine) if t.startswith("弃奖") and "[3]" in t)
    add("v2 a mark cut, 公布 kept", {**files, "record": crlf(genuine[:mark] + genuine[mark + 1:])},
        "验证失败：公布之前的记录内容与公布的记录SHA-256不符（记录被改动或删减）")
    wrong_c = [t.replace("承诺 ", "承诺 0", 1)[:-1] if t.startswith("可验证摇号") else t for t in genuine]
    add("v2 a wrong commitment", {**files, "record": crlf(resealed(wrong_c))},
        "验证失败：承诺与秘密值、名单、奖项表和条数算出的不符")
    add("v2 the plan's counts changed in the record",
        {**files, "record": crlf(resealed([t.replace("奖项1：3人", "奖项1：4人").replace("奖项3：1人", "奖项3：0人")
                                           for t in genuine]))},
        "验证失败：奖项表文件中的奖项或人数与记录中的“奖项”行不符")
    add("v2 an unknown line", {**files, "record": crlf(resealed(genuine[:-2] + ["备注：无"] + genuine[-2:]))},
        f"验证失败：记录第{len(genuine) - 1}行无法识别：“备注：无”")
    add("v2 a line after 结束", {**files, "record": crlf(genuine + ["第9轮：2026-12-08 09:50:00，1人，奖项1"])},
        f"验证失败：记录在第{len(genuine)}行结束之后还有内容")
    secret_early = [t for t in genuine if not t.startswith("秘密值：")]
    secret_early.insert(secret_early.index("本名单第1次承诺"), f"秘密值：{SECRET.hex()}")
    add("v2 the secret written before the public input", {**files, "record": crlf(resealed(secret_early))},
        "验证失败：秘密值写在公开输入之前：公开输入时已有人可能知道秘密值")
    numbered = [t.replace("本名单第1次承诺", "本名单第2次承诺") for t in genuine]
    add("v2 an ordinal without the commitment before it", {**files, "record": crlf(resealed(numbered))},
        "验证失败：记录为本名单第2次承诺，却列出此前承诺0次")
    earlier = numbered[:numbered.index("本名单第2次承诺")] + [
        f"此前承诺：1，摇号记录_20261208_091500.txt，承诺 {'ab' * 32}，公开输入前作废"] + \
        numbered[numbered.index("本名单第2次承诺"):]
    add("v2 a commitment before it", {**files, "record": crlf(resealed(earlier))},
        "验证通过：全部 8 名中签者与记录一致",
        notes=[f"此前承诺 1：摇号记录_20261208_091500.txt，承诺 {'ab' * 8}…，公开输入前作废"])
    voided = genuine[:genuine.index("初始化：2026-12-08 09:22:18") + 1] + [
        "承诺作废：2026-12-08 09:30:00，公开输入之前结束", "结束：2026-12-08 09:30:00"]
    add("v2 a commitment made void", {**files, "record": crlf(voided)},
        "验证失败：承诺已作废（公开输入之前结束），记录没有公布秘密值，无法验证")
    # A last line without its line end was cut off while being written: it is not read.
    add("v2 the reveal written without its line end", {**files, "record": crlf(genuine[:-1])[:-2]},
        "验证失败：记录没有公布秘密值，无法验证", notes=["记录的最后一行没有换行符，是写入时中断的，未读取"])
    # A run continued in its record after a power cut that left a round half written.
    # Its winners shown are restored and the round drawn again: the same positions, the same lines.
    third = next(k for k, t in enumerate(genuine) if t.startswith("第3轮"))
    cut_run = genuine[:third + 2] + ["[6]:\t第", "继续：2026-12-08 09:35:00，恢复4人"] + genuine[third:]
    add("v2 continued after a cut round", {**files, "record": crlf(resealed(cut_run, count=8))},
        "验证通过：全部 8 名中签者与记录一致")

    # The list's encodings and line ends, the names escaped in the record.
    for label, encoded in [("UTF-16 LE", b"\xff\xfe" + "\r\n".join(names).encode("utf-16-le")),
                           ("UTF-16 BE", b"\xfe\xff" + ("\r\n".join(names) + "\r\n").encode("utf-16-be")),
                           ("GB18030", as_list(names).decode().encode("gb18030"))]:
        add(f"v2 list in {label}", {"list": encoded, "plan": PLAN3_FILE,
                                    "record": crlf(v2(first_prize_first, data=encoded))},
            "验证通过：全部 8 名中签者与记录一致")
    mixed = b"a\rb\r\nc\nd"
    add("v2 list with CR, CR LF and LF", {"list": mixed, "plan": None,
                                          "record": crlf(v2([("round", 0, 3)], names=["a", "b", "c\nd"], data=mixed,
                                                            plan=[]))},
        "验证通过：全部 3 名中签者与记录一致")
    odd = ["反\\斜", "换\n行", "制\t表", "分\u2028段", "平常"]
    odd_data = as_list(odd)
    escaped = v2([("round", 0, 5)], names=odd, data=odd_data, plan=[])
    add("v2 names escaped in the record", {"list": odd_data, "plan": None, "record": crlf(escaped)},
        "验证通过：全部 5 名中签者与记录一致")
    raw = [t.replace("反\\\\斜", "反\\斜") for t in escaped]
    number = next(t for t in raw if t.endswith("\t反\\斜")).split("]")[0][1:]
    add("v2 a name not escaped", {"list": odd_data, "plan": None, "record": crlf(resealed(raw))},
        f"验证失败：第[{number}]名的姓名中有无效的转义或换行字符")

    # The test vectors, read back from records that list them.
    two = "张三\r\n李四\r\n".encode()
    plan1 = "三等奖 2\r\n".encode()
    for n, plan, vector in [
        (2, [], [1, 2]),
        (10, [("三等奖", 10)], [2, 5, 4, 9, 3, 10, 6, 7, 8, 1]),
        (10000, [("三等奖", 20)], [3460, 1562, 1866, 3297, 6694, 1305, 6773, 9224, 2473, 4592,
                                  1262, 8119, 9269, 1520, 9644, 6590, 9529, 5884, 9038, 5727]),
    ]:
        rec = v2([("round", 1 if plan else 0, len(vector))], names=[f"第{k}名" for k in range(1, n + 1)],
                 data=two, plan=plan, plan_file=plan1)
        add(f"v2 test vector N={n}", {"record": crlf(rec), "list": two, "plan": plan1 if plan else None},
            None, expected=vector)

    # Ten thousand winners over a list of ten thousand: every position, the last three the
    # prizes' first replacements.
    many = [f"考生{i:05d}" for i in range(1, 10001)]
    many_plan = [("一等奖", 10), ("二等奖", 90), ("三等奖", 9897)]
    many_plan_file = "".join(f"{name} {count}\r\n" for name, count in many_plan).encode()
    events = [("round", 1, 10), ("round", 2, 90)] + [("round", 3, min(100, 9897 - k)) for k in range(0, 9897, 100)]
    events += [("absent", 1), ("absent", 11), ("absent", 101), ("round", 3, 1), ("round", 1, 1), ("round", 2, 1)]
    many_list = as_list(many)
    add("10000 winners", {"record": crlf(v2(events, names=many, data=many_list, plan=many_plan,
                                            plan_file=many_plan_file)),
                          "list": many_list, "plan": many_plan_file},
        "验证通过：全部 10000 名中签者与记录一致", timed=TIME_LIMIT_MS)
    return table


# A text list's first line and whether it is a header: it needs a TAB, and its first field,
# spaces and U+3000 around it dropped, is a header word with A-Z in any case.
HEADER_RULE = [
    ("姓名\t工号", True),
    (" 姓名\u3000\t工号", True),
    ("NAME\tdept", True),
    ("Employee ID\t姓名", True),
    ("no.\t姓名", True),
    ("staff ID\t姓名", True),
    ("Mobile Phone\t部门", True),
    ("车位号\t位置", True),                # a places list's words serve every list
    ("姓名 工号", False),            # no TAB: a one-field list keeps every line
    ("姓名", False),
    ("张三\t技术部", False),
    ("\t姓名", False),              # the first field is empty
    ("姓 名\t工号", False),
    ("Employee  ID\t姓名", False),
    ("ＩＤ\t姓名", False),           # full-width letters are other characters
]

LIST_CHECK = ["名单检查：2026-12-08 09:22:10，发现4处问题，仍然摇号",
              "重复：整行相同，文件第3、9行",
              "重复：身份证号相同，文件第5、9、11行",
              "证件号有误：文件第7行，身份证号，校验位不符",
              "单元格多于表头：文件第8行，4个单元格，表头3列"]
SHOWN = "显示列：{}，第1列 滚动、大屏、结果、文件；第2列 不显示；第3列 结果、文件，遮盖证件号"


def list_column_cases():
    """Records over lists with columns: a text list's header line and its 表头 line, the
    problems the operator drew the list with anyway, and the shown columns."""
    table = []

    def add(name, inputs, verdict, **expect):
        table.append((name, inputs, verdict, expect))

    def v2(names, data, events=(("round", 0, 2),), **options):
        return record_v2(names, data, [], b"", SECRET, WITNESSES, list(events), **options)

    # Each first line: the record the program writes passes, the one with the other reading fails.
    people = ["张三\t技术部", "李四\t财务部", "王五\t人事部"]
    for first, is_header in HEADER_RULE:
        data = as_list([first] + people)
        genuine = v2(people, data, header=first) if is_header else v2([first] + people, data)
        add(f"header rule: «{first}» genuine", {"list": data, "plan": None, "record": crlf(genuine)},
            "验证通过：全部 2 名中签者与记录一致")
        if is_header:
            other = v2([first] + people, data)
            verdict = f"验证失败：名单第1行“{first.replace(chr(9), ' ')}”是表头，记录中却没有“表头：”行"
        else:
            other = v2(people, data, header=first)
            verdict = "验证失败：记录有“表头：”行，名单第1行却不是表头"
        add(f"header rule: «{first}» read the other way", {"list": data, "plan": None, "record": crlf(other)},
            verdict)

    header = "姓名\t部门\t身份证号"
    staff = [f"{name}\t{dept}\t1101011990010{k:05d}" for k, (name, dept) in enumerate(
        zip(["张三", "李四", "王五", "赵六", "钱七", "孙八", "周吉", "吴𠮷", "郑十", "冯十一"],
            ["技术部", "财务部"] * 5), 1)]
    data = as_list([header] + staff)
    files = {"list": data, "plan": PLAN3_FILE}
    events = [("round", 3, 1), ("round", 1, 3), ("absent", 3), ("round", 2, 2), ("round", 1, 1)]
    genuine = record_v2(staff, data, PLAN3, PLAN3_FILE, SECRET, WITNESSES, events, header=header)
    escaped = "表头：姓名\\u0009部门\\u0009身份证号"
    assert escaped in genuine
    add("v2 a list with a header", {**files, "record": crlf(genuine)}, "验证通过：全部 7 名中签者与记录一致",
        info={"header": header})
    add("v2 its 表头 line removed", {**files, "record": crlf(resealed([t for t in genuine if t != escaped]))},
        "验证失败：名单第1行“姓名 部门 身份证号”是表头，记录中却没有“表头：”行")
    add("v2 its 表头 line changed", {**files, "record": crlf(resealed(
        [t.replace("部门", "工号") if t == escaped else t for t in genuine]))},
        "验证失败：记录中的表头与名单第1行不符")
    add("v2 its 表头 line with a raw TAB", {**files, "record": crlf(resealed(
        ["表头：" + header if t == escaped else t for t in genuine]))},
        "验证失败：记录中“表头：”行有无效的转义或换行字符")
    moved = [t for t in genuine if t != escaped]
    moved.insert(next(k for k, t in enumerate(moved) if t.startswith("可验证摇号")), escaped)
    add("v2 its 表头 line after the plan", {**files, "record": crlf(resealed(moved))},
        f"验证失败：“表头：”行（第{moved.index(escaped) + 1}行）不在“名单：”和“行校验：”行之后")

    def inserted(lines, before, new):
        at = next(k for k, t in enumerate(lines) if t.startswith(before))
        return lines[:at] + new + lines[at:]

    # The problems found in the list and the shown columns: after 初始化, between rounds, after 公布.
    checked = inserted(genuine, "初始化：", LIST_CHECK)
    shown = inserted(checked, "见证人1", [SHOWN.format("2026-12-08 09:22:19")])
    shown = inserted(shown, "第3轮", [SHOWN.format("2026-12-08 09:23:05").replace("不显示", "滚动")])
    last = SHOWN.format("2026-12-08 09:41:00").replace("遮盖证件号", "遮盖姓名")
    shown = inserted(shown, "结束：", [last])
    add("v2 list problems and shown columns", {**files, "record": crlf(resealed(shown))},
        "验证通过：全部 7 名中签者与记录一致",
        notes=["名单检查发现4处问题，仍然摇号（见记录概要）"],
        info={"listCheck": {"line": LIST_CHECK[0][len("名单检查："):], "count": 4, "lines": LIST_CHECK[1:],
                            "unlisted": None},
              "shown": last[len("显示列："):]},
        summary=["姓名 | 部门 | 身份证号", "名单检查", *LIST_CHECK[1:], last[len("显示列："):]])
    many = [LIST_CHECK[0].replace("4处", "25处")] + [f"重复：整行相同，文件第{k}、{k + 30}行" for k in range(2, 22)]
    add("v2 25 list problems, 20 listed", {**files, "record": crlf(resealed(
        inserted(genuine, "初始化：", many + ["另有5处问题未列出"])))}, "验证通过：全部 7 名中签者与记录一致")
    blank_and_cut = [LIST_CHECK[0].replace("4处", "2处"), "空行：文件第8、9行",
                     f"重复：整行相同，文件第{'、'.join(str(k) for k in range(1, 21))}行等，共500行"]
    add("v2 blank rows and rows past 20", {**files, "record": crlf(resealed(
        inserted(genuine, "初始化：", blank_and_cut)))}, "验证通过：全部 7 名中签者与记录一致",
        summary=blank_and_cut[1:])
    add("v2 25 list problems, the rest not told", {**files, "record": crlf(resealed(
        inserted(genuine, "初始化：", many)))}, "验证失败：名单检查记为发现25处问题，记录列出20处")
    add("v2 list problems fewer than said", {**files, "record": crlf(resealed(
        inserted(genuine, "初始化：", LIST_CHECK[:-1])))}, "验证失败：名单检查记为发现4处问题，记录列出3处")
    after_init = inserted(genuine, "见证人1", LIST_CHECK)
    add("v2 list problems after 初始化", {**files, "record": crlf(resealed(after_init))},
        f"验证失败：“名单检查：”行（第{after_init.index(LIST_CHECK[0]) + 1}行）不在“本名单第k次承诺”之后")
    alone = inserted(genuine, "初始化：", LIST_CHECK[1:2])
    add("v2 a list problem without 名单检查", {**files, "record": crlf(resealed(alone))},
        f"验证失败：记录第{alone.index(LIST_CHECK[1]) + 1}行的名单问题不在“名单检查：”行之下")
    early = inserted(genuine, "初始化：", [SHOWN.format("2026-12-08 09:22:17")])
    add("v2 shown columns before 初始化", {**files, "record": crlf(resealed(early))},
        f"验证失败：“显示列：”行（第{early.index(SHOWN.format('2026-12-08 09:22:17')) + 1}行）写在“初始化：”之前")
    add("v2 shown columns added before 公布 afterwards",
        {**files, "record": crlf(inserted(genuine, "公布：", [SHOWN.format("2026-12-08 09:39:00")]))},
        "验证失败：公布之前的记录内容与公布的记录SHA-256不符（记录被改动或删减）")

    # A workbook's header is its cells joined by TABs; the page cannot read a workbook.
    workbook = b"PK\x03\x04" + bytes(range(256)) * 4
    add("v2 a workbook with a header", {"list": workbook, "plan": None,
                                        "record": crlf(v2(staff, workbook, header=header))},
        "验证通过：全部 2 名中签者与记录一致", info={"header": header})

    # Version 1 had no header rule, and takes the new lines in the same places.
    doc = DOC_RECORD.encode()
    v1 = edit(edit(doc, "初始化：", "\r\n".join(LIST_CHECK) + "\r\n初始化："), "见证人1",
              SHOWN.format("2026-12-08 09:22:19") + "\r\n见证人1")
    v1 = edit(v1, "结束：", SHOWN.format("2026-12-08 09:24:01") + "\r\n结束：")
    add("v1 list problems and shown columns", {"record": v1, "list": LIST5, "plan": PLAN},
        "验证通过：全部 3 名中签者与记录一致", notes=["名单检查发现4处问题，仍然摇号（见记录概要）"],
        summary=[*LIST_CHECK[1:], SHOWN.format("2026-12-08 09:24:01")[len("显示列："):]])
    titled = as_list(["姓名\t工号"] + people)
    add("v1 a first line like a header is a candidate",
        {"record": drawn_record(["姓名\t工号"] + people, titled, 4), "list": titled, "plan": None},
        "验证通过：全部 4 名中签者与记录一致")
    return table


# ---- Version 3: procedure plans ------------------------------------------------------------

def column_name(k):
    """Excel's letters of column k, from 0."""
    return column_name(k // 26 - 1) + chr(65 + k % 26) if k >= 26 else chr(65 + k)


def xlsx(rows):
    """A minimal workbook whose first sheet holds `rows`: each a list of cells, a cell being
    text (a shared string), ("inline", text), ("rich", runs, guide) (a shared string of runs
    with a phonetic guide), ("number", "v"[, style]), ("bool", "v"), ("str", text) (a
    formula's text), ("d", text) or None (no cell). Styles: 1 a date (built-in 14), 2 a date
    and time (custom), 3 a time (built-in 20), 4 a number (custom 0.00)."""
    strings, cells_xml = [], []

    def shared(xml):
        strings.append(xml)
        return len(strings) - 1

    for r, row in enumerate(rows, 1):
        cells = []
        for k, cell in enumerate(row):
            ref = f"{column_name(k)}{r}"
            if cell is None:
                continue
            if isinstance(cell, str):
                cells.append(f'<c r="{ref}" t="s"><v>{shared(f"<t>{escape_xml(cell)}</t>")}</v></c>')
            elif cell[0] == "inline":
                cells.append(f'<c r="{ref}" t="inlineStr"><is><t xml:space="preserve">{escape_xml(cell[1])}</t></is></c>')
            elif cell[0] == "rich":
                runs = "".join(f"<r><t>{escape_xml(t)}</t></r>" for t in cell[1])
                index = shared(f'{runs}<rPh sb="0" eb="1"><t>{escape_xml(cell[2])}</t></rPh>')
                cells.append(f'<c r="{ref}" t="s"><v>{index}</v></c>')
            elif cell[0] == "bool":
                cells.append(f'<c r="{ref}" t="b"><v>{cell[1]}</v></c>')
            elif cell[0] in ("str", "d"):
                cells.append(f'<c r="{ref}" t="{cell[0]}"><f>A1</f><v>{escape_xml(cell[1])}</v></c>')
            else:
                style = f' s="{cell[2]}"' if len(cell) > 2 else ""
                cells.append(f'<c r="{ref}"{style}><v>{cell[1]}</v></c>')
        cells_xml.append(f'<row r="{r}">{"".join(cells)}</row>')
    main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
    rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
    parts = {
        "[Content_Types].xml":
            '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
            '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
            '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
            '<Default Extension="xml" ContentType="application/xml"/>'
            '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.'
            'spreadsheetml.sheet.main+xml"/>'
            '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-'
            'officedocument.spreadsheetml.worksheet+xml"/>'
            '<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-'
            'officedocument.spreadsheetml.sharedStrings+xml"/></Types>',
        "_rels/.rels":
            '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
            '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
            f'<Relationship Id="rId1" Type="{rel}/officeDocument" Target="xl/workbook.xml"/></Relationships>',
        "xl/workbook.xml":
            f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?><workbook xmlns="{main}" xmlns:r="{rel}">'
            '<sheets><sheet name="名单" sheetId="1" r:id="rId1"/></sheets></workbook>',
        "xl/_rels/workbook.xml.rels":
            '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
            '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
            f'<Relationship Id="rId1" Type="{rel}/worksheet" Target="worksheets/sheet1.xml"/>'
            f'<Relationship Id="rId2" Type="{rel}/sharedStrings" Target="sharedStrings.xml"/>'
            f'<Relationship Id="rId3" Type="{rel}/styles" Target="/xl/styles.xml"/></Relationships>',
        "xl/styles.xml":
            f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?><styleSheet xmlns="{main}"><numFmts count="2">'
            '<numFmt numFmtId="164" formatCode="yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot; hh:mm"/>'
            '<numFmt numFmtId="165" formatCode="0.00"/></numFmts><cellXfs count="5"><xf numFmtId="0"/>'
            '<xf numFmtId="14"/><xf numFmtId="164"/><xf numFmtId="20"/><xf numFmtId="165"/></cellXfs></styleSheet>',
        "xl/worksheets/sheet1.xml":
            f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?><worksheet xmlns="{main}">'
            f'<sheetData>{"".join(cells_xml)}</sheetData></worksheet>',
        "xl/sharedStrings.xml":
            f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?><sst xmlns="{main}" count="{len(strings)}" '
            f'uniqueCount="{len(strings)}">{"".join(f"<si>{s}</si>" for s in strings)}</sst>',
    }
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, text in parts.items():
            archive.writestr(name, text.encode())
    return out.getvalue()


def escape_xml(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def v3_record(names, list_data, plan_data, events, witnesses=WITNESSES, **options):
    return vv.record_v3(names, list_data, plan_data, SECRET, witnesses, events, **options)


# A cell as the workbook holds it, and the text the program shows for it.
WORKBOOK_CELLS = [
    (("number", "20230001"), "20230001"),
    (("number", "1.5"), "1.5"),
    (("number", "110101199001011234"), "1.10101199001011E+17"),   # an ID keyed as a number
    (("number", "0.00001"), "1E-05"),
    (("number", "3.14159", 4), "3.14159"),                        # a number format shows no date
    (("number", "45000", 1), "2023-03-15"),
    (("number", "45000.75", 2), "2023-03-15 18:00:00"),
    (("number", "0.5", 3), "12:00:00"),
    (("number", "59", 1), "1900-02-28"),
    (("number", "60", 1), "1900-02-29"),                          # the day Excel counts that never was
    (("number", "61", 1), "1900-03-01"),
    (("bool", "1"), "TRUE"),
    (("bool", "0"), "FALSE"),
    (("str", "甲\t乙"), "甲 乙"),                                   # a TAB in a cell is a space
    (("d", "2024-05-06T10:00:00"), "2024-05-06"),
    ("_x0041_BC", "ABC"),
    (("inline", "\u3000前后空格 "), "前后空格"),
    (("rich", ["张", "三"], "zhang"), "张三"),                      # the phonetic guide is no text
]


# Plan texts the program takes: the page must read the same lines and options.
PLAN_FORMS = [
    ("full-width separators, units, ＞", "A组住房，3人\u3000组别=A 批次=1＞2 房源=随机 \r\nA组候补 全部 组别=A 批次=1＞2\r\n"),
    ("two 房源= options, the last counts", "入选 3 房源=随机\t房源=顺序\r\n候补 全部\r\n"),
    ("value lists with 、 and /", "入选 4 组别=A、B 批次=1/2\r\n候补 全部人 组别=A、B 批次=1/2\r\n"),
    ("可重复 lines", "A组 2 组别=A\r\n全体 3 可重复\r\n全体候补 全部 可重复\r\n"),
]

# Plans the program refuses, the record lines it would have written, and why.
PLAN_REFUSED = [
    ("an unknown column", "入选 2 区域=东\r\n", ["奖项1：2人，入选", "奖项1条件：区域=东"],
     "奖项1的条件：名单没有“区域”这一列"),
    ("a value no row has", "入选 2 组别=A/C\r\n", ["奖项1：2人，入选", "奖项1条件：组别=A/C"],
     "奖项1的条件：名单“组别”列中没有“C”"),
    ("two tier options", "入选 2 组别=A>B 批次=1>2\r\n", ["奖项1：2人，入选", "奖项1条件：组别=A>B 批次=1>2"],
     "奖项1：有两个顺位条件"),
    ("a comma after an option is its value's", "入选 2 组别=A，\r\n", ["奖项1：2人，入选", "奖项1条件：组别=A，"],
     "奖项1的条件：名单“组别”列中没有“A，”"),
    ("an empty value", "入选 2 批次=1>>2\r\n", ["奖项1：2人，入选", "奖项1条件：批次=1>>2"],
     "奖项1：条件“批次=1>>2”的列名或值是空的"),
    ("more people than the list", "入选 8 组别=A\r\n候补 5 组别=B\r\n", ["奖项1：8人，入选", "奖项1条件：组别=A",
                                                                    "奖项2：5人，候补", "奖项2条件：组别=B"],
     "奖项表共13人（“可重复”和“全部”行不计），多于名单的12条"),
    ("房源= neither 顺序 nor 随机", "入选 2 房源=抽签\r\n", ["奖项1：2人，入选", "奖项1条件：房源=抽签"],
     "奖项1：“房源=”只能是顺序或随机，不能是“抽签”"),
    ("房源= on a 全部 line", "候补 全部 房源=顺序\r\n", ["奖项1：全部，候补", "奖项1条件：房源=顺序"],
     "奖项1：“全部”行不能有“房源=”"),
    ("a line after its section's 全部", "候补 全部\r\n入选 2\r\n", ["奖项1：全部，候补", "奖项2：2人，入选"],
     "奖项2：同一组的“全部”行（奖项1）须是该组最后一行"),
    ("more places than the list has", "入选 7 房源=顺序\r\n", ["奖项1：7人，入选", "奖项1条件：房源=顺序"],
     "“房源=”各行共需7个房源，房源表只有6个"),
]


def head_only(plan_text, prize_lines):
    """A record of no rounds over the worked procedure's list (and places, when the plan names
    them) with the plan and the record lines given, as the program would have written it."""
    plan = plan_text.encode()
    places = "房源=顺序" in plan_text or "房源=随机" in plan_text
    r = sha(vv.PLACES_LIST) if places else b""
    c = vv.commitment_v3(SECRET, sha(vv.PROCEDURE_LIST), sha(plan), r, len(vv.PROCEDURE_NAMES))
    lines = []
    for text in v3_record(vv.PROCEDURE_NAMES, vv.PROCEDURE_LIST, "入选 2\r\n".encode(), [], header=vv.PROCEDURE_HEADER):
        if text.startswith("奖项表："):
            lines.append(f"奖项表：奖项.txt，共{sum('条件' not in t for t in prize_lines)}项，SHA-256 {sha(plan).hex()}")
            lines += prize_lines
            if places:
                lines += [f"房源表：房源.txt，共6个，SHA-256 {r.hex()}", "房源表头：房号\\u0009户型"]
        elif text.startswith("可验证摇号："):
            lines.append(f"可验证摇号：{vv.V3}，承诺 {c.hex()}")
        elif not text.startswith("奖项1"):
            lines.append(text)
    return crlf(resealed(lines))


def scenario(plan_text, shows):
    """Witnesses under which the worked procedure's list and the plan show a rule at work
    (`shows(procedure)`), searched in order so that every run finds the same ones."""
    plan = vv.read_procedure_plan(plan_text.encode())
    rows = [n.split("\t") for n in vv.PROCEDURE_NAMES]
    titles = vv.column_titles(vv.PROCEDURE_HEADER.split("\t"), 3)
    for k in range(1000, 2000):
        witnesses = ("20261208", str(k))
        key = vv.key_v3(SECRET, sha(vv.PROCEDURE_LIST), sha(plan_text.encode()), b"", "-".join(witnesses),
                        len(rows))
        procedure = vv.Procedure(plan, titles, rows, key)
        if shows(procedure):
            return witnesses, procedure
    raise AssertionError("no public input shows the rule")


def moved_up(lines):
    """The list lines moved up, in record order."""
    after = [lines[k + 1] for k, t in enumerate(lines) if t.startswith("递补：")]
    return [int(re.match(r"\[\d+\]:\t第(\d+)行", t).group(1)) for t in after]


EXAMPLE_V3 = {"record": crlf(vv.procedure_example()), "list": vv.PROCEDURE_LIST, "plan": vv.PROCEDURE_PLAN,
              "places": vv.PLACES_LIST}
PASSED_V3 = "验证通过：全部 {} 条入选、递补与候补与记录一致"


def renumbered(lines):
    """The record's lines with its winners numbered 1, 2, ... in the order written, the marks
    and 递补 lines following them, and its 公布 line made to fit again."""
    order = [int(re.match(r"\[(\d+)\]:", t).group(1)) for t in lines if re.match(r"\[\d+\]:", t)]
    number = {old: new for new, old in enumerate(order, 1)}
    return resealed([re.sub(r"\[(\d+)\]", lambda m: f"[{number.get(int(m.group(1)), int(m.group(1)))}]", t)
                     for t in lines])


def replaced(lines, old, new):
    """The record's lines with one line's text changed, its 公布 line made to fit again."""
    assert sum(old in line for line in lines) == 1, old
    return resealed([line.replace(old, new) for line in lines])


def version3_cases():
    table = []

    def add(name, inputs, verdict, **expect):
        table.append((name, inputs, verdict, expect))

    doc = vv.procedure_example()
    assert crlf(doc).decode() in pathlib.Path(DOC).read_text(encoding="utf-8").replace("\n", "\r\n"), \
        "the document's worked procedure is not the script's"
    add("v3 the document's worked procedure", EXAMPLE_V3, PASSED_V3.format(13),
        summary=["房源.txt，共6个", "房号 | 户型", "候补1", "递补（接替[2]）第2名", "第1行 1-101"])
    add("v3 LF line ends", {**EXAMPLE_V3, "record": crlf(doc).replace(b"\r\n", b"\n")}, PASSED_V3.format(13))
    add("v3 places file not given", {**EXAMPLE_V3, "places": None},
        "验证未完成：记录有房源表，请提供房源表文件（房源.txt）")

    # The same people as a workbook, and the places too: cells as the program reads them.
    people = [n.split("\t") for n in vv.PROCEDURE_NAMES]
    book_rows = [["姓名", "组别", "批次"]]
    for k, (name, group, batch) in enumerate(people):
        cells = [name, group if k % 2 else ("inline", f"  {group}\u3000"), ("number", f"{batch}.0" if k == 5 else batch)]
        if k == 0:
            cells[0] = ("rich", ["张", "三"], "zhang san")   # the guide is no text
        if k == 9:
            cells[0] = "冯_x000A_二"                          # an escaped line break becomes a space
            people[k][0] = "冯 二"
        book_rows.append(cells)
        if k == 3:
            book_rows.append([None, ("inline", "   "), None])  # a row without text is no line
    book = xlsx(book_rows)
    place_cells = [p.split("\t") for p in vv.PLACES]
    places_book = xlsx([["房号", "户型"]] + [[("number", "101"), kind] if k == 0 else [room, kind]
                                            for k, (room, kind) in enumerate(place_cells)])
    place_cells[0][0] = "101"
    events = vv.PROCEDURE_EVENTS + [("absent", 7)]   # 褚四, moved up, declines too: 冯 二 next
    book_record = v3_record([" ".join(c) for c in people], book, vv.PROCEDURE_PLAN, events, rows=people,
                            header="姓名\t组别\t批次", places=[" ".join(c) for c in place_cells],
                            places_data=places_book, places_header="房号\t户型", list_file="bonus.xlsx",
                            places_file="房源.xlsx")
    book_files = {"record": crlf(book_record), "list": book, "plan": vv.PROCEDURE_PLAN, "places": places_book}
    add("v3 a workbook list and places, two declines", book_files, PASSED_V3.format(14),
        summary=["冯 二", "101 两室"])

    # Each input bent in turn: the check names what was changed.
    list_bent = vv.PROCEDURE_LIST.replace("褚四\tA\t1".encode(), "褚四\tA\t2".encode())
    plan_bent = vv.PROCEDURE_PLAN.replace("批次=1>2 房源".encode(), "批次=2>1 房源".encode())
    places_bent = vv.PLACES_LIST.replace("1-102".encode(), "1-103".encode())
    conditions_bent = [t.replace("批次=1>2 房源", "批次=2>1 房源") if t.startswith("奖项1条件") else t for t in doc]
    waiting_bent = replaced(doc, "孙八\\u0009A\\u00092\t候补3", "孙八\\u0009A\\u00092\t候补4")
    moved = next(t for t in doc if t.startswith("[7]:"))
    bad_move = replaced(doc, moved, moved.replace("第12行\t褚四\\u0009A\\u00091", "第10行\t冯二\\u0009A\\u00092"))
    move_up = [t for t in doc if t.startswith(("递补：", "[7]:"))]
    without = [t for t in doc if t not in move_up]
    no_move = renumbered(without)
    fourth = without.index(next(t for t in without if t.startswith("第4轮")))
    moved_late = renumbered(without[:fourth] + move_up + without[fourth:])
    other_decline = replaced(doc, "，[7]，接替[2]", "，[7]，接替[1]")
    at = next(k for k, t in enumerate(other_decline) if t.startswith("递补：")) + 1
    bent = [
        ("a list cell", {"list": list_bent}, "验证失败：名单文件的 SHA-256 与记录不符"),
        ("the plan's tiers", {"plan": plan_bent}, "验证失败：奖项表文件的 SHA-256 与记录不符"),
        ("a place in the places file", {"places": places_bent}, "验证失败：房源表文件的 SHA-256 与记录不符"),
        ("the record's 奖项1条件 line", {"record": crlf(resealed(conditions_bent))},
         "验证失败：奖项表文件中第1项的条件与记录中的“奖项1条件：”行不符"),
        ("a winner line", {"record": crlf(replaced(doc, "[1]:\t第1行\t张三\\u0009A\\u00091",
                                                   "[1]:\t第4行\t赵六\\u0009A\\u00091"))},
         "验证失败：第[1]名（奖项1，第1名）中签者应为第1行，记录为第4行"),
        ("a 候补 number", {"record": crlf(waiting_bent)}, "验证失败：第[10]名应为候补3，记录为候补4"),
        ("a place number", {"record": crlf(replaced(doc, "房源第4行\t2-101", "房源第5行\t2-102"))},
         "验证失败：第[4]名的房源应为第4行，记录为第5行"),
        ("a place's text", {"record": crlf(replaced(doc, "房源第5行\t2-102\\u0009三室", "房源第5行\t2-102\\u0009两室"))},
         "验证失败：第[5]名的房源与房源表第5行不符"),
        ("the person moved up", {"record": crlf(bad_move)},
         "验证失败：第[7]名（奖项1，递补（接替[2]）第2名）中签者应为第12行，记录为第10行"),
        ("the 递补 left out", {"record": crlf(no_move)},
         "验证失败：弃奖：[2]之后应由第12行（候补1）递补，记录中没有“递补”行"),
        ("the 递补 written a round later", {"record": crlf(moved_late)},
         "验证失败：弃奖：[2]之后应由第12行（候补1）递补，记录中没有“递补”行"),
        ("the 递补 naming another decline", {"record": crlf(other_decline)},
         f"验证失败：递补：[7]接替[1]，但[1]不是刚标记弃奖、尚未递补的入选者（记录第{at}行）"),
        ("the secret", {"record": crlf(doc).replace(SECRET.hex().encode(), bytes(reversed(SECRET)).hex().encode())},
         "验证失败：承诺与秘密值、名单、奖项表、房源表和条数算出的不符"),
    ]
    for what, change, verdict in bent:
        add(f"v3 bent: {what}", {**EXAMPLE_V3, **change}, verdict)

    # An ordinary run over a procedure plan records its key, not a commitment: no verifiable record.
    ordinary = [t for t in doc if not t.startswith(("可验证摇号", "本名单", "见证人", "公开输入", "秘密值", "公布"))]
    ordinary.insert(ordinary.index("初始化：2026-12-08 09:22:18") + 1, "抽签密钥：2026-12-08 09:22:50，" + "ab" * 32)
    add("v3 an ordinary procedure run", {**EXAMPLE_V3, "record": crlf(ordinary)},
        "验证失败：记录中没有“可验证摇号：”行，不是可验证摇号的记录")

    # Ten thousand people in two groups of three tiers, 300 places in a random order, everyone
    # listed: the admitted, a few declines and their 递补, both waiting lists.
    header = "姓名\t组别\t批次"
    many = [f"申请人{k:05d}\t{'AB'[k % 2]}\t{1 + k % 3}" for k in range(1, 10001)]
    many_list = as_list([header] + many)
    many_plan = ("一组住房 200 组别=A 批次=1>2>3 房源=随机\r\n一组候补 全部 组别=A 批次=1>2>3\r\n"
                 "二组住房 100 组别=B 批次=1>2>3 房源=随机\r\n二组候补 全部 组别=B 批次=1>2>3\r\n").encode()
    rooms = [f"{1 + k // 30}-{101 + k % 30}\t{1 + k % 30 // 10}层" for k in range(300)]
    rooms_list = as_list(["房号\t楼层"] + rooms)
    events = [("round", 1, 100), ("round", 1, 100), ("round", 3, 100), ("absent", 5), ("absent", 150),
              ("absent", 250)]
    events += [("round", 2, 100)] * 48 + [("round", 4, 100)] * 49
    timed = v3_record(many, many_list, many_plan, events, header=header, places=rooms, places_data=rooms_list,
                      places_header="房号\t楼层")
    add("v3 10000 people, two groups, three tiers, 300 places", {
        "record": crlf(timed), "list": many_list, "plan": many_plan, "places": rooms_list},
        PASSED_V3.format(10003), timed=3000)
    return table


def version3_rule_cases():
    """Tables of the rules the page must read and apply as the program does: a workbook's
    cells, the plan's forms and refusals, and who moves up."""
    table = []

    def add(name, inputs, verdict, **expect):
        table.append((name, inputs, verdict, expect))

    plan = "全体 全部\r\n".encode()
    rows = [[f"第{k}项", text] for k, (_, text) in enumerate(WORKBOOK_CELLS, 1)]
    book = xlsx([["姓名", "值"]] + [[f"第{k}项", cell] for k, (cell, _) in enumerate(WORKBOOK_CELLS, 1)])
    record = v3_record([" ".join(r) for r in rows], book, plan, [("round", 1, len(rows))], rows=rows,
                       header="姓名\t值", list_file="bonus.xlsx")
    add("v3 workbook cells as the program shows them", {"record": crlf(record), "list": book, "plan": plan},
        PASSED_V3.format(len(rows)))

    events = [("round", 1, 2), ("absent", 1)]
    for label, text in PLAN_FORMS:
        procedure = v3_record(vv.PROCEDURE_NAMES, vv.PROCEDURE_LIST, text.encode(), events,
                              header=vv.PROCEDURE_HEADER, places=vv.PLACES, places_data=vv.PLACES_LIST,
                              places_header=vv.PLACES_HEADER)
        add(f"v3 plan form: {label}", {**EXAMPLE_V3, "record": crlf(procedure), "plan": text.encode()},
            PASSED_V3.format(3))
    for label, text, prizes, why in PLAN_REFUSED:
        add(f"v3 plan refused: {label}", {**EXAMPLE_V3, "record": head_only(text, prizes), "plan": text.encode()},
            f"验证失败：程序不会接受这个奖项表：{why}")

    # Who moves up: each record as the reference writes it, under witnesses that make the rule matter.
    def moving(name, plan_text, events, shows, expect):
        witnesses, procedure = scenario(plan_text, shows)
        lines = v3_record(vv.PROCEDURE_NAMES, vv.PROCEDURE_LIST, plan_text.encode(), events, witnesses=witnesses,
                          header=vv.PROCEDURE_HEADER)
        assert moved_up(lines) == expect(procedure), (name, moved_up(lines))
        add(f"v3 递补: {name}", {"record": crlf(lines), "list": vv.PROCEDURE_LIST, "plan": plan_text.encode()},
            PASSED_V3.format(sum(1 for t in lines if re.match(r"\[\d+\]:", t))))
        return lines

    moving("a 候补 marked absent is passed over", "入选 2 组别=A\r\n候补 全部 组别=A\r\n",
           [("round", 1, 2), ("round", 2, 5), ("absent", 3), ("absent", 1)], lambda p: True,
           lambda p: [p.sections[0].waiting[1]])
    moving("one passed over stays passed over, the mark taken back", "入选 2 组别=A\r\n候补 全部 组别=A\r\n",
           [("round", 1, 2), ("round", 2, 5), ("absent", 3), ("absent", 1), ("back", 3), ("absent", 2)],
           lambda p: True, lambda p: p.sections[0].waiting[1:3])
    moving("one admitted on a later 可重复 line holds a place", "住房 2 组别=A\r\n住房候补 全部 组别=A\r\n车位 6 可重复\r\n",
           [("round", 1, 2), ("round", 3, 6), ("absent", 1)],
           lambda p: p.sections[0].waiting[0] in p.admitted[3],
           lambda p: [next(n for n in p.sections[0].waiting if n not in p.admitted[3])])
    moving("in a 可重复 section a place elsewhere does not count", "住房 2 组别=A\r\n车位 3 可重复\r\n车位候补 全部 可重复\r\n",
           [("round", 1, 2), ("round", 2, 3), ("absent", 3)],
           lambda p: p.sections[1].waiting[0] in p.admitted[1], lambda p: [p.sections[1].waiting[0]])
    out = moving("nobody left, and the mark taken back", "入选 3 组别=B\r\n候补 全部 组别=B\r\n",
                 [("round", 1, 3), ("absent", 1), ("absent", 2), ("absent", 3), ("back", 3)], lambda p: True,
                 lambda p: p.sections[0].waiting)
    files = {"list": vv.PROCEDURE_LIST, "plan": "入选 3 组别=B\r\n候补 全部 组别=B\r\n".encode()}
    back = next(k for k, t in enumerate(out) if t.startswith("撤销弃奖"))
    late_back = out[:back + 1] + [out[back].replace("[3]", "[1]")] + out[back + 1:]
    add("v3 递补: a mark taken back after its 递补", {**files, "record": crlf(resealed(late_back))},
        f"验证失败：撤销弃奖：[1]的递补已写入（记录第{back + 2}行）")
    third = next(k for k, t in enumerate(out) if t.startswith("弃奖") and t.endswith("[3]"))
    extra = out[:third + 1] + ["递补：2026-12-08 09:30:00，[6]，接替[3]", "[6]:\t第1行\t张三\\u0009A\\u00091"] + out[third + 1:]
    add("v3 递补: one more than the waiting list holds", {**files, "record": crlf(resealed(extra))},
        f"验证失败：递补：[6]接替[3]，但候补名单中已没有可递补的人（记录第{third + 2}行）")

    # Continued after a power cut: a waiting round cut short and drawn on, a 递补 written after 继续.
    doc = vv.procedure_example()
    ninth = doc.index(next(t for t in doc if t.startswith("[9]:")))
    cut = doc[:ninth + 1] + ["[10]:\t第", "继续：2026-12-08 09:35:00，恢复9人", "第5轮：2026-12-08 09:35:10，2人，奖项2"] \
        + doc[ninth + 1:]
    add("v3 continued: a waiting round cut and drawn on", {**EXAMPLE_V3, "record": crlf(resealed(cut, count=13))},
        PASSED_V3.format(13))
    mark = doc.index(next(t for t in doc if t.startswith("弃奖")))
    lost = doc[:mark + 1] + ["继续：2026-12-08 09:35:00，恢复6人"] + doc[mark + 1:]
    add("v3 continued: the 递补 after 继续", {**EXAMPLE_V3, "record": crlf(resealed(lost))}, PASSED_V3.format(13))
    return table


# Runs every case through kelvaraVerify, then the page's own interface with the example's three
# files dropped on it, and leaves the results in the DOM for --dump-dom.
HARNESS = """
<script>
(async () => {
  const bytes = b64 => b64 == null ? null : Uint8Array.from(atob(b64), c => c.charCodeAt(0));
  const results = {};
  for (const c of CASES) {
    const files = { record: bytes(c.record), list: bytes(c.list), plan: bytes(c.plan), places: bytes(c.places) };
    const started = performance.now();
    try {
      const r = await kelvaraVerify(files);
      const verified = performance.now();
      let shownMs = 0, shownRows = 0;
      if (c.timed) {   // shown too, laid out: what the user waits for
        kelvaraShow(r);
        document.body.offsetHeight;
        shownMs = performance.now() - verified;
        // The rows after the first come a few slices at a time: all of them, in the end.
        const listed = () => document.querySelectorAll('#winner-slices tr').length;
        for (let i = 0; i < 1000 && listed() < r.rows.length; i++) await new Promise(done => setTimeout(done, 0));
        shownRows = listed();
      }
      let summary = '';
      if (c.summary) {   // the record's summary as the page shows it
        kelvaraShow(r);
        summary = document.getElementById('report').textContent;
      }
      results[c.name] = {
        ms: verified - started, shownMs, shownRows, summary,
        passed: r.passed, verdict: r.verdict, notes: r.notes,
        rows: r.rows.length, expected: r.rows.slice(0, 20).map(row => row.expected),
        info: { header: r.info.header ?? null, listCheck: r.info.listCheck ?? null, shown: r.info.shown ?? null },
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
    // Waits for the verdict to change: no timer, which virtual time would run out early.
    const settled = async previous => {
      const verdict = document.getElementById('verdict');
      if (verdict.textContent === previous) {
        await new Promise(resolve => {
          const watch = new MutationObserver(() => {
            if (verdict.textContent !== previous) { watch.disconnect(); resolve(); }
          });
          watch.observe(verdict, { childList: true, characterData: true, subtree: true });
        });
      }
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
    payload = [{"name": name, "timed": bool(expect.get("timed")), "summary": "summary" in expect,
                **{k: b64(v) for k, v in inputs.items()}}
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
    # Each timed case in a page of its own: the virtual time the others use up would stop the clock.
    out = run_page(page, chromium, [case for case in table if not case[3].get("timed")])
    for case in table:
        if case[3].get("timed"):
            out["results"].update(run_page(page, chromium, [case])["results"])
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
        for text in expect.get("summary", []):
            if text not in got.get("summary", ""):
                problems.append(f"summary without «{text}»")
        for key, value in expect.get("info", {}).items():
            if got.get("info", {}).get(key) != value:
                problems.append(f"summary's {key} is {got.get('info', {}).get(key)!r}, not {value!r}")
        shown = got["verdict"] if "expected" not in expect else f"{got.get('expected')[:10]}…"
        if expect.get("timed"):
            total = got["ms"] + got["shownMs"]
            shown += f" in {total:.0f} ms"
            print(f"timing: {name}: {got['rows']} rows verified in {got['ms']:.0f} ms, shown in {got['shownMs']:.0f} ms"
                  f" (limit {expect['timed']} ms for both)")
            if total >= expect["timed"]:
                problems.append(f"took {total:.0f} ms")
            if got["shownRows"] != got["rows"]:
                problems.append(f"{got['shownRows']} of {got['rows']} rows shown")
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
