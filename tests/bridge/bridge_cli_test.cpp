// sw40931-cli import, export and check over the bridge tables.
#include "cli/cli_commands.h"

#include "bridge/pdo_translation.h"
#include "bridge/sdo_access.h"
#include "bridge_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using gwtest::Cli;
using gwtest::CliOutcome;

// Import then save is what the editor's Import followed by OK writes.
TEST(CliImport, WritesTheDocumentAsImportAndOkWould) {
    gwtest::TempDir dir;
    const std::string book = gwtest::DataPath("bridge/sheets-shared.xlsx");
    gwtest::WriteFile(dir / "rpdodef.xml", "<rpdodef><row/></rpdodef>"); // unreadable: replaced
    const CliOutcome o = Cli({"import", dir.Path(), "pdo", book});
    // The sheet stops at its empty code.
    EXPECT_EQ(o.status, gw::cli::kExitInvalid);
    EXPECT_EQ(o.err, "Import of sheet \"rpdodef\" stopped at record 6 (row 7 of the sheet): '' is "
                     "not a valid integer value. Nothing was written to " +
                         (dir / "rpdodef.xml") + ".\n");
    EXPECT_EQ(gwtest::ReadFile(dir / "rpdodef.xml"), "<rpdodef><row/></rpdodef>");

    const CliOutcome sdo =
        Cli({"import", dir.Path(), "sdoaccess", gwtest::DataPath("bridge/other.xls")});
    EXPECT_EQ(sdo.status, gw::cli::kExitOk);
    EXPECT_NE(sdo.err.find("has no sheet \"sdo\""), std::string::npos) << sdo.err;
    EXPECT_EQ(gwtest::ReadFile(dir / "sdoaccess.xml"), "<sdo/>");
}

TEST(CliExport, WritesTheSavedDocumentAsTheEditorsExport) {
    gwtest::TempDir dir;
    gw::SdoAccessTables t;
    t.a.SetCell(1, 1, "1");
    t.a.SetCell(2, 1, "0x2000");
    t.b.SetCell(8, 4, "name");
    gw::SaveSdoAccess(dir / "sdoaccess.xml", t);
    const CliOutcome o = Cli({"export", dir.Path(), "sdoaccess", "-o", dir / "out.csv"});
    EXPECT_EQ(o.status, gw::cli::kExitOk) << o.err;
    EXPECT_EQ(o.out, "Wrote 3002 lines to " + (dir / "out.csv") + "\n");
    const std::vector<std::string> lines = gwtest::SplitCrLf(gwtest::ReadFile(dir / "out.csv"));
    ASSERT_EQ(lines.size(), 3002u);
    EXPECT_EQ(lines[1], "16,0x2000,,,,,,,");
    EXPECT_EQ(lines[1502], "1,,,,,,,name,"); // entries are saved one after another
    EXPECT_EQ(Cli({"export", dir.Path(), "pdo"}).status, gw::cli::kExitOk);
    EXPECT_EQ(gwtest::SplitCrLf(gwtest::ReadFile(dir / "rpdodef.csv")).size(), 22u);
}

TEST(CliCheck, ReportsUnreadableBridgeDocumentsAndWhatOkWouldRefuse) {
    gwtest::TempDir dir;
    gwtest::WriteFile(dir / "rpdodef.xml",
                      "<rpdodef><row cobid=\"zz\" id_dev_orig=\"\" en_bypass=\"2\" posind=\"\" "
                      "n_tpdo=\"\"/></rpdodef>");
    gwtest::WriteFile(dir / "sdoaccess.xml", "<sdo><row conf=\"0\"/></sdo>");
    const CliOutcome o = Cli({"check", dir.Path()});
    EXPECT_EQ(o.status, gw::cli::kExitInvalid);
    EXPECT_NE(o.err.find("sdoaccess.xml: entry 1: the attribute 'IndexA' is missing"),
              std::string::npos)
        << o.err;
    EXPECT_NE(o.err.find("rpdodef.xml: OK would refuse: 'zz' is not a valid integer value"),
              std::string::npos)
        << o.err;
}

TEST(CliBridgeTables, UsageErrors) {
    gwtest::TempDir dir;
    const std::vector<std::string> bad[] = {
        {"import", dir.Path(), "emcyx", "book.xls"},
        {"import", dir.Path(), "pdo"},
        {"export", dir.Path()},
        {"export", dir.Path(), "pdo", "extra"},
    };
    for (const auto& args : bad)
        EXPECT_EQ(Cli(args).status, gw::cli::kExitUsage) << args.back();
    EXPECT_EQ(Cli({"export", dir / "none", "pdo"}).status, gw::cli::kExitInvalid);
}

} // namespace
