#include "bridge/sheet_import.h"

#include "bridge/workbook.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using gw::RecordFate;
using gw::SheetCell;
using gw::SheetRecord;

const char* const kWorkbooks[] = {"bridge/sheets.xls", "bridge/sheets.xlsx",
                                  "bridge/sheets-shared.xlsx", "bridge/sheets.ods",
                                  "bridge/sheets-stored.ods"};

class EachWorkbook : public testing::TestWithParam<const char*> {
protected:
    std::string Path() const { return gwtest::DataPath(GetParam()); }
};

INSTANTIATE_TEST_SUITE_P(Formats, EachWorkbook, testing::ValuesIn(kWorkbooks));

// The cells as the made table holds them: text kept as typed, numbers in their
// shortest text, empty cells empty.
TEST_P(EachWorkbook, ReadsTheSheetInAnyLetterCaseWithExactCellTexts) {
    const gw::WorkbookSheet book = gw::ReadWorkbookSheet(Path(), "sdo");
    EXPECT_EQ(book.sheetNames, (std::vector<std::string>{"Notes", "SDO", "RpdoDef", "sdopdo"}));
    ASSERT_TRUE(book.cells);
    const gw::SheetCells& cells = *book.cells;
    EXPECT_EQ(cells.Columns(), 8);
    ASSERT_EQ(cells.Rows(), 8);
    const std::vector<SheetCell> first{"16", "0x2000", "1", "5", "0x6000", "2", "4", "speed"};
    for (int c = 0; c < 8; ++c)
        EXPECT_EQ(cells.At(1, c), first[static_cast<std::size_t>(c)]) << c;
    EXPECT_EQ(cells.At(2, 2), SheetCell("01"));
    EXPECT_EQ(cells.At(2, 6), SheetCell("2")); // 2.0
    EXPECT_EQ(cells.At(3, 7), std::nullopt);
    EXPECT_EQ(cells.At(5, 1), SheetCell("8192"));
    EXPECT_EQ(cells.At(5, 2), SheetCell("0.5"));
    EXPECT_EQ(cells.At(5, 3), std::nullopt);
    EXPECT_EQ(cells.At(6, 0), std::nullopt);

    EXPECT_FALSE(gw::ReadWorkbookSheet(Path(), "emcydef").cells);
    const gw::WorkbookSheet titleOnly = gw::ReadWorkbookSheet(Path(), "sdopdo");
    ASSERT_TRUE(titleOnly.cells);
    EXPECT_EQ(titleOnly.cells->Rows(), 1);
}

// Records handed over in order; a title line skipped; an empty code field
// ends the import at its record with the reason, keeping what came before.
TEST_P(EachWorkbook, ImportStopsAtTheFirstBadRecordKeepingThoseBefore) {
    std::vector<SheetRecord> placed;
    int clears = 0;
    gw::SheetImporter importer;
    importer.sheetName = "sdo";
    importer.fieldCount = 8;
    importer.titles = {{{{1, "Index"}, {2, "Subindex"}, {7, "mnemonico"}}}};
    importer.clear = [&] { ++clears; };
    importer.place = [&](const SheetRecord& r) {
        if (r[0].empty())
            throw gw::ConversionError("'' is not a valid integer value");
        placed.push_back(r);
        return RecordFate::Placed;
    };
    const gw::ImportReport report = gw::ImportSheet(Path(), importer);
    EXPECT_EQ(clears, 1);
    EXPECT_TRUE(report.sheetFound);
    EXPECT_EQ(report.placed, 4);
    EXPECT_EQ(report.titlesSkipped, 1);
    ASSERT_EQ(placed.size(), 4u);
    EXPECT_EQ(placed[2], (SheetRecord{"0", "0x2001", "0", "7", "0x6001", "1", "1", ""}));
    EXPECT_EQ(placed[3][3], "");
    ASSERT_TRUE(report.stop);
    EXPECT_EQ(report.stop->record, 6);
    EXPECT_EQ(report.stop->sheetRow, 7);
    EXPECT_EQ(report.Message(), "Import of sheet \"sdo\" stopped at record 6 (row 7 of the sheet): "
                                "'' is not a valid integer value. The records before it were "
                                "placed.");
}

TEST_P(EachWorkbook, MissingSheetOrTitleRowOnlyLeavesWhatTheClearingStepLeft) {
    for (const char* name : {"emcydef", "sdopdo"}) {
        int clears = 0;
        int records = 0;
        gw::SheetImporter importer;
        importer.sheetName = name;
        importer.fieldCount = 4;
        importer.clear = [&] { ++clears; };
        importer.place = [&](const SheetRecord&) {
            ++records;
            return RecordFate::Placed;
        };
        const gw::ImportReport report = gw::ImportSheet(Path(), importer);
        EXPECT_EQ(clears, 1) << name;
        EXPECT_EQ(records, 0) << name;
        EXPECT_EQ(report.sheetFound, std::string(name) == "sdopdo");
        EXPECT_EQ(report.Message(), "");
    }
}

TEST(ImportSheet, TooFewColumnsStopsAtTheFirstRecordAndFullTablesAreCounted) {
    const std::string path = gwtest::DataPath("bridge/sheets.xls");
    gw::SheetImporter importer;
    importer.sheetName = "rpdodef";
    importer.fieldCount = 6;
    importer.place = [](const SheetRecord&) { return RecordFate::Placed; };
    gw::ImportReport report = gw::ImportSheet(path, importer);
    ASSERT_TRUE(report.stop);
    EXPECT_EQ(report.stop->record, 1);
    EXPECT_EQ(report.stop->reason, "the sheet has 5 columns, 6 are needed");

    int calls = 0;
    importer.fieldCount = 5;
    importer.place = [&](const SheetRecord&) {
        return ++calls <= 2 ? RecordFate::Placed : RecordFate::LeftOut;
    };
    report = gw::ImportSheet(path, importer);
    EXPECT_EQ(report.placed, 2);
    EXPECT_EQ(report.leftOut, 5);
    EXPECT_EQ(report.Message(),
              "5 records of the sheet did not fit in the tables and were left out.");
}

// A file that is no workbook is refused before the clearing step runs.
TEST(ImportSheet, RefusesFilesThatAreNoWorkbookNamingThemAndClearsNothing) {
    gwtest::TempDir dir;
    gwtest::WriteFile(dir / "notes.xls", "conf,Index\r\n16,0x2000\r\n");
    gwtest::WriteFile(dir / "broken.xls",
                      std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\0'));
    gwtest::WriteFile(dir / "broken.xlsx", "PK\x03\x04 not really a zip");
    bool cleared = false;
    gw::SheetImporter importer;
    importer.sheetName = "sdo";
    importer.fieldCount = 8;
    importer.clear = [&] { cleared = true; };
    importer.place = [](const SheetRecord&) { return RecordFate::Placed; };
    for (const char* name : {"notes.xls", "broken.xls", "broken.xlsx", "missing.ods"}) {
        try {
            gw::ImportSheet(dir / name, importer);
            ADD_FAILURE() << name << " was accepted";
        } catch (const gw::WorkbookError& e) {
            EXPECT_NE(std::string(e.what()).find("'" + (dir / name) + "'"), std::string::npos)
                << e.what();
        }
    }
    EXPECT_FALSE(cleared);
}

// A package of a few kilobytes whose parts claim gigabytes: refused before a
// buffer of that size is asked for (the program would otherwise run out of
// memory). Found by fuzzing.
TEST(ImportSheet, RefusesAPackageWhosePartsClaimMoreThanItHolds) {
    gw::SheetImporter importer;
    importer.sheetName = "sdo";
    importer.fieldCount = 8;
    importer.clear = [] {};
    importer.place = [](const SheetRecord&) { return RecordFate::Placed; };
    try {
        gw::ImportSheet(gwtest::DataPath("bridge/claims_gigabytes.xlsx"), importer);
        ADD_FAILURE() << "accepted";
    } catch (const gw::WorkbookError& e) {
        EXPECT_NE(std::string(e.what()).find("its parts claim more data than the file holds"),
                  std::string::npos)
            << e.what();
    }
}

// Each of tests/data/bridge/hostile/, imported: refused with its reason, and
// nothing cleared.
template <std::size_t N>
void ExpectEachRefused(const std::pair<const char*, const char*> (&cases)[N]) {
    bool cleared = false;
    gw::SheetImporter importer;
    importer.sheetName = "sdo";
    importer.fieldCount = 8;
    importer.clear = [&] { cleared = true; };
    importer.place = [](const SheetRecord&) { return RecordFate::Placed; };
    for (const auto& [name, reason] : cases) {
        const std::string path = gwtest::DataPath(std::string("bridge/hostile/") + name);
        try {
            gw::ImportSheet(path, importer);
            ADD_FAILURE() << name << " was accepted";
        } catch (const gw::WorkbookError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "'" + path + "' could not be read as a workbook: " + reason);
        }
    }
    EXPECT_FALSE(cleared);
}

// Workbooks on which FreeXL 1.0.6 or liborcus 0.17, given the file as it is,
// read outside their buffers, lose memory or allocate without bound (see
// tests/data/bridge/make_hostile_workbooks.py): each import ends with the
// reader's message before the library sees the file, and nothing is cleared.
TEST(ImportSheet, RefusesHostileWorkbooksBeforeTheirReaderSeesThem) {
    const std::pair<const char*, const char*> cases[] = {
        {"directory_name_overrun.xls", "the file is damaged"},
        {"stream_ends_before_last_sheet.xls", "the file is damaged"},
        {"second_dimension.xls", "the file is damaged"},
        {"shared_string_past_continue.xls", "the file is damaged"},
        {"label_past_record.xls", "the file is damaged"},
        {"sheets_claim_gigabytes.xls", "its sheets claim more cells than can be read"},
        {"orcus_parser_overrun.xlsx", "its part xl/worksheets/sheet2.xml is not well-formed XML"},
    };
    ExpectEachRefused(cases);
}

// .ods packages damaged as a download or a careless writer damages them (see
// tests/data/bridge/make_hostile_workbooks.py): each import ends with what is
// wrong, and nothing is cleared. (orcus took the changed content as it was
// and a package without content for a workbook without sheets.)
TEST(ImportSheet, RefusesDamagedOdsPackagesSayingWhatIsWrong) {
    const std::pair<const char*, const char*> cases[] = {
        {"ods_without_content.ods", "it has no part content.xml"},
        {"ods_content_cut.ods",
         "its part content.xml is not well-formed XML: the text ends inside a tag (byte 990)"},
        {"ods_content_changed.ods", "its part content.xml is damaged"},
        {"ods_cut_short.ods", "its zip directory is missing: the file is damaged"},
    };
    ExpectEachRefused(cases);
}

// One cell at a sheet's last row and column would make the sheet 17 billion
// cells: the import ends with a message instead of asking for the memory.
TEST(ImportSheet, RefusesASheetTooLargeToHold) {
    gw::SheetImporter importer;
    importer.sheetName = "sdo";
    importer.fieldCount = 8;
    importer.place = [](const SheetRecord&) { return RecordFate::Placed; };
    const std::string path = gwtest::DataPath("bridge/hostile/far_cell.xlsx");
    try {
        gw::ImportSheet(path, importer);
        ADD_FAILURE() << "accepted";
    } catch (const gw::WorkbookError& e) {
        EXPECT_EQ(std::string(e.what()), "'" + path +
                                             "' could not be read as a workbook: the sheet has "
                                             "more than 4194304 cells");
    }
}

TEST(NumberCellText, ShortestTextWholeNumbersWithoutExponent) {
    const std::pair<double, const char*> cases[] = {
        {16.0, "16"},
        {0.5, "0.5"},
        {-3.0, "-3"},
        {1e6, "1000000"},
        {-0.0, "0"},
        {0.1, "0.1"},
        {536870911.0, "536870911"},
        {1e20, "1e+20"},
        {2.25, "2.25"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(gw::NumberCellText(value), text) << value;
}

} // namespace

namespace {

// A cancel while the workbook is read ends the import before anything is
// cleared; one while the records are placed ends it there. Without a cancel
// the progress reaches its end.
TEST_P(EachWorkbook, ACancelEndsTheImportWithoutAMessage) {
    int clears = 0;
    int placed = 0;
    gw::SheetImporter importer;
    importer.sheetName = "sdo";
    importer.fieldCount = 8;
    importer.clear = [&] { ++clears; };
    importer.place = [&](const SheetRecord&) {
        ++placed;
        return RecordFate::Placed;
    };
    std::vector<std::pair<std::uint64_t, std::uint64_t>> reports;
    gw::ProgressHooks hooks;
    hooks.report = [&](std::uint64_t done, std::uint64_t total) {
        reports.emplace_back(done, total);
    };
    hooks.cancelled = [] { return true; };
    EXPECT_THROW(gw::ImportSheet(Path(), importer, &hooks), gw::WorkCancelled);
    EXPECT_FALSE(reports.empty());
    EXPECT_EQ(clears, 0);
    EXPECT_EQ(placed, 0);

    // Cancelled once the records are being placed: their total is the
    // sheet's 7 records (an .xls reports its 8 rows while it is read).
    hooks.cancelled = [&] { return reports.back().second == 7; };
    reports.clear();
    EXPECT_THROW(gw::ImportSheet(Path(), importer, &hooks), gw::WorkCancelled);
    EXPECT_EQ(clears, 1);
    EXPECT_EQ(placed, 0);

    hooks.cancelled = nullptr;
    reports.clear();
    const gw::ImportReport report = gw::ImportSheet(Path(), importer, &hooks);
    EXPECT_GT(report.placed, 0);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().second, 7u) << "the records after the title row";
}

} // namespace
