#!/usr/bin/python3
"""Writes the test workbooks of the bridge editors' Import, one per format.

Run once; the results are committed. The two .xlsx files differ as writers
do: sheets.xlsx (openpyxl) keeps strings inside the cells and names its parts
by absolute paths, sheets-shared.xlsx (xlsxwriter) uses a shared string table
and relative paths, as Excel does. Each library writes the
cell types exactly as given here (text stays text, "01" and "0x10" included),
which converters between formats would not: they guess types.

    make_workbooks.py                # sheets.xls, sheets.xlsx, sheets-shared.xlsx,
                                     # sheets.ods, sheets-stored.ods (its parts
                                     # uncompressed, as some writers leave them)
                                     # and other.xls here
    make_workbooks.py --bench DIR    # only the benchmark's workbooks, in DIR:
                                     # sdo3000.xls, sdo3000.xlsx (as Excel writes
                                     # it) and sdo3000-inline.xlsx (as openpyxl)
    make_workbooks.py --big DIR      # the big-input benchmark's workbooks, in DIR:
                                     # 100 000 records as .xlsx (both writers) and
                                     # .ods, 65 535 as .xls (its most rows), and
                                     # 100 000 EMCY definitions as .xlsx
"""
import os
import sys
import zipfile

import odf.opendocument
import odf.table
import odf.text
import openpyxl
import xlsxwriter
import xlwt

# None is an empty cell; str a text cell; int and float number cells.
SHEETS = [
    # A first sheet that is not wanted by any editor.
    ("Notes", [["what", "by"], ["mapping of line 3", "installer"]]),
    # The SDO access sheet, named in upper case.
    ("SDO", [
        ["conf", "Index", "Subindex", "devID", "Index", "Subindex", "nbyte", "mnemonico"],
        [16, "0x2000", 1, 5, "0x6000", 2, 4, "speed"],
        [17, "0x2100", "01", 6, "0x6100", 0, 2.0, "torque"],
        [0, "0x2001", 0, 7, "0x6001", 1, 1, None],
        # The title line of table B, as an export writes it.
        [1, "Index", "Subindex", "devID", "Index", "Subindex", "nbyte", "mnemonico"],
        [1, 8192, 0.5, None, "0x6200", 3, 4, "ramp"],
        # An empty code field ends the import here.
        [None, "0x2002", 0, 8, "0x6002", 0, 1, "never"],
        [16, "0x2003", 0, 9, "0x6003", 0, 1, "after"],
    ]),
    # The PDO translation sheet, named in mixed case.
    ("RpdoDef", [
        ["cobid", "id_dev_orig", "en_bypass", "posind", "n_tpdo"],
        ["0x181", 5, "01", 1, 2],
        [513, "7", "10", None, "x"],
        # The title line of table B, as an export writes it.
        ["cobid", "id_dev_orig", "10", "posind", "n_tpdo"],
        ["0x182", 6, 11, 3, 4],
        ["0x183", 8, "00", 5, 6],
        ["0x184", 9, None, 7, 8],
        ["0x185", 9, "00", 7, 8],
    ]),
    # Only the title row: no records.
    ("sdopdo", [["index", "subindex", "nrpdo", "poscomp"]]),
]


def bench_sheets(records):
    rows = [["conf", "Index", "Subindex", "devID", "Index", "Subindex", "nbyte", "mnemonico"]]
    for i in range(records):
        rows.append([16 * (i % 2) + (i % 2), "0x%04X" % (0x2000 + i // 2), i % 8, 5,
                     "0x%04X" % (0x6000 + i), i % 4, 4, "entry%d" % i])
    return [("sdo", rows)]


def emcy_sheets(records):
    rows = [["id_dev", "mask_eq_ec", "mask_eq_er", "mask_eq_m1", "mask_eq_m2", "mask_eq_m3",
             "enmask_eq_ec", "enmask_eq_er", "enmask_eq_m1", "enmask_eq_m2", "enmask_eq_m3",
             "bypass_set"]]
    for i in range(records):
        rows.append([i, "0x%04X" % (0x1000 + i % 0x1000), i % 256, 0, 0, 0, 65535, 255, 0, 0, 0,
                     (i % 2) * 32 + (i % 9) * 2 + 1])
    return [("emcydef", rows)]


def write_xls(path, sheets):
    book = xlwt.Workbook()
    for name, rows in sheets:
        sheet = book.add_sheet(name)
        for r, row in enumerate(rows):
            for c, value in enumerate(row):
                if value is not None:
                    sheet.write(r, c, value)
    book.save(path)


def write_xlsx(path, sheets):
    book = openpyxl.Workbook()
    book.remove(book.active)
    for name, rows in sheets:
        sheet = book.create_sheet(name)
        for r, row in enumerate(rows):
            for c, value in enumerate(row):
                if value is not None:
                    cell = sheet.cell(row=r + 1, column=c + 1, value=value)
                    if isinstance(value, str):
                        cell.data_type = "s"
    book.save(path)


def write_xlsx_shared(path, sheets):
    book = xlsxwriter.Workbook(path)
    for name, rows in sheets:
        sheet = book.add_worksheet(name)
        for r, row in enumerate(rows):
            for c, value in enumerate(row):
                if isinstance(value, str):
                    sheet.write_string(r, c, value)
                elif value is not None:
                    sheet.write_number(r, c, value)
    book.close()


def write_ods(path, sheets):
    doc = odf.opendocument.OpenDocumentSpreadsheet()
    for name, rows in sheets:
        table = odf.table.Table(name=name)
        for row in rows:
            tr = odf.table.TableRow()
            for value in row:
                if value is None:
                    tr.addElement(odf.table.TableCell())
                elif isinstance(value, str):
                    cell = odf.table.TableCell(valuetype="string")
                    cell.addElement(odf.text.P(text=value))
                    tr.addElement(cell)
                else:
                    cell = odf.table.TableCell(valuetype="float", value=value)
                    cell.addElement(odf.text.P(text=str(value)))
                    tr.addElement(cell)
            table.addElement(tr)
        doc.spreadsheet.addElement(table)
    doc.save(path)


def store(path, stored_path):
    """The package at path again, its parts uncompressed."""
    with zipfile.ZipFile(path) as source, zipfile.ZipFile(stored_path, "w") as out:
        for entry in source.infolist():
            data = source.read(entry.filename)
            entry.compress_type = zipfile.ZIP_STORED
            out.writestr(entry, data)


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--bench":
        out = sys.argv[2]
        write_xls(os.path.join(out, "sdo3000.xls"), bench_sheets(3000))
        write_xlsx_shared(os.path.join(out, "sdo3000.xlsx"), bench_sheets(3000))
        write_xlsx(os.path.join(out, "sdo3000-inline.xlsx"), bench_sheets(3000))
        return
    if len(sys.argv) == 3 and sys.argv[1] == "--big":
        out = sys.argv[2]
        write_xlsx_shared(os.path.join(out, "sdo100000.xlsx"), bench_sheets(100000))
        write_xlsx(os.path.join(out, "sdo100000-inline.xlsx"), bench_sheets(100000))
        write_xls(os.path.join(out, "sdo65535.xls"), bench_sheets(65535))
        write_xlsx_shared(os.path.join(out, "emcydef100000.xlsx"), emcy_sheets(100000))
        write_ods(os.path.join(out, "sdo100000.ods"), bench_sheets(100000))
        # The same of 100 rows: what an import costs whatever the sheet holds.
        write_xlsx_shared(os.path.join(out, "sdo100.xlsx"), bench_sheets(100))
        write_xlsx(os.path.join(out, "sdo100-inline.xlsx"), bench_sheets(100))
        write_xls(os.path.join(out, "sdo100.xls"), bench_sheets(100))
        write_xlsx_shared(os.path.join(out, "emcydef100.xlsx"), emcy_sheets(100))
        write_ods(os.path.join(out, "sdo100.ods"), bench_sheets(100))
        return
    here = os.path.dirname(os.path.abspath(__file__))
    write_xls(os.path.join(here, "sheets.xls"), SHEETS)
    write_xlsx(os.path.join(here, "sheets.xlsx"), SHEETS)
    write_xlsx_shared(os.path.join(here, "sheets-shared.xlsx"), SHEETS)
    write_ods(os.path.join(here, "sheets.ods"), SHEETS)
    store(os.path.join(here, "sheets.ods"), os.path.join(here, "sheets-stored.ods"))
    # A workbook without any editor's sheet.
    write_xls(os.path.join(here, "other.xls"), SHEETS[:1])


if __name__ == "__main__":
    main()
