#include "bridge/UInfoPdo.h"

#include "../gateway/gateway_window_fixture.h"
#include "bridge_test_support.h"
#include "common/file_io.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

namespace {

using gw::FInfopdo;
using gwtest::ReadFile;
using gwtest::WriteFile;

class StoredPdoWindow : public gwtest::GatewayWindowTest {
protected:
    void SetUp() override {
        GatewayWindowTest::SetUp();
        WriteFile(dir / "rpdodef.xml", gwtest::kThreePdos);
        FInfopdo->setResult(0);
        FInfopdo->show(); // runs FormShow
        QApplication::processEvents();
    }
    void TearDown() override { FInfopdo->hide(); }

    void Reshow() {
        prompts.Clear();
        FInfopdo->FormShow();
    }
    // Clicks a radio item ("none", "B1" ... "B8") of a choice group.
    static void Choose(QGroupBox* group, int choice) {
        QTest::mouseClick(group->findChildren<QRadioButton*>()[choice], Qt::LeftButton);
    }
    // Types an entry on side A and presses New SDO.
    static void NewEntry(const QString& index, const QString& subindex, int high = 0, int low = 0) {
        FInfopdo->EIndexA->clear();
        QTest::keyClicks(FInfopdo->EIndexA, index);
        FInfopdo->ESubindexA->clear();
        QTest::keyClicks(FInfopdo->ESubindexA, subindex);
        Choose(FInfopdo->RGHighA, high);
        Choose(FInfopdo->RGLowA, low);
        QTest::mouseClick(FInfopdo->NewSdoA, Qt::LeftButton);
    }
    static QStringList Lines(QListWidget* list) {
        QStringList lines;
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text();
        return lines;
    }
    std::string sdopdo = dir / "sdopdo.xml";
};

TEST_F(StoredPdoWindow, ShowListsEachSidesPdosAndSaysWhichDocumentsAreMissing) {
    EXPECT_EQ(prompts.Messages(),
              (QStringList{"File SDO XML not found", "File SDOPDO XML not found"}));
    EXPECT_EQ(Lines(FInfopdo->LBPdoA), (QStringList{"0x181", "0x182"}));
    EXPECT_EQ(Lines(FInfopdo->LBPdoB), QStringList{"0x201"});
    EXPECT_EQ(FInfopdo->LBPdoA->currentRow(), -1);

    // A receive frame list in sdo.xml is not read as SDO access entries.
    WriteFile(sdo, "<Profibus_to_Receive_CAN><Receive_Frames><row Cob_Id='$181' Dimension='8' "
                   "Mnemonic=''/></Receive_Frames></Profibus_to_Receive_CAN>");
    std::remove((dir / "rpdodef.xml").c_str());
    Reshow();
    EXPECT_EQ(prompts.Messages(), (QStringList{"File SDO XML not found", "File PDO XML not found",
                                               "File SDOPDO XML not found"}));
    EXPECT_EQ(FInfopdo->LBPdoA->count() + FInfopdo->LBPdoB->count(), 0);
}

TEST_F(StoredPdoWindow, EntriesAreSavedByIndexThenSubindexAndShowTheirByteChoicesAgain) {
    FInfopdo->LBPdoA->setCurrentRow(0);
    NewEntry("0x2000", "2");
    NewEntry("0x2000", "1", 2, 1);
    EXPECT_EQ(Lines(FInfopdo->LBSdoA), (QStringList{"Sdo0", "Sdo1"}));
    EXPECT_EQ(FInfopdo->LBSdoA->currentRow(), 1);
    FInfopdo->LBPdoA->setCurrentRow(1);
    EXPECT_EQ(FInfopdo->LBSdoA->count(), 0);
    EXPECT_EQ(FInfopdo->EIndexA->text(), "");
    NewEntry("0x1000", "5");
    FInfopdo->LBPdoB->setCurrentRow(0);
    FInfopdo->EIndexB->setText("1");
    FInfopdo->ESubindexB->setText("1");
    QTest::mouseClick(FInfopdo->NewSdoB, Qt::LeftButton);

    QTest::mouseClick(FInfopdo->bitbtn1, Qt::LeftButton);
    EXPECT_EQ(FInfopdo->result(), QDialog::Accepted);
    EXPECT_EQ(ReadFile(sdopdo), "<sdopdo>"
                                "<row index=\"0x1000\" subindex=\"5\" nrpdo=\"2\" poscomp=\"0\"/>"
                                "<row index=\"0x2000\" subindex=\"1\" nrpdo=\"1\" poscomp=\"33\"/>"
                                "<row index=\"0x2000\" subindex=\"2\" nrpdo=\"1\" poscomp=\"0\"/>"
                                "<row index=\"1\" subindex=\"1\" nrpdo=\"129\" poscomp=\"0\"/>"
                                "</sdopdo>");

    Reshow();
    FInfopdo->LBPdoA->setCurrentRow(0);
    EXPECT_EQ(Lines(FInfopdo->LBSdoA), (QStringList{"Sdo0", "Sdo1"}));
    FInfopdo->LBSdoA->setCurrentRow(0);
    EXPECT_EQ(FInfopdo->ESubindexA->text(), "1");
    EXPECT_EQ(FInfopdo->Choice(FInfopdo->RGHighA), 2);
    EXPECT_EQ(FInfopdo->Choice(FInfopdo->RGLowA), 1);
}

TEST_F(StoredPdoWindow, EntriesThatClashAreRefused) {
    WriteFile(dir / "sdoaccess.xml",
              "<sdo><row conf='0' IndexA='0x3000' SubindexA='1' devIDB='' IndexB='' SubindexB='' "
              "nbyteB=''/></sdo>");
    Reshow();
    EXPECT_EQ(prompts.Messages(), QStringList{"File SDOPDO XML not found"});
    FInfopdo->LBPdoA->setCurrentRow(1);
    NewEntry("24576", "0x01");
    FInfopdo->LBPdoA->setCurrentRow(0);
    prompts.Clear();
    NewEntry("0x6000", "1");
    NewEntry("12288", "$1");
    EXPECT_EQ(prompts.Errors(), (QStringList{"Index or Subindex Not Valid",
                                             "Index or Subindex Not Valid,Sdo Already Exists"}));
    EXPECT_EQ(FInfopdo->LBSdoA->count(), 0);

    // Modify keeping the entry's own index and subindex is accepted.
    prompts.Clear();
    FInfopdo->LBPdoA->setCurrentRow(1);
    FInfopdo->LBSdoA->setCurrentRow(0);
    Choose(FInfopdo->RGLowA, 8);
    QTest::mouseClick(FInfopdo->ModifySdoA, Qt::LeftButton);
    EXPECT_TRUE(prompts.All().empty());
    EXPECT_EQ(FInfopdo->Model()[gw::PdoSide::A].pdos[1].entries[0],
              (gw::TClSdo{"24576", "0x01", "8"}));
    // A text that is not a number ends the action with the conversion error.
    FInfopdo->EIndexA->setText("0x");
    QTest::mouseClick(FInfopdo->ModifySdoA, Qt::LeftButton);
    EXPECT_EQ(prompts.Errors(), QStringList{"'0x' is not a valid integer value"});
    EXPECT_EQ(FInfopdo->Model()[gw::PdoSide::A].pdos[1].entries[0].index, "24576");
}

TEST_F(StoredPdoWindow, CopyPasteAndDelete) {
    FInfopdo->LBPdoB->setCurrentRow(0);
    FInfopdo->EIndexB->setText("9");
    QTest::mouseClick(FInfopdo->PasteSdoB, Qt::LeftButton); // nothing copied yet
    EXPECT_EQ(prompts.Errors(), QStringList{"'' is not a valid integer value"});
    EXPECT_EQ(FInfopdo->EIndexB->text(), "");

    FInfopdo->LBPdoA->setCurrentRow(0);
    NewEntry("1", "1", 3, 4);
    QTest::mouseClick(FInfopdo->CopySdoA, Qt::LeftButton);
    NewEntry("2", "1");
    NewEntry("3", "1");
    QTest::mouseClick(FInfopdo->PasteSdoA, Qt::LeftButton);
    EXPECT_EQ(FInfopdo->EIndexA->text(), "1");
    EXPECT_EQ(FInfopdo->Choice(FInfopdo->RGHighA), 3);
    EXPECT_EQ(FInfopdo->Choice(FInfopdo->RGLowA), 4);

    FInfopdo->LBSdoA->setCurrentRow(0);
    QTest::mouseClick(FInfopdo->DeleteSdoA, Qt::LeftButton);
    EXPECT_EQ(Lines(FInfopdo->LBSdoA), (QStringList{"Sdo1", "Sdo2"}));
    EXPECT_EQ(FInfopdo->EIndexA->text(), "1"); // the fields keep their text
    FInfopdo->LBPdoA->setCurrentRow(1);
    FInfopdo->LBPdoA->setCurrentRow(0);
    EXPECT_EQ(Lines(FInfopdo->LBSdoA), (QStringList{"Sdo0", "Sdo1"}));
    EXPECT_EQ(FInfopdo->Model()[gw::PdoSide::A].pdos[0].entries.front().index, "2");
}

TEST_F(StoredPdoWindow, FailedOkWritesNothingAndKeepsTheEdits) {
    FInfopdo->LBPdoA->setCurrentRow(0);
    NewEntry("x", "1"); // nothing to compare with yet: accepted
    EXPECT_TRUE(prompts.Errors().empty());
    QTest::mouseClick(FInfopdo->bitbtn1, Qt::LeftButton);
    EXPECT_EQ(prompts.Errors(), QStringList{"'x' is not a valid integer value"});
    EXPECT_FALSE(gw::FileExists(sdopdo));
    EXPECT_NE(FInfopdo->result(), QDialog::Accepted);
    EXPECT_EQ(FInfopdo->LBSdoA->count(), 1);

    // The 128th PDO of a side cannot be named by "nrpdo".
    std::string many = "<rpdodef>";
    for (int i = 0; i < 128; ++i)
        many += "<row cobid='" + std::to_string(0x200 + i) + "' en_bypass='0'/>";
    WriteFile(dir / "rpdodef.xml", many + "</rpdodef>");
    Reshow();
    FInfopdo->LBPdoA->setCurrentRow(127);
    NewEntry("1", "1");
    prompts.Clear();
    QTest::mouseClick(FInfopdo->bitbtn1, Qt::LeftButton);
    ASSERT_EQ(prompts.Errors().size(), 1);
    EXPECT_TRUE(prompts.Errors()[0].startsWith("The PDO 639 is PDO 128 of side CanA"));
    EXPECT_FALSE(gw::FileExists(sdopdo));
}

TEST_F(StoredPdoWindow, AnUnreadableDocumentIsReplacedOnlyWhenTheUserAgrees) {
    const std::string bad = "<sdopdo><row index='1' subindex='1' nrpdo='1' poscomp='0'/>"
                            "<row index='2' subindex='1' nrpdo='0' poscomp='0'/></sdopdo>";
    WriteFile(sdopdo, bad);
    Reshow();
    EXPECT_EQ(prompts.Messages(),
              (QStringList{"File SDO XML not found", "Error in reading file SDOPDO XML"}));
    prompts.AnswerQuestion(false);
    QTest::mouseClick(FInfopdo->bitbtn1, Qt::LeftButton);
    EXPECT_EQ(ReadFile(sdopdo), bad);
    EXPECT_NE(FInfopdo->result(), QDialog::Accepted);
}

TEST_F(StoredPdoWindow, Pictures) {
    const QString out = qEnvironmentVariable("GW_SHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP() << "GW_SHOT_DIR not set";
    FInfopdo->PageControl1->setCurrentIndex(0);
    FInfopdo->LBPdoA->setCurrentRow(0);
    NewEntry("0x2000", "1", 2, 1);
    NewEntry("0x2000", "2", 3, 0);
    QApplication::processEvents();
    EXPECT_TRUE(FInfopdo->grab().save(out + "/infopdo_a.png"));
    FInfopdo->PageControl1->setCurrentIndex(1);
    QApplication::processEvents();
    EXPECT_TRUE(FInfopdo->grab().save(out + "/infopdo_b.png"));
    FInfopdo->PageControl1->setCurrentIndex(0);
}

} // namespace
