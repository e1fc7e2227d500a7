#!/usr/bin/python3
"""Checks the record of a housing procedure the real program drew (procedure_e2e_test.sh):
two groups of families in three tiers, each group's admitted with places from a places list
and everyone else on its waiting list; declines moved the first still-waiting person up.
Usage: procedure_check.py <record> <people.tsv> <places.tsv>
people.tsv: 姓名, 身份证号, 组别, 批次 a line, in list order; places.tsv: 房号, 面积."""

import re
import sys

# The plan's lines: group, how many are admitted (0 for the waiting list).
PLAN = {1: ("A", 180), 2: ("A", 0), 3: ("B", 120), 4: ("B", 0)}
WINNER = re.compile(r"\[(\d+)\]:\t第(\d+)行\t(.*?)(?:\t候补(\d+))?(?:\t房源第(\d+)行\t(.*))?")


def main():
    record_path, people_path, places_path = sys.argv[1:4]
    lines = open(record_path, encoding="utf-8", newline="").read().split("\r\n")
    people = [line.split("\t") for line in open(people_path, encoding="utf-8").read().splitlines()]
    rooms = [line.split("\t")[0] for line in open(places_path, encoding="utf-8").read().splitlines()]
    problems = []

    def check(ok, what):
        if not ok:
            problems.append(what)

    # Every entry once, by number; the marks and 递补 in record order.
    entries, events = {}, []
    prize, moved_up_for = 0, None
    for text in lines:
        if m := re.fullmatch(r"第\d+轮：[^，]*，\d+人，奖项(\d+)", text):
            prize = int(m.group(1))
        elif m := re.fullmatch(r"弃奖：[^，]*，\[(\d+)\]", text):
            events.append(("absent", int(m.group(1))))
        elif m := re.fullmatch(r"递补：[^，]*，\[(\d+)\]，接替\[(\d+)\]", text):
            moved_up_for = (int(m.group(1)), int(m.group(2)))
            events.append(("up",) + moved_up_for)
        elif m := WINNER.fullmatch(text):
            number, line, row, waiting, place_row, place = m.groups()
            number = int(number)
            entry = {"line": int(line), "row": row, "waiting": int(waiting or 0),
                     "place": (int(place_row), place) if place_row else None,
                     "replaces": moved_up_for[1] if moved_up_for and moved_up_for[0] == number else 0}
            entry["prize"] = entries[entry["replaces"]]["prize"] if entry["replaces"] else prize
            if number in entries:  # listed again by a continued run: the same
                check(entries[number] == entry, f"[{number}] differs where it is listed again: {text}")
            entries[number] = entry
            moved_up_for = None
    numbers = sorted(entries)
    check(numbers == list(range(1, len(numbers) + 1)), f"numbers are not 1..{len(numbers)}")

    # Each entry is the list's line it names, of its line's group.
    for number, entry in entries.items():
        name, _, group, _ = people[entry["line"] - 1]
        check(entry["row"].startswith(name), f"[{number}] is not line {entry['line']}, {name}: {entry['row']}")
        check(group == PLAN[entry["prize"]][0], f"[{number}] of group {group} is listed on line {entry['prize']}")

    places = []
    for prize, (group, count) in PLAN.items():
        on_line = [n for n in numbers if entries[n]["prize"] == prize and not entries[n]["replaces"]]
        batches = [int(people[entries[n]["line"] - 1][3]) for n in on_line]
        back = next((k for k in range(1, len(batches)) if batches[k] < batches[k - 1]), None)
        check(back is None, f"line {prize}: [{on_line[back or 0]}] of 批次 {batches[back or 0]} after a higher 批次")
        if count:
            # All of the first tier is admitted before anyone of the second.
            first_tier = sum(1 for p in people if p[2] == group and p[3] == "1")
            check(len(on_line) == count and batches.count(1) == first_tier,
                  f"line {prize}: {len(on_line)} admitted, {batches.count(1)} of {first_tier} of the first tier")
            check(all(entries[n]["place"] and not entries[n]["waiting"] for n in on_line),
                  f"line {prize}: an admitted person without a place, or with a waiting number")
            places += [entries[n]["place"] for n in on_line]
        else:
            group_lines = {k + 1 for k, p in enumerate(people) if p[2] == group}
            admitted = {entries[n]["line"] for n in numbers if entries[n]["prize"] == prize - 1
                        and not entries[n]["replaces"]}
            waiting = [entries[n]["line"] for n in on_line]
            check([entries[n]["waiting"] for n in on_line] == list(range(1, len(on_line) + 1)),
                  f"line {prize}: the waiting numbers are not 1, 2, …")
            check(sorted(waiting) == sorted(group_lines - admitted),
                  f"line {prize}: the waiting list is not everyone of group {group} left")
            check(not on_line or int(people[waiting[0] - 1][3]) >= max(
                int(people[line - 1][3]) for line in admitted), f"line {prize}: waits before a higher tier")
    # 300 places, each row once, and each with its row's room; in a second random order.
    rows = [row for row, _ in places]
    check(sorted(rows) == list(range(1, len(rooms) + 1)), f"the places are not rows 1..{len(rooms)} once each")
    check(rows[:180] != sorted(rows[:180]), "group A's places are in list order, not a random one")
    check(all(place.startswith(rooms[row - 1]) for row, place in places), "a place is not its row's room")

    # Each 递补 takes the first waiting person of the group who has not moved up and is not
    # marked absent, and the place of whom they replace.
    waiting_of = {PLAN[p][0]: [entries[n]["line"] for n in numbers if entries[n]["prize"] == p
                               and entries[n]["waiting"]] for p in (2, 4)}
    out = set()
    for event in events:
        if event[0] == "absent":
            entry = entries[event[1]]
            if entry["waiting"]:
                out.add(entry["line"])
            continue
        _, number, replaced = event
        group = PLAN[entries[replaced]["prize"]][0]
        first = next((line for line in waiting_of[group] if line not in out), None)
        check(entries[number]["line"] == first,
              f"[{number}] moved up for [{replaced}] is line {entries[number]['line']}, not line {first}")
        check(entries[number]["place"] == entries[replaced]["place"], f"[{number}] has not the place of [{replaced}]")
        out.add(entries[number]["line"])
        check(("absent", replaced) in events[:events.index(event)], f"[{replaced}] was not marked before its 递补")

    for problem in problems:
        print(f"FAIL {problem}")
    ups = [f"[{e[1]}]接替[{e[2]}]" for e in events if e[0] == "up"]
    print(f"record: {len(entries)} entries, {len(set(rows))} places, 递补 {' '.join(ups)}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
