"""Prints a results workbook as openpyxl reads it, for the tests to compare.

Lines: "sheet", its name; "frozen", the top-left cell of the scrolling part; "bold", 1 or 0
for each heading cell; "boldrows", the rows whose first cell is bold; "merged", the merged
ranges; "widths", each column's width; then "row" and each cell as its type
and value, with TAB between cells. Text is shown as Excel shows it (its _xHHHH_ escapes
decoded), and control characters and backslashes as \\xHH.
"""
import re
import sys

import openpyxl
from openpyxl.cell.text import Text
from openpyxl.reader import excel
from openpyxl.utils import get_column_letter
from openpyxl.xml.constants import SHEET_MAIN_NS
from openpyxl.xml.functions import iterparse


EXCEL_ESCAPE = re.compile(r"_x([0-9A-Fa-f]{4})_")


def excel_string_table(xml_source):
    """The shared strings as Excel shows them, every _xHHHH_ the character HHHH. openpyxl's
    own table drops each "x005F_" and decodes no other escape."""
    strings = []
    for _, node in iterparse(xml_source):
        if node.tag == f"{{{SHEET_MAIN_NS}}}si":
            text = Text.from_tree(node).content
            strings.append(EXCEL_ESCAPE.sub(lambda m: chr(int(m.group(1), 16)), text))
            node.clear()
    return strings


excel.read_string_table = excel_string_table


def shown(value):
    return "".join(f"\\x{ord(c):02x}" if ord(c) < 0x20 or c == "\\" else c for c in value)


def cell_text(cell):
    if cell.value is None:
        return ""
    if cell.data_type == "d":
        return f"d:{cell.value.isoformat(sep=' ')}@{cell.number_format}"
    if cell.data_type == "s":
        return "s:" + shown(cell.value)
    return f"{cell.data_type}:{cell.value}"


def main(path):
    book = openpyxl.load_workbook(path)
    sheets = book.worksheets
    if len(sheets) != 1:
        print(f"sheets\t{len(sheets)}")
    sheet = sheets[0]
    print(f"sheet\t{sheet.title}")
    print(f"frozen\t{sheet.freeze_panes}")
    print("bold\t" + "".join("1" if c.font.b else "0" for c in sheet[1]))
    print("boldrows\t" + "\t".join(str(r[0].row) for r in sheet.iter_rows() if r[0].font.b))
    print("merged\t" + "\t".join(str(r) for r in sheet.merged_cells.ranges))
    widths = [sheet.column_dimensions[get_column_letter(i)].width
              for i in range(1, sheet.max_column + 1)]
    print("widths\t" + "\t".join(f"{w:g}" for w in widths))
    for row in sheet.iter_rows():
        print("row\t" + "\t".join(cell_text(c) for c in row))


if __name__ == "__main__":
    sys.stdout.reconfigure(encoding="utf-8")
    main(sys.argv[1])
