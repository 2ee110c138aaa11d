#!/usr/bin/env python3
"""Reads a workbook with openpyxl and prints what a person would see in it as
JSON: every sheet's name, its non-empty cells (value, whether it is a number,
number format, bold) and the widths set on its columns.

Usage: xlsx_check.py WORKBOOK.xlsx
Exit codes: 0 read, 2 openpyxl missing, 3 the file is not a readable workbook.
"""
import json
import sys


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 1
    try:
        import openpyxl
        from openpyxl.utils import get_column_letter
    except ImportError:
        print("openpyxl is not installed (Debian: python3-openpyxl)", file=sys.stderr)
        return 2
    try:
        wb = openpyxl.load_workbook(sys.argv[1])
    except Exception as e:  # noqa: BLE001 - any failure means the file is broken
        print("not a readable workbook: %s" % e, file=sys.stderr)
        return 3
    out = {"sheets": []}
    for ws in wb.worksheets:
        cells = []
        for row in ws.iter_rows():
            for c in row:
                if c.value is None:
                    continue
                cells.append({
                    "row": c.row,
                    "column": c.column,
                    "value": c.value if isinstance(c.value, (int, float, str)) else str(c.value),
                    "number": c.data_type == "n",
                    "format": c.number_format,
                    "bold": bool(c.font and c.font.b),
                })
        widths = {}
        for key, dim in ws.column_dimensions.items():
            if dim.customWidth and dim.width is not None:
                # A dimension may cover a range of columns.
                lo, hi = dim.min or 0, dim.max or 0
                if lo and hi:
                    for col in range(lo, hi + 1):
                        widths[get_column_letter(col)] = dim.width
                else:
                    widths[key] = dim.width
        out["sheets"].append({"name": ws.title, "cells": cells, "widths": widths})
    json.dump(out, sys.stdout, ensure_ascii=False)
    return 0


if __name__ == "__main__":
    sys.exit(main())
