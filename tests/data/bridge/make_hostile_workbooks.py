#!/usr/bin/python3
"""Writes the hostile workbooks of the import tests into hostile/.

Each .xls is sheets.xls with a few bytes changed so that FreeXL 1.0.6, given
the file as it is, reads outside its buffers, loses memory or allocates
without bound (valgrind and the sanitizers show it); the import must refuse
each before FreeXL sees it. far_cell.xlsx is sheets-shared.xlsx with one cell
at the sheet's last row and column. (orcus_parser_overrun.xlsx was found by
the fuzzer.) The .ods files are sheets.ods damaged as a download or a
careless writer damages a package: its content part missing, cut short or
changed after its checksum was written, the file itself cut short. Run once;
the results are committed.

    make_hostile_workbooks.py
"""
import os
import struct
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
SECTOR = 512
# sheets.xls keeps its workbook stream in sectors 0 to 15, in order, and its
# directory in sector 17 (as xlwt writes it).
STREAM = SECTOR
DIRECTORY = (17 + 1) * SECTOR
# Stream offsets of records of sheets.xls.
SST = 982
SST_LAST_STRING = 1373  # "poscomp", 7 one-byte characters
EOF_AFTER_SST = 1383
SHEET_RECORDS = [1475, 1879, 3127, 4081]  # the DIMENSION record of each sheet
RK_IN_RPDODEF = 3445
ROW_IN_RPDODEF = 3495


def put(data, at, fmt, *values):
    struct.pack_into("<" + fmt, data, at, *values)


def directory_name_overrun(d):
    # The workbook entry's name claims 57376 bytes: FreeXL converts them all
    # from its 4096-byte directory buffer on the stack.
    put(d, DIRECTORY + 128 + 64, "H", 0xE020)


def stream_ends_before_last_sheet(d):
    # A zero record header ends the stream inside the third sheet: the last
    # sheet is never read, and FreeXL allocates the third sheet's cells anew,
    # losing the first allocation (and the cells in it).
    put(d, STREAM + RK_IN_RPDODEF + 14, "HH", 0, 0)


def second_dimension(d):
    # A ROW record turned into a second DIMENSION of the RpdoDef sheet: FreeXL
    # allocates the sheet's cells again and loses the first ones.
    put(d, STREAM + ROW_IN_RPDODEF, "H", 0x0200)


def shared_string_past_continue(d):
    # The last string claims 65535 two-byte characters and the EOF record
    # after the table is a CONTINUE of no bytes: FreeXL copies the rest of the
    # string from that record, 128 KB beyond its buffer.
    put(d, STREAM + SST_LAST_STRING, "HB", 0xFFFF, 0x01)
    put(d, STREAM + EOF_AFTER_SST, "H", 0x003C)


def label_past_record(d):
    # A LABELSST cell turned into a LABEL whose text claims 65535 two-byte
    # characters in a record of 10 bytes.
    at = STREAM + 1689  # the first cell of the Notes sheet
    put(d, at, "H", 0x0204)
    put(d, at + 4 + 6, "HB", 0xFFFF, 0x01)


def sheets_claim_gigabytes(d):
    # Each sheet claims 65535 rows of 200 columns: FreeXL allocates and clears
    # 210 MB per sheet, 840 MB for a file of 10 KB.
    for at in SHEET_RECORDS:
        put(d, STREAM + at + 4 + 4, "I", 65535)
        put(d, STREAM + at + 4 + 10, "H", 200)


CASES = [
    directory_name_overrun,
    stream_ends_before_last_sheet,
    second_dimension,
    shared_string_past_continue,
    label_past_record,
    sheets_claim_gigabytes,
]


def far_cell():
    # One number at XFD1048576: a sheet of 17 billion cells.
    source = zipfile.ZipFile(os.path.join(HERE, "sheets-shared.xlsx"))
    with zipfile.ZipFile(os.path.join(HERE, "hostile", "far_cell.xlsx"), "w",
                         zipfile.ZIP_DEFLATED) as out:
        for entry in source.infolist():
            data = source.read(entry.filename)
            if entry.filename == "xl/worksheets/sheet2.xml":
                data = data.replace(b"</sheetData>", b'<row r="1048576"><c r="XFD1048576">'
                                    b"<v>1</v></c></row></sheetData>")
            out.writestr(entry, data)


def ods_parts():
    with zipfile.ZipFile(os.path.join(HERE, "sheets.ods")) as source:
        return [(entry, source.read(entry.filename)) for entry in source.infolist()]


def write_package(name, parts):
    path = os.path.join(HERE, "hostile", name)
    with zipfile.ZipFile(path, "w") as out:
        for entry, data in parts:
            out.writestr(entry, data)
    return path


def ods_cases():
    parts = ods_parts()
    write_package("ods_without_content.ods",
                  [(e, d) for e, d in parts if e.filename != "content.xml"])
    # content.xml ends inside a start tag of the second sheet.
    cut = [(e, d[:d.index(b"<table:table-cell", d.index(b'table:name="SDO"')) + 12]
            if e.filename == "content.xml" else d) for e, d in parts]
    write_package("ods_content_cut.ods", cut)
    # One byte of content.xml changed after its checksum was written: the
    # package is written uncompressed so that the byte is found in the file.
    stored = []
    for e, d in parts:
        e.compress_type = zipfile.ZIP_STORED
        stored.append((e, d))
    path = write_package("ods_content_changed.ods", stored)
    with open(path, "rb") as f:
        data = bytearray(f.read())
    at = data.index(b"<text:p>mapping of line 3</text:p>")
    data[at + len("<text:p>")] = ord("M")
    with open(path, "wb") as f:
        f.write(data)
    # The file cut in half: its zip directory is gone.
    with open(os.path.join(HERE, "sheets.ods"), "rb") as f:
        whole = f.read()
    with open(os.path.join(HERE, "hostile", "ods_cut_short.ods"), "wb") as f:
        f.write(whole[:len(whole) // 2])


def main():
    with open(os.path.join(HERE, "sheets.xls"), "rb") as f:
        original = f.read()
    os.makedirs(os.path.join(HERE, "hostile"), exist_ok=True)
    for case in CASES:
        data = bytearray(original)
        case(data)
        with open(os.path.join(HERE, "hostile", case.__name__ + ".xls"), "wb") as f:
            f.write(data)
    far_cell()
    ods_cases()


if __name__ == "__main__":
    main()
