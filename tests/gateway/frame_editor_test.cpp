#include "app/UBrinvaleFirmWare.h"
#include "gateway/USetPdo.h"
#include "gateway/USetVar.h"
#include "gateway/USwap.h"

#include "common/file_io.h"
#include "gateway_window_fixture.h"
#include "ui/frame_table.h"
#include "ui/guard.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <filesystem>

namespace {

using gw::FSetPdo;
using gw::FSetVar;
using gw::FSwap;
using gwtest::InNextModal;
using gwtest::ReadFile;
using gwtest::WriteFile;

QString Cell(QTableWidget* t, int column, int row) {
    return gw::FrameCellText(t, column, row);
}
void Type(QTableWidget* t, int row, std::initializer_list<const char*> cells) {
    int c = 1;
    for (const char* text : cells)
        gw::SetFrameCellText(t, c++, row, text);
}

class FrameEditors : public gwtest::GatewayWindowTest {
protected:
    void SetUp() override {
        GatewayWindowTest::SetUp();
        FSetVar->setResult(0);
        FSetPdo->setResult(0);
    }
    void ShowReceive() {
        gw::Guarded(FSetVar, [] { FSetVar->FormShow(); });
    }
    void ShowSend() {
        gw::Guarded(FSetPdo, [] { FSetPdo->FormShow(); });
    }
    void OkReceive() {
        gw::Guarded(FSetVar, [] { FSetVar->bitbtn1Click(); });
    }
    void OkSend() {
        gw::Guarded(FSetPdo, [] { FSetPdo->LbButton4Click(); });
    }
};

TEST_F(FrameEditors, GridsHaveTheirTitlesWidthsAndColours) {
    struct Expected {
        QTableWidget* grid;
        QStringList titles;
        std::vector<int> widths;
        std::vector<QColor> colours;
        int rowHeight;
    };
    const Expected windows[] = {
        {FSetVar->sga,
         {"N\u00B0", "Cob-ID", "Dimension", "Swap", "Delete", "Mnemonic"},
         {64, 127, 77, 74, 45, 240},
         {gw::kFixedCellColour, QColor(0xE0, 0xFA, 0xFE), QColor(0xE0, 0xFA, 0xFE),
          QColor(0xCA, 0xFF, 0xCA), QColor(0xFF, 0xC4, 0xE1), QColor(0xFF, 0xFF, 0xA8)},
         21},
        {FSetPdo->sga,
         {"N\u00B0", "Cob-ID", "Dimension", "Swap", "Mnemonic"},
         {64, 121, 84, 91, 256},
         {gw::kFixedCellColour, QColor(0xE0, 0xFA, 0xFE), QColor(0xE0, 0xFA, 0xFE),
          QColor(0xCA, 0xFF, 0xCA), QColor(0xFF, 0xFF, 0xA8)},
         20},
    };
    for (const Expected& w : windows) {
        ASSERT_EQ(w.grid->columnCount(), w.titles.size());
        EXPECT_EQ(w.grid->rowCount(), 30);
        for (int c = 0; c < w.grid->columnCount(); ++c) {
            EXPECT_EQ(w.grid->horizontalHeaderItem(c)->text(), w.titles[c]);
            EXPECT_EQ(w.grid->columnWidth(c), w.widths[static_cast<std::size_t>(c)]);
            EXPECT_EQ(w.grid->item(5, c)->background().color(),
                      w.colours[static_cast<std::size_t>(c)]);
        }
        EXPECT_EQ(w.grid->verticalHeader()->defaultSectionSize(), w.rowHeight);
        EXPECT_FALSE(w.grid->item(0, 0)->flags() & Qt::ItemIsEditable);
        EXPECT_TRUE(w.grid->item(0, 1)->flags() & Qt::ItemIsEditable);
    }
    EXPECT_EQ(FSetVar->size(), QSize(780, 538));
    EXPECT_EQ(FSetPdo->size(), QSize(728, 513));
}

TEST_F(FrameEditors, NewProjectOpensNumberedAndOkWritesAnEmptyList) {
    Type(FSetVar->sga, 3, {"stale", "1"});
    ShowReceive();
    ShowSend();
    for (QTableWidget* g : {FSetVar->sga, FSetPdo->sga})
        for (int r = 1; r <= 30; ++r) {
            EXPECT_EQ(Cell(g, 0, r), QString::number(r));
            for (int c = 1; c < g->columnCount(); ++c)
                EXPECT_EQ(Cell(g, c, r), "");
        }
    OkReceive();
    OkSend();
    EXPECT_EQ(ReadFile(sdo),
              "<Profibus_to_Receive_CAN><Receive_Frames/></Profibus_to_Receive_CAN>");
    EXPECT_EQ(ReadFile(pdo), "<Profibus_to_Send_CAN><Send_Frames/></Profibus_to_Send_CAN>");
    EXPECT_EQ(FSetVar->result(), QDialog::Accepted);
    EXPECT_EQ(FSetPdo->result(), QDialog::Accepted);
}

TEST_F(FrameEditors, DeleteBoxStandsForYAndNAndIsSavedWithTheRows) {
    FSetVar->show();
    ShowReceive();
    QTableWidget* g = FSetVar->sga;
    Type(g, 1, {"385", "8"});
    Type(g, 2, {"$182", "2", "0xE0"});
    gw::SetFrameCellText(g, 5, 2, "pump & valve");
    const QPoint box = g->visualRect(g->model()->index(1, 4)).center();
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, box);
    EXPECT_EQ(Cell(g, 4, 2), "Y");
    OkReceive();
    EXPECT_EQ(ReadFile(sdo), "<Profibus_to_Receive_CAN><Receive_Frames>"
                             "<row Cob_Id=\"385\" Dimension=\"8\" Swap=\"\" Delete=\"\" "
                             "Mnemonic=\"\"/>"
                             "<row Cob_Id=\"$182\" Dimension=\"2\" Swap=\"0xE0\" Delete=\"Y\" "
                             "Mnemonic=\"pump &amp; valve\"/>"
                             "</Receive_Frames></Profibus_to_Receive_CAN>");
    ShowReceive();
    EXPECT_EQ(Cell(g, 1, 1), "$181");
    EXPECT_EQ(Cell(g, 4, 1), "");
    EXPECT_EQ(Cell(g, 4, 2), "Y");
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, box);
    EXPECT_EQ(Cell(g, 4, 2), "N");
    FSetVar->hide();
}

TEST_F(FrameEditors, ValidationFollowsCanTypeAndShowsOnlyTheFirstError) {
    WriteFile(pdo, "<keep/>");
    WriteFile(pargen, "<Par_Gen><Can_Type>0</Can_Type></Par_Gen>");
    ShowSend();
    QTableWidget* g = FSetPdo->sga;
    Type(g, 1, {"$1FFFFFFF", "8"});
    Type(g, 2, {"0", "1"});
    Type(g, 3, {"$20000000", "9"});
    OkSend();
    EXPECT_EQ(prompts.Errors(),
              QStringList{"Error row 3!! CANOpen Cob-Id must be between 0x000 and 0x1FFFFFFF. "});
    EXPECT_EQ(ReadFile(pdo), "<keep/>");
    EXPECT_NE(FSetPdo->result(), QDialog::Accepted);

    // The width is read again on every show.
    prompts.Clear();
    WriteFile(pargen, "<Par_Gen><Can_Type>1</Can_Type></Par_Gen>");
    ShowSend();
    Type(g, 1, {"$7FF", "8"});
    Type(g, 2, {"$800", "8"});
    OkSend();
    EXPECT_EQ(prompts.Errors(),
              QStringList{"Error row 2!! CANOpen Cob-Id must be between 0x000 and 0x7FF. "});
    prompts.Clear();
    Type(g, 2, {"12", ""});
    Type(g, 7, {"99", ""}); // after the first empty Cob-ID: ignored
    OkSend();
    EXPECT_EQ(prompts.Errors(),
              QStringList{"Error row 2!! CANOpen Dimension must be between 1 and 8. "});
}

TEST_F(FrameEditors, LoadFailuresShowTheTextAndWhatWasRead) {
    WriteFile(sdo, "<Profibus_to_Receive_CAN><Receive_Frames>"
                   "<row Cob_Id=\"$07f\" Dimension=\"8\" Mnemonic=\"a\"/>"
                   "<row Dimension=\"8\" Mnemonic=\"b\"/>"
                   "</Receive_Frames></Profibus_to_Receive_CAN>");
    ShowReceive();
    EXPECT_EQ(prompts.Errors(), QStringList{"Could not convert attribute 'Cob_Id' of row 2 to "
                                            "text: the attribute is missing"});
    EXPECT_EQ(Cell(FSetVar->sga, 1, 1), "$07F");
    EXPECT_EQ(Cell(FSetVar->sga, 3, 1), "0x00");
    EXPECT_EQ(Cell(FSetVar->sga, 4, 1), "N");
    EXPECT_EQ(Cell(FSetVar->sga, 5, 2), "");

    prompts.Clear();
    WriteFile(sdo, "<Profibus_to_Receive_CAN><Receive_Frames>");
    ShowReceive();
    ASSERT_EQ(prompts.Errors().size(), 1);
    EXPECT_EQ(Cell(FSetVar->sga, 1, 1), "");
    EXPECT_EQ(Cell(FSetVar->sga, 0, 1), "1");

    // pargen.xml not well-formed: its error is shown, and the table shows the
    // document, not the rows of the earlier showing, validated as 11-bit.
    prompts.Clear();
    WriteFile(sdo, "<Profibus_to_Receive_CAN><Receive_Frames><row Cob_Id=\"$1FF\" "
                   "Dimension=\"2\" Swap=\"0x00\" Delete=\"N\" Mnemonic=\"m\"/>"
                   "</Receive_Frames></Profibus_to_Receive_CAN>");
    Type(FSetVar->sga, 2, {"$100", "4"});
    WriteFile(pargen, "<Par_Gen>");
    ShowReceive();
    ASSERT_EQ(prompts.Errors().size(), 1);
    EXPECT_EQ(Cell(FSetVar->sga, 1, 1), "$1FF");
    EXPECT_EQ(Cell(FSetVar->sga, 1, 2), "");
    prompts.Clear();
    Type(FSetVar->sga, 1, {"$800", "2"});
    OkReceive();
    EXPECT_EQ(prompts.Errors(),
              QStringList{"Error row 1!! CANOpen Cob-Id must be between 0x000 and 0x7FF. "});
}

TEST_F(FrameEditors, LongerListShowsThirtyRowsWithANoticeAndOkKeepsThem) {
    std::string doc = "<Profibus_to_Send_CAN><Send_Frames>";
    for (int i = 1; i <= 32; ++i)
        doc +=
            "<row Cob_Id=\"" + std::to_string(i) + "\" Dimension=\"8\" Swap=\"\" Mnemonic=\"\"/>";
    WriteFile(pdo, doc + "</Send_Frames></Profibus_to_Send_CAN>");
    ShowSend();
    EXPECT_EQ(prompts.Messages(), QStringList{QString::fromStdString(
                                      gw::TooManyFramesMessage(gw::FrameListKind::Send, 32))});
    EXPECT_EQ(Cell(FSetPdo->sga, 1, 30), "$01E");
    OkSend();
    const std::string saved = ReadFile(pdo);
    EXPECT_NE(saved.find("Cob_Id=\"$01E\""), std::string::npos);
    EXPECT_EQ(saved.find("Cob_Id=\"31\""), std::string::npos);
}

TEST_F(FrameEditors, FolderThatHasGoneGivesTheSystemTextAndStaysOpen) {
    ShowReceive();
    Type(FSetVar->sga, 1, {"1", "1"});
    gw::Project.SdoPath = dir / "gone/sdo.xml";
    OkReceive();
    ASSERT_EQ(prompts.Errors().size(), 1);
    EXPECT_TRUE(prompts.Errors()[0].contains("No such file or directory"));
    EXPECT_NE(FSetVar->result(), QDialog::Accepted);
    EXPECT_EQ(Cell(FSetVar->sga, 1, 1), "1");
}

TEST_F(FrameEditors, CancelWritesNothing) {
    WriteFile(sdo, "<Profibus_to_Receive_CAN><Receive_Frames/></Profibus_to_Receive_CAN>");
    ShowReceive();
    ShowSend();
    Type(FSetVar->sga, 1, {"1", "1"});
    Type(FSetPdo->sga, 1, {"1", "1"});
    FSetVar->bitbtn2Click();
    FSetPdo->LbButton3Click();
    EXPECT_EQ(FSetVar->result(), QDialog::Rejected);
    EXPECT_EQ(FSetPdo->result(), QDialog::Rejected);
    EXPECT_EQ(ReadFile(sdo),
              "<Profibus_to_Receive_CAN><Receive_Frames/></Profibus_to_Receive_CAN>");
    EXPECT_FALSE(gw::FileExists(pdo));
    ShowReceive();
    EXPECT_EQ(Cell(FSetVar->sga, 1, 1), ""); // unsaved edits are gone
}

// "Create SWAP" on the focused row.
class CreateSwap : public FrameEditors {
protected:
    QString Press(QTableWidget* g, int row, const std::function<void(gw::TFSwap*)>& act, bool ok) {
        g->setCurrentCell(row - 1, 1);
        return InNextModal([] { gw::Guarded(FSetVar, [] { FSetVar->LbButton1Click(); }); },
                           [&](QWidget*) {
                               act(FSwap);
                               (ok ? FSwap->bitbtn1 : FSwap->bitbtn2)->click();
                           });
    }
};

TEST_F(CreateSwap, DoesNothingWithoutNumericCobIdAndDimension) {
    ShowReceive();
    QTableWidget* g = FSetVar->sga;
    Type(g, 1, {"", "8", "0x80"});
    Type(g, 2, {"$181", "", "0x80"});
    Type(g, 3, {"abc", "8", "0x80"});
    Type(g, 4, {"$181", "abc", "0x80"});
    for (int row = 1; row <= 4; ++row) {
        EXPECT_EQ(Press(
                      g, row, [](gw::TFSwap*) {}, true),
                  "")
            << row;
        EXPECT_EQ(Cell(g, 3, row), "0x80");
    }
}

TEST_F(CreateSwap, OpensWithTheCellValueAndWritesTheMaskBackOnOk) {
    ShowReceive();
    QTableWidget* g = FSetVar->sga;
    Type(g, 2, {"$181", "8", "0x01"});
    std::vector<QString> labels;
    QString value;
    EXPECT_EQ(Press(
                  g, 2,
                  [&](gw::TFSwap* s) {
                      value = s->Label18->text();
                      for (auto* l : s->StateLabels())
                          labels.push_back(l->text());
                  },
                  true),
              "FSwap");
    EXPECT_EQ(value, "0x01");
    EXPECT_EQ(labels, std::vector<QString>(8, "NO SWAP"));
    EXPECT_EQ(Cell(g, 3, 2), "0x01");

    Type(g, 2, {"$181", "8", ""});
    Press(
        g, 2, [](gw::TFSwap* s) { s->SpeedButton1->click(), s->SpeedButton3->click(); }, true);
    EXPECT_EQ(Cell(g, 3, 2), "0xA0");

    Type(g, 2, {"$181", "8", "0x1FF"});
    Press(
        g, 2, [&](gw::TFSwap* s) { value = s->Label18->text(); }, true);
    EXPECT_EQ(value, "0xFF");
    EXPECT_EQ(Cell(g, 3, 2), "0xFF");
}

TEST_F(CreateSwap, CancelLeavesTheCellAsItWas) {
    ShowSend();
    QTableWidget* g = FSetPdo->sga;
    Type(g, 5, {"$181", "8", "7"});
    g->setCurrentCell(4, 1);
    InNextModal([] { FSetPdo->LbButton1Click(); },
                [](QWidget*) {
                    FSwap->SpeedButton2->click();
                    FSwap->SpeedButton4->click();
                    FSwap->bitbtn2->click();
                });
    EXPECT_EQ(Cell(g, 3, 5), "7");
}

TEST_F(CreateSwap, SwapChangeSurvivesAFailedOk) {
    ShowReceive();
    QTableWidget* g = FSetVar->sga;
    Type(g, 1, {"1", "8"});
    Type(g, 2, {"2", "8"});
    Type(g, 3, {"3", "8"});
    Type(g, 4, {"4", "0"});
    Press(
        g, 2, [](gw::TFSwap* s) { s->SpeedButton1->click(); }, true);
    OkReceive();
    EXPECT_EQ(prompts.Errors(),
              QStringList{"Error row 4!! CANOpen Dimension must be between 1 and 8. "});
    EXPECT_EQ(Cell(g, 3, 2), "0x80");
    EXPECT_FALSE(gw::FileExists(sdo));
}

} // namespace

namespace {

TEST_F(FrameEditors, StepButtonsOpenTheirEditorsModally) {
    struct Step {
        QPushButton* button;
        const char* window;
    };
    const Step steps[] = {{gw::FBrinvaleFirmWare->btn_Prm_Gen, "Fpargen"},
                          {gw::FBrinvaleFirmWare->btn_Sdo, "FSetVar"},
                          {gw::FBrinvaleFirmWare->Btn_SetPDO, "FSetPdo"}};
    for (const Step& s : steps) {
        const QString opened =
            InNextModal([&] { s.button->click(); }, [](QWidget* w) { w->close(); });
        EXPECT_EQ(opened, s.window);
    }
    EXPECT_TRUE(prompts.All().empty());
    EXPECT_FALSE(gw::FileExists(pargen));
    EXPECT_FALSE(gw::FileExists(sdo));
    EXPECT_FALSE(gw::FileExists(pdo));
}

} // namespace

namespace {

// A folder where the list belongs is reported by name, not shown as an empty
// list that OK would then try to write over.
TEST_F(FrameEditors, AListPathThatIsNoFileIsReportedByName) {
    std::filesystem::create_directory(sdo);
    ShowReceive();
    EXPECT_EQ(prompts.Errors(), QStringList{QString::fromStdString("Cannot read file '" + sdo +
                                                                   "': it is not a regular file")});
    EXPECT_EQ(Cell(FSetVar->sga, 1, 1), "");
}

} // namespace
