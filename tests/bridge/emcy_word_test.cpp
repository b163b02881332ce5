#include "bridge/emcy_word.h"

#include "bridge_test_support.h"
#include "common/errors.h"
#include "common/file_io.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using namespace gw;
using gwtest::TempDir;
using gwtest::WriteFile;

TClWEmcy Word(const char* devid, const char* index, const char* subindex) {
    TClWEmcy w;
    w.devid = devid;
    w.index_addrm = index;
    w.subindex = subindex;
    return w;
}

TEST(EmcyWord, PoscompPacksTheTwoEmcyBytes) {
    EXPECT_EQ(PackPoscomp(2, 5), "37");
    EXPECT_EQ(PackPoscomp(4096, 1), "1");
    EXPECT_EQ(PackPoscomp(-1, 0), "65520");
    const EmcyBytes b = UnpackPoscomp("37");
    EXPECT_EQ(b.high, 2);
    EXPECT_EQ(b.low, 5);
    EXPECT_EQ(UnpackPoscomp("65537").high, 0);
    EXPECT_THROW(UnpackPoscomp(""), ConversionError);
}

TEST(EmcyWord, SaveOrdersByDevidIndexSubindexAndReloadsNamedInOrder) {
    EmcyWords words;
    AppendWord(words, WordTab::CanA, Word("3", "8192", "2"));
    AppendWord(words, WordTab::CanA, Word("3", "4096", "9"));
    AppendWord(words, WordTab::CanA, Word("1", "9000", "0"));
    words[WordTab::CanA][0].word.bits[15] = {"0xFF", "", "37"};
    AppendWord(words, WordTab::CanB, Word("0x3", "1", "1"));
    AppendWord(words, WordTab::CanB, Word("3", "1", "1")); // equal keys: later first

    TempDir dir;
    SaveEmcyWords(dir / "emcyword.xml", words);
    const std::string text = gwtest::ReadFile(dir / "emcyword.xml");
    EXPECT_EQ(text.rfind("<emcyword><row index_addrm=\"9000\" subindex=\"0\" extdata=\"0\" "
                         "devid=\"1\" bit0_b0=\"\" bit0_b1=\"\" bit0_poscomp=\"\" bit1_b0=\"\"",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find("bit15_b0=\"0xFF\" bit15_b1=\"\" bit15_poscomp=\"37\"/>"),
              std::string::npos);

    EmcyWords back;
    ASSERT_FALSE(LoadEmcyWords(dir / "emcyword.xml", back).error);
    const std::vector<WordItem>& a = back[WordTab::CanA];
    ASSERT_EQ(a.size(), 3u);
    EXPECT_EQ(a[0], (WordItem{0, Word("1", "9000", "0")}));
    EXPECT_EQ(a[1], (WordItem{1, Word("3", "4096", "9")}));
    EXPECT_EQ(a[2].number, 2);
    EXPECT_EQ(a[2].word, words[WordTab::CanA][0].word);
    ASSERT_EQ(back[WordTab::CanB].size(), 2u);
    EXPECT_EQ(back[WordTab::CanB][0].word.devid, "3");
}

TEST(EmcyWord, LoadSkipsUnknownTabsAndStopsAtAFault) {
    TempDir dir;
    WriteFile(dir / "emcyword.xml", "<w><row extdata='2' devid='8'/><row extdata='1' devid='5'/>"
                                    "<row devid='6'/><row extdata='0' devid='7'/></w>");
    EmcyWords words;
    const BridgeLoad load = LoadEmcyWords(dir / "emcyword.xml", words);
    EXPECT_TRUE(load.error);
    EXPECT_NE(load.error.value_or("").find("entry 3: the attribute 'extdata' is missing"),
              std::string::npos);
    EXPECT_TRUE(words[WordTab::CanA].empty());
    ASSERT_EQ(words[WordTab::CanB].size(), 1u);
    EXPECT_EQ(words[WordTab::CanB][0].word.devid, "5");
    EXPECT_EQ(words[WordTab::CanB][0].word.index_addrm, ""); // missing attributes are empty
}

TEST(EmcyWord, SaveWithAKeyThatIsNoIntegerWritesNothing) {
    TempDir dir;
    EmcyWords words;
    AppendWord(words, WordTab::CanB, Word("1", "2", "sub"));
    EXPECT_THROW(SaveEmcyWords(dir / "emcyword.xml", words), ConversionError);
    EXPECT_FALSE(FileExists(dir / "emcyword.xml"));

    words[WordTab::CanB][0].word.subindex = "3";
    words[WordTab::CanB][0].word.bits[4].b1 = "\x1b[0m";
    try {
        SaveEmcyWords(dir / "emcyword.xml", words);
        ADD_FAILURE() << "a control character was written";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "CanB, W0, bit4_b1: character 1 (U+001B) cannot be stored in an "
                               "XML document.");
    }
    EXPECT_FALSE(FileExists(dir / "emcyword.xml"));
}

TEST(EmcyWord, WordCheckAndNumbering) {
    EmcyWords words;
    for (const char* d : {"1", "2", "3"})
        AppendWord(words, WordTab::CanA, Word(d, "10", "0"));
    const std::vector<WordItem>& tab = words[WordTab::CanA];
    EXPECT_FALSE(EmcyWordAccepted("10", "0", "2", tab, -1));
    EXPECT_TRUE(EmcyWordAccepted("10", "0", "2", tab, 1));   // Modify keeping its texts
    EXPECT_TRUE(EmcyWordAccepted("0xA", "0", "2", tab, -1)); // texts, not numbers
    EXPECT_FALSE(EmcyWordAccepted("10", "", "4", tab, -1));
    EXPECT_TRUE(EmcyWordAccepted("10", "0", "2", words[WordTab::CanB], -1));

    words[WordTab::CanA].erase(words[WordTab::CanA].begin() + 1);
    EXPECT_EQ(NextWordNumber(words[WordTab::CanA]), 3);
    EXPECT_EQ(NextWordNumber(words[WordTab::CanB]), 0);
}

TEST(EmcyWord, CsvPutsTheIdBeforeTheFlagAndTheSheetTheFlagFirst) {
    EmcyWords words;
    AppendWord(words, WordTab::CanB, Word("7", "0x1001", "0"));
    words[WordTab::CanB][0].word.bits[0] = {"1", "2", "3"};
    const std::vector<CsvLine> lines = EmcyWordCsvLines(words);
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].size(), 52u);
    EXPECT_EQ((std::vector<std::string>(lines[0].begin(), lines[0].begin() + 7)),
              (std::vector<std::string>{"0x1001", "0", "7", "1", "1", "2", "3"}));

    // A sheet record carries the flag before the ID, as the document does.
    CsvLine record(52);
    record[0] = "0x1001";
    record[1] = "0";
    record[2] = "1";
    record[3] = "7";
    record[4] = "1";
    record[5] = "2";
    record[6] = "3";
    CsvLine otherTab = record;
    otherTab[2] = "2";
    CsvLine noFlag = record;
    noFlag[2] = "";
    EmcyWords back;
    const ImportReport report = ImportRecords(
        gwtest::SheetOfLines({CsvLine(52, "title"), record, otherTab, noFlag, record}),
        EmcyWordImporter(back));
    EXPECT_EQ(back[WordTab::CanB], words[WordTab::CanB]);
    EXPECT_TRUE(back[WordTab::CanA].empty());
    EXPECT_EQ(report.dropped, 1);
    ASSERT_TRUE(report.stop);
    EXPECT_EQ(report.stop->record, 3);
}

} // namespace
