#include "bridge/csv_export.h"

#include "common/errors.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(CsvText, EveryFieldEndsWithACommaEveryLineWithCrLf) {
    EXPECT_EQ(gw::CsvText({{"a", "b", "c"}, {"", "", ""}, {}}), "a,b,c,\r\n,,,\r\n\r\n");
}

// Quoting only where a field would otherwise shift the columns of its line.
TEST(CsvText, QuotesFieldsWithCommasQuotesOrLineBreaksOnly) {
    const std::pair<const char*, const char*> cases[] = {
        {"motor, left", "\"motor, left\","},
        {"say \"hi\"", "\"say \"\"hi\"\"\","},
        {"two\nlines", "\"two\nlines\","},
        {"cr\rhere", "\"cr\rhere\","},
        {"0x2000 'quoted' ; semi", "0x2000 'quoted' ; semi,"},
        {" spaced ", " spaced ,"},
    };
    for (const auto& [field, written] : cases)
        EXPECT_EQ(gw::CsvText({{field}}), std::string(written) + "\r\n") << field;
}

TEST(ExportCsv, WritesProjectFolderSlashSheetNameAndReplacesAnEarlierFile) {
    gwtest::TempDir dir;
    EXPECT_EQ(gw::CsvFilePath(dir.Path(), "sdo"), dir.Path() + "/sdo.csv");
    gw::ExportCsv(dir.Path(), "sdo", {{"1", "2"}, {"3", "4"}, {"5", "6"}});
    EXPECT_EQ(gw::ExportCsv(dir.Path(), "sdo", {{"x"}}), dir / "sdo.csv");
    EXPECT_EQ(gwtest::ReadFile(dir / "sdo.csv"), "x,\r\n");
}

TEST(ExportCsv, MissingFolderOrNoProjectIsAnErrorNamingTheFile) {
    gwtest::TempDir dir;
    try {
        gw::ExportCsv(dir / "gone", "rpdodef", {{"x"}});
        ADD_FAILURE() << "exported into a missing folder";
    } catch (const gw::FileError& e) {
        EXPECT_NE(std::string(e.what()).find(dir / "gone/rpdodef.csv"), std::string::npos)
            << e.what();
    }
    EXPECT_THROW(gw::ExportCsv("", "sdo", {{"x"}}), gw::FileError);
}

} // namespace
