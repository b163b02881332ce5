// sw40931-cli import, export and check over the stored PDO, EMCY and EMCY
// word tables.
#include "cli/cli_commands.h"
#include "common/file_io.h"

#include "bridge_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using gwtest::ReadFile;
using gwtest::WriteFile;

using gwtest::Cli;
using gwtest::CliOutcome;

class DefinitionTables : public ::testing::Test {
protected:
    void SetUp() override { WriteFile(dir / "rpdodef.xml", gwtest::kThreePdos); }
    std::vector<std::string> Lines(const std::string& file) const {
        return gwtest::SplitCrLf(ReadFile(dir / file));
    }
    gwtest::TempDir dir;
};

// A sheet made from an export, with a title row added, imports back into the
// same entries: exporting the imported document gives the export again.
TEST_F(DefinitionTables, ExportedSheetsImportBackIntoTheSameEntries) {
    const std::string book = gwtest::DataPath("bridge/exported.xlsx");
    for (const char* table : {"infopdo", "emcy", "emcyword"}) {
        const CliOutcome in = Cli({"import", dir.Path(), table, book});
        EXPECT_EQ(in.status, gw::cli::kExitOk) << table << ": " << in.err;
        EXPECT_EQ(Cli({"export", dir.Path(), table}).status, gw::cli::kExitOk) << table;
    }
    EXPECT_EQ(Lines("sdopdo.csv"), (std::vector<std::string>{"0x2000,1,1,0,", "0x2000,2,1,18,",
                                                             "0x1000,5,2,33,", "7,0,129,1,"}));
    // The document is ordered by index across the side's PDOs.
    EXPECT_EQ(ReadFile(dir / "sdopdo.xml").substr(0, 44),
              "<sdopdo><row index=\"0x1000\" subindex=\"5\" nrp");
    EXPECT_EQ(Lines("emcydef.csv"),
              (std::vector<std::string>{"3,0,0,0,0,0,0,0,0,0,0,5,",
                                        "12,0x1000,0,0,0,0,0xFFFF,0,0,0,0,39,"}));
    const std::vector<std::string> words = Lines("emcyword.csv");
    ASSERT_EQ(words.size(), 2u);
    // The export puts the ID before the flag; the sheet has the flag first.
    EXPECT_EQ(words[0], "4096,1,5,0,0x01,0,37," + std::string(45, ','));
    EXPECT_EQ(words[1].substr(0, 8), "8192,0,6");
    EXPECT_NE(ReadFile(dir / "emcyword.xml").find("extdata=\"1\" devid=\"6\""), std::string::npos);
}

TEST_F(DefinitionTables, AnImportThatStopsWritesNothing) {
    const std::string book = gwtest::DataPath("bridge/definitions.xls");
    for (const char* table : {"infopdo", "emcy", "emcyword"}) {
        const CliOutcome o = Cli({"import", dir.Path(), table, book});
        EXPECT_EQ(o.status, gw::cli::kExitInvalid) << table;
        EXPECT_NE(o.err.find("'' is not a valid integer value. Nothing was written"),
                  std::string::npos)
            << o.err;
    }
    for (const char* file : {"sdopdo.xml", "emcydef.xml", "emcyword.xml"})
        EXPECT_FALSE(gw::FileExists(dir / file)) << file;
}

TEST_F(DefinitionTables, CheckReportsWhatTheEditorsWouldRefuse) {
    WriteFile(dir / "sdoaccess.xml",
              "<sdo><row conf='0' IndexA='0x2000' SubindexA='1' devIDB='' IndexB='' "
              "SubindexB='' nbyteB=''/></sdo>");
    WriteFile(dir / "sdopdo.xml",
              "<sdopdo><row index='8192' subindex='1' nrpdo='1' poscomp='0'/>"
              "<row index='1' subindex='1' nrpdo='3' poscomp='0'/>"
              "<row index='5' subindex='1' nrpdo='2' poscomp='0'/>"
              "<row index='0x5' subindex='$1' nrpdo='1' poscomp='0'/></sdopdo>");
    WriteFile(dir / "emcydef.xml", "<emcydef><row id_dev='1' bypass_set='x'/></emcydef>");
    WriteFile(dir / "emcyword.xml",
              "<emcyword><row index_addrm='1' subindex='' extdata='0' devid='1'/></emcyword>");
    const CliOutcome o = Cli({"check", dir.Path()});
    EXPECT_EQ(o.status, gw::cli::kExitInvalid);
    for (const char* expected : {
             "sdopdo.xml: side CanA, PDO 0x181, Sdo0 (index 8192, subindex 1): Index or "
             "Subindex Not Valid,Sdo Already Exists",
             "sdopdo.xml: side CanA, PDO 0x182, Sdo0 (index 5, subindex 1): Index or Subindex "
             "Not Valid\n",
             "sdopdo.xml: entry 2: its PDO is not listed in rpdodef.xml; the editor drops it",
             "emcydef.xml: entry 1: 'x' is not a valid integer value",
             "emcyword.xml: OK would refuse: '' is not a valid integer value",
         })
        EXPECT_NE(o.err.find(expected), std::string::npos) << expected << "\n" << o.err;

    const CliOutcome help = Cli({"export", "--help"});
    EXPECT_NE(help.out.find("emcyword: The export writes"), std::string::npos) << help.out;
}

} // namespace
