"""Dumps what an independent reader (xlrd) sees in a workbook, as JSON on stdout.

Cells are listed with their value, their xlrd type and their resolved format, so the C++
tests can check what a spreadsheet user would see without trusting our own reader.
"""
import json
import sys

import xlrd


def describe_format(book, xf_index):
    xf = book.xf_list[xf_index]
    font = book.font_list[xf.font_index]
    border = xf.border
    background = xf.background
    return {
        "numberFormat": book.format_map[xf.format_key].format_str,
        "fontColour": font.colour_index,
        "fontName": font.name,
        "align": xf.alignment.hor_align,
        "left": border.left_line_style,
        "right": border.right_line_style,
        "top": border.top_line_style,
        "bottom": border.bottom_line_style,
        "fillPattern": background.fill_pattern,
        "fillColour": background.pattern_colour_index,
    }


def main(path):
    book = xlrd.open_workbook(path, formatting_info=True)
    sheets = []
    for sheet in book.sheets():
        cells = []
        for r in range(sheet.nrows):
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_EMPTY:
                    continue
                entry = {"row": r, "col": c, "type": cell.ctype, "value": cell.value,
                         "format": describe_format(book, cell.xf_index)}
                if cell.ctype == xlrd.XL_CELL_DATE:
                    entry["tuple"] = list(xlrd.xldate_as_tuple(cell.value, book.datemode))
                cells.append(entry)
        columns = {str(c): {"width": info.width, "format": describe_format(book, info.xf_index)}
                   for c, info in sheet.colinfo_map.items()}
        sheets.append({
            "name": sheet.name,
            "nrows": sheet.nrows,
            "ncols": sheet.ncols,
            "cells": cells,
            "merged": [list(m) for m in sheet.merged_cells],
            "columns": columns,
            "frozen": bool(sheet.panes_are_frozen),
            "horzSplit": sheet.horz_split_pos,
            "vertSplit": sheet.vert_split_pos,
        })
    json.dump({"datemode": book.datemode, "names": len(book.name_obj_list), "sheets": sheets},
              sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main(sys.argv[1])
