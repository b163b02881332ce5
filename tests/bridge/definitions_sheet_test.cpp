// Import and Export of the stored PDO, EMCY and EMCY word editors through
// their windows: the same workbook in each format imports alike.
#include "bridge/UInfoPdo.h"
#include "bridge/UWemcy.h"
#include "bridge/Uemcy.h"

#include "app/UBrinvaleFirmWare.h"

#include "../gateway/gateway_window_fixture.h"
#include "bridge_test_support.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

using namespace gw;
using gwtest::ReadFile;
using gwtest::WriteFile;

const char* const kWorkbooks[] = {"bridge/definitions.xls", "bridge/definitions.xlsx",
                                  "bridge/definitions.ods"};

class DefinitionSheets : public gwtest::GatewayWindowTest {
protected:
    void SetUp() override {
        GatewayWindowTest::SetUp();
        WriteFile(dir / "rpdodef.xml", gwtest::kThreePdos);
    }
    // Shows `window`, imports `workbook` through its Import button and
    // returns the messages shown after the open dialog.
    QStringList Import(QDialog* window, QPushButton* import, const char* workbook) {
        window->show();
        prompts.Clear();
        prompts.AnswerFile(QString::fromStdString(gwtest::DataPath(workbook)));
        QTest::mouseClick(import, Qt::LeftButton);
        window->hide();
        return prompts.Messages();
    }
    static std::string StopMessage(const char* sheet, int record, const char* reason) {
        return std::string("Import of sheet \"") + sheet + "\" stopped at record " +
               std::to_string(record) + " (row " + std::to_string(record + 1) +
               " of the sheet): " + reason + ". The records before it were placed.";
    }
    std::vector<std::string> CsvLines(const char* sheet) const {
        return gwtest::SplitCrLf(ReadFile(dir / (std::string(sheet) + ".csv")));
    }
};

TEST_F(DefinitionSheets, StoredPdoImportAttachesEntriesByNrpdo) {
    for (const char* workbook : kWorkbooks) {
        // Entries stored before are dropped once the sheet is found.
        WriteFile(dir / "sdopdo.xml",
                  "<sdopdo><row index='1' subindex='1' nrpdo='1' poscomp='0'/></sdopdo>");
        const QStringList shown = Import(FInfopdo, FInfopdo->bitbtn4, workbook);
        ASSERT_FALSE(shown.isEmpty()) << workbook;
        EXPECT_EQ(shown.back().toStdString(),
                  StopMessage("sdopdo", 5, "'' is not a valid integer value"))
            << workbook;
        const StoredPdos& m = FInfopdo->Model();
        EXPECT_EQ(m[PdoSide::A].pdos[0].entries, (std::vector<TClSdo>{{"0x2000", "1", "33"}}))
            << workbook;
        EXPECT_EQ(m[PdoSide::A].pdos[1].entries, (std::vector<TClSdo>{{"8192", "02", "0"}}))
            << workbook;
        EXPECT_EQ(m[PdoSide::B].pdos[0].entries, (std::vector<TClSdo>{{"0x3000", "0", "18"}}))
            << workbook;
        EXPECT_EQ(FInfopdo->LBPdoA->count(), 2); // the PDO lists stay
    }
    // A workbook without the sheet leaves the stored entries as they were.
    Import(FInfopdo, FInfopdo->bitbtn4, "bridge/other.xls");
    EXPECT_EQ(FInfopdo->Model()[PdoSide::A].pdos[0].entries.size(), 1u);
}

TEST_F(DefinitionSheets, EmcyImportKeepsEmptyCellsEmpty) {
    for (const char* workbook : kWorkbooks) {
        const QStringList shown = Import(Femcy, Femcy->bitbtn4, workbook);
        ASSERT_FALSE(shown.isEmpty()) << workbook;
        EXPECT_EQ(shown.back().toStdString(),
                  StopMessage("emcydef", 3, "'' is not a valid integer value"))
            << workbook;
        const EmcyLists& lists = Femcy->Lists();
        ASSERT_EQ(lists[EmcyList::CanA].size(), 1u) << workbook;
        EXPECT_EQ(lists[EmcyList::CanA][0].line, "3");
        EXPECT_TRUE(lists[EmcyList::CanA][0].def.enable);
        EXPECT_EQ(lists[EmcyList::CanA][0].def.alias, 2);
        ASSERT_EQ(lists[EmcyList::CanB].size(), 1u) << workbook;
        const TClEmcy& b = lists[EmcyList::CanB][0].def;
        EXPECT_EQ(b.texts[0], "0x10");
        EXPECT_EQ(b.texts[1], "") << workbook;
        EXPECT_EQ(b.texts[2], "0xFF");
        EXPECT_EQ(b.texts[10], "8");
        EXPECT_EQ(b.alias, 3);
        // Each first line is selected and shown.
        EXPECT_EQ(Femcy->LBCanB->currentRow(), 0);
    }
}

TEST_F(DefinitionSheets, EmcyWordImportReadsTheFlagBeforeTheId) {
    for (const char* workbook : kWorkbooks) {
        const QStringList shown = Import(FWemcy, FWemcy->bitbtn4, workbook);
        ASSERT_FALSE(shown.isEmpty()) << workbook;
        EXPECT_EQ(shown.back().toStdString(),
                  StopMessage("emcyword", 4, "'' is not a valid integer value"))
            << workbook;
        const EmcyWords& w = FWemcy->Words();
        ASSERT_EQ(w[WordTab::CanA].size(), 1u) << workbook;
        EXPECT_EQ(w[WordTab::CanA][0].word.devid, "5");
        EXPECT_EQ(w[WordTab::CanA][0].word.bits[0], (ClEbm{"0x01", "", "37"})) << workbook;
        ASSERT_EQ(w[WordTab::CanB].size(), 1u) << workbook;
        EXPECT_EQ(w[WordTab::CanB][0].word.index_addrm, "0x1001");
        EXPECT_EQ(w[WordTab::CanB][0].word.subindex, "02");
        EXPECT_EQ(FWemcy->TWCanB->topLevelItem(0)->text(0), "W0");
        EXPECT_EQ(FWemcy->TWCanB->currentItem(), nullptr);
    }
}

TEST_F(DefinitionSheets, ExportsWriteOneLinePerEntry) {
    WriteFile(dir / "sdopdo.xml",
              "<sdopdo><row index='0x2000' subindex='1' nrpdo='2' poscomp='33'/>"
              "<row index='0x2000' subindex='2' nrpdo='2' poscomp='0'/>"
              "<row index='5' subindex='0' nrpdo='129' poscomp='1'/></sdopdo>");
    FInfopdo->show();
    QTest::mouseClick(FInfopdo->button1, Qt::LeftButton);
    FInfopdo->hide();
    EXPECT_EQ(CsvLines("sdopdo"),
              (std::vector<std::string>{"0x2000,1,2,33,", "0x2000,2,2,0,", "5,0,129,1,"}));

    WriteFile(
        dir / "emcydef.xml",
        "<emcydef><row id_dev='3' bypass_set='5'/><row id_dev='4' bypass_set='39'/></emcydef>");
    Femcy->show();
    QTest::mouseClick(Femcy->button1, Qt::LeftButton);
    Femcy->hide();
    EXPECT_EQ(CsvLines("emcydef"),
              (std::vector<std::string>{"3,0,0,0,0,0,0,0,0,0,0,5,", "4,0,0,0,0,0,0,0,0,0,0,39,"}));

    WriteFile(dir / "emcyword.xml",
              "<emcyword><row index_addrm='1' subindex='2' extdata='1' devid='3'/></emcyword>");
    FWemcy->show();
    QTest::mouseClick(FWemcy->button1, Qt::LeftButton);
    FWemcy->hide();
    const std::vector<std::string> words = CsvLines("emcyword");
    ASSERT_EQ(words.size(), 1u);
    EXPECT_EQ(words[0], "1,2,3,1," + std::string(48, ',')); // the CanB flag in the fourth column
}

// The main window's hidden buttons open the three editors modally.
TEST_F(DefinitionSheets, HiddenMainWindowButtonsOpenTheEditors) {
    TFBrinvaleFirmWare* main = FBrinvaleFirmWare;
    const std::pair<QPushButton*, const char*> cases[] = {
        {main->btn_Emcy, "Femcy"}, {main->btn_Emcy_Wd, "FWemcy"}, {main->btn_Info_Pdo, "FInfopdo"}};
    for (const auto& [button, window] : cases) {
        EXPECT_TRUE(button->isHidden()) << window;
        QPushButton* const press = button; // clang 14 cannot capture a structured binding
        const QString opened =
            gwtest::InNextModal([&] { press->click(); }, [](QWidget* w) { w->close(); });
        EXPECT_EQ(opened, window);
    }
}

} // namespace
