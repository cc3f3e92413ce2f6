"""Prints what an independent reader (xlrd) sees in a workbook, as JSON: the sheet's name,
merges, frozen rows, column widths, and every cell with its value and formatting."""
import json
import sys

import xlrd


def main(path):
    book = xlrd.open_workbook(path, formatting_info=True)
    sheet = book.sheet_by_index(0)
    cells = []
    for r in range(sheet.nrows):
        for c in range(sheet.ncols):
            cell = sheet.cell(r, c)
            xf = book.xf_list[cell.xf_index]
            value = cell.value
            if cell.ctype == xlrd.XL_CELL_DATE:
                value = list(xlrd.xldate_as_tuple(cell.value, book.datemode))
            cells.append({
                "row": r, "col": c, "type": cell.ctype, "value": value,
                "format": book.format_map[xf.format_key].format_str,
                "align": xf.alignment.hor_align,
                "left": xf.border.left_line_style, "right": xf.border.right_line_style,
                "top": xf.border.top_line_style, "bottom": xf.border.bottom_line_style,
                "fill": xf.background.pattern_colour_index if xf.background.fill_pattern else 0,
            })
    json.dump({
        "sheets": book.sheet_names(),
        "merges": [list(m) for m in sheet.merged_cells],
        "frozen": bool(sheet.panes_are_frozen), "split": sheet.horz_split_pos,
        "widths": {str(c): info.width for c, info in sheet.colinfo_map.items()},
        "rows": sheet.nrows,
        "cells": cells,
    }, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main(sys.argv[1])
