#!/usr/bin/python3
"""Writes the test workbooks of the stored PDO, EMCY and EMCY word editors'
Import, one per format, with the writers of make_workbooks.py (which keep
every cell's type as given here).

Run once; the results (definitions.xls, .xlsx, .ods, and exported.xlsx) are
committed.
"""
import os

from make_workbooks import write_ods, write_xls, write_xlsx

EMCY_TITLES = ["id_dev", "mask_eq_ec", "mask_eq_er", "mask_eq_m1", "mask_eq_m2", "mask_eq_m3",
               "enmask_eq_ec", "enmask_eq_er", "enmask_eq_m1", "enmask_eq_m2", "enmask_eq_m3",
               "bypass_set"]
WORD_TITLES = ["index_addrm", "subindex", "extdata", "devid"] + [
    "bit%d%s" % (k, part) for k in range(16) for part in ("_b0", "_b1", "_poscomp")]


def word(index, subindex, flag, devid, bit0):
    row = [index, subindex, flag, devid] + [None] * 48
    row[4:7] = bit0
    return row


SHEETS = [
    ("Notes", [["what"], ["not an editor's sheet"]]),
    # Stored PDO entries: nrpdo 1 and 2 on side A, 129 on side B.
    ("SdoPdo", [
        ["index", "subindex", "nrpdo", "poscomp"],
        ["0x2000", 1, 1, 33],
        [8192, "02", 2, 0],
        ["0x3000", 0, 129, 18],
        # Side A has two PDOs: this record is dropped.
        ["0x4000", 0, 3, 0],
        # An empty nrpdo ends the import here.
        ["0x5000", 0, None, 0],
        ["0x6000", 0, 1, 0],
    ]),
    ("EMCYDEF", [
        EMCY_TITLES,
        [3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5],
        ["0x10", None, "0xFF", 1, 2, 3, 4, 5, 6, 7, 8, 39],
        [7, "01", None, None, None, None, None, None, None, None, None, None],
        [9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0],
    ]),
    ("emcyword", [
        WORD_TITLES,
        word(4096, 1, 0, 5, ["0x01", None, 37]),
        word("0x1001", "02", 1, 6, [None, "0xFF", 1]),
        # Neither tab: dropped.
        word(1, 1, 2, 7, [None, None, None]),
        # An empty flag ends the import here.
        word(2, 2, None, 8, [None, None, None]),
        word(3, 3, 0, 9, [None, None, None]),
    ]),
]


# Sheets made from the editors' exports with a title row added, the cells
# typed as a spreadsheet program types a CSV file's fields; the EMCY word sheet
# in document order (the flag before the ID).
EXPORTED = [
    ("sdopdo", [
        ["index", "subindex", "nrpdo", "poscomp"],
        ["0x2000", 1, 1, 0],
        ["0x2000", 2, 1, 18],
        ["0x1000", 5, 2, 33],
        [7, 0, 129, 1],
    ]),
    ("emcydef", [
        EMCY_TITLES,
        [3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5],
        [12, "0x1000", 0, 0, 0, 0, "0xFFFF", 0, 0, 0, 0, 39],
    ]),
    ("emcyword", [
        WORD_TITLES,
        word(4096, 1, 0, 5, ["0x01", 0, 37]),
        word(8192, 0, 1, 6, [0, "0xFF", 1]),
    ]),
]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    write_xls(os.path.join(here, "definitions.xls"), SHEETS)
    write_xlsx(os.path.join(here, "definitions.xlsx"), SHEETS)
    write_ods(os.path.join(here, "definitions.ods"), SHEETS)
    write_xlsx(os.path.join(here, "exported.xlsx"), EXPORTED)


if __name__ == "__main__":
    main()
