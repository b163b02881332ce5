#include "bridge/USdo.h"
#include "bridge/Updo.h"

#include "../gateway/gateway_window_fixture.h"
#include "app/UBrinvaleFirmWare.h"
#include "bridge_test_support.h"
#include "ui/guard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <cmath>

namespace {

using gw::Fpdo;
using gw::Fsdo;
using gwtest::ReadFile;
using gwtest::WriteFile;

QString Cell(const QTableWidget* grid, int column, int row) {
    const QTableWidgetItem* item = grid->item(row - 1, column);
    return item ? item->text() : QString();
}

void SetCell(QTableWidget* grid, int column, int row, const QString& text) {
    if (QTableWidgetItem* item = grid->item(row - 1, column))
        item->setText(text);
    else
        grid->setItem(row - 1, column, new QTableWidgetItem(text));
}

QStringList Titles(const QTableWidget* grid) {
    QStringList titles;
    for (int c = 0; c < grid->columnCount(); ++c)
        titles << grid->horizontalHeaderItem(c)->text();
    return titles;
}

// Types into a cell as a user does: select it, type, Enter.
void TypeInto(QTableWidget* grid, int column, int row, const QString& text) {
    grid->window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(grid->window()));
    grid->setFocus();
    grid->setCurrentCell(row - 1, column);
    QTest::keyClicks(grid->viewport(), text.left(1));
    QWidget* editor = QApplication::focusWidget();
    QTest::keyClicks(editor, text.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
}

const char* const kWorkbooks[] = {"bridge/sheets.xls", "bridge/sheets.xlsx", "bridge/sheets.ods"};

class BridgeEditors : public gwtest::GatewayWindowTest {
protected:
    void SetUp() override {
        GatewayWindowTest::SetUp();
        Fsdo->setResult(0);
        Fpdo->setResult(0);
    }
    void TearDown() override {
        Fsdo->hide();
        Fpdo->hide();
    }
    template <class W> void Run(W* window, void (W::*handler)()) {
        gw::Guarded(window, [&] { (window->*handler)(); });
    }
    std::string sdoAccess = dir / "sdoaccess.xml";
    std::string rpdodef = dir / "rpdodef.xml";
};

TEST_F(BridgeEditors, SdoEditorShowsTwoTablesOf1500EntriesUnderTheirHeaders) {
    Fsdo->show();
    EXPECT_EQ(Fsdo->windowTitle(), "Set SDO Access");
    EXPECT_EQ(Fsdo->PageControl1->tabText(0), "SDO from CAN A request to CAN B");
    EXPECT_EQ(Fsdo->PageControl1->tabText(1), "SDO from CAN B request to CAN A");
    EXPECT_EQ(Fsdo->Label1->text(), "Define virtual index SDO in CAN A");
    EXPECT_EQ(Fsdo->Label2->text(), "Input index address SDO in CAN B");
    EXPECT_EQ(Fsdo->Label3->text(), "Define virtual index SDO in CAN B");
    EXPECT_EQ(Fsdo->Label4->text(), "Input index address SDO in CAN A");
    const QStringList titles{"N",     "RW",       "Index", "Subindex", "devID",
                             "Index", "Subindex", "nbyte", "mnemonico"};
    for (QTableWidget* grid : {Fsdo->sga, Fsdo->sgb}) {
        EXPECT_EQ(Titles(grid), titles);
        EXPECT_EQ(grid->rowCount(), 1500);
        EXPECT_EQ(Cell(grid, 0, 1), "0");
        EXPECT_EQ(Cell(grid, 0, 1500), "1499");
        EXPECT_FALSE(grid->item(0, 0)->flags() & Qt::ItemIsEditable);
    }
    EXPECT_TRUE(prompts.All().empty());
    // Every column a tenth of the grid; the left label over the first four.
    Fsdo->resize(900, 600);
    QApplication::processEvents();
    const int w = Fsdo->sga->width() / 10;
    for (int c = 0; c < 9; ++c)
        EXPECT_EQ(Fsdo->sga->columnWidth(c), w) << c;
    EXPECT_EQ(Fsdo->Label1->width(), 4 * w);
    EXPECT_EQ(Fsdo->Label2->x(), 4 * w + 1);
    EXPECT_EQ(Fsdo->Label2->width(), Fsdo->sga->width() - 4 * w);
}

TEST_F(BridgeEditors, SdoDocumentRoundTripsThroughOkAndShowIntoTheRightTables) {
    WriteFile(sdoAccess, "<sdo>"
                         "<row conf=\"16\" IndexA=\"0x2000\" SubindexA=\"1\" devIDB=\"5\" "
                         "IndexB=\"0x6000\" SubindexB=\"2\" nbyteB=\"4\" mnemonico=\"speed\"/>"
                         "<row conf=\"17\" IndexA=\"0x2100\" SubindexA=\"0\" devIDB=\"6\" "
                         "IndexB=\"0x6100\" SubindexB=\"0\" nbyteB=\"2\"/>"
                         "<row conf=\"0\" IndexA=\"0x2001\" SubindexA=\"0\" devIDB=\"7\" "
                         "IndexB=\"0x6001\" SubindexB=\"1\" nbyteB=\"1\" mnemonico=\"\"/>"
                         "</sdo>");
    Fsdo->show();
    EXPECT_EQ(Cell(Fsdo->sga, 1, 1), "1");
    EXPECT_EQ(Cell(Fsdo->sga, 8, 1), "speed");
    EXPECT_EQ(Cell(Fsdo->sga, 1, 2), "0");
    EXPECT_EQ(Cell(Fsdo->sga, 2, 2), "0x2001");
    EXPECT_EQ(Cell(Fsdo->sgb, 1, 1), "1");
    EXPECT_EQ(Cell(Fsdo->sgb, 2, 1), "0x2100");
    EXPECT_EQ(Cell(Fsdo->sgb, 8, 1), "");

    TypeInto(Fsdo->sgb, 2, 2, "0x2200");
    EXPECT_EQ(Cell(Fsdo->sgb, 2, 2), "0x2200");
    QTest::mouseClick(Fsdo->bitbtn1, Qt::LeftButton);
    EXPECT_EQ(Fsdo->result(), QDialog::Accepted);
    EXPECT_TRUE(prompts.All().empty());
    const std::string after = ReadFile(sdoAccess);
    EXPECT_EQ(after, "<sdo>"
                     "<row conf=\"16\" IndexA=\"0x2000\" SubindexA=\"1\" devIDB=\"5\" "
                     "IndexB=\"0x6000\" SubindexB=\"2\" nbyteB=\"4\" mnemonico=\"speed\"/>"
                     "<row conf=\"0\" IndexA=\"0x2001\" SubindexA=\"0\" devIDB=\"7\" "
                     "IndexB=\"0x6001\" SubindexB=\"1\" nbyteB=\"1\" mnemonico=\"\"/>"
                     "<row conf=\"17\" IndexA=\"0x2100\" SubindexA=\"0\" devIDB=\"6\" "
                     "IndexB=\"0x6100\" SubindexB=\"0\" nbyteB=\"2\" mnemonico=\"\"/>"
                     "<row conf=\"1\" IndexA=\"0x2200\" SubindexA=\"\" devIDB=\"\" IndexB=\"\" "
                     "SubindexB=\"\" nbyteB=\"\" mnemonico=\"\"/>"
                     "</sdo>");

    Fsdo->hide();
    SetCell(Fsdo->sga, 8, 1, "typed and cancelled");
    Fsdo->show(); // every show rebuilds the tables from the document
    EXPECT_EQ(Cell(Fsdo->sga, 8, 1), "speed");
    EXPECT_EQ(Cell(Fsdo->sgb, 2, 2), "0x2200");
    EXPECT_EQ(ReadFile(sdoAccess), after);
}

TEST_F(BridgeEditors, SdoExportRightAfterOpeningWrites3002LinesAndReplacesTheFile) {
    Fsdo->show();
    WriteFile(dir / "sdo.csv", std::string(100000, 'x'));
    QTest::mouseClick(Fsdo->button1, Qt::LeftButton);
    std::vector<std::string> lines = gwtest::SplitCrLf(ReadFile(dir / "sdo.csv"));
    ASSERT_EQ(lines.size(), 3002u);
    EXPECT_EQ(lines[0], "0,Index,Subindex,devID,Index,Subindex,nbyte,mnemonico,");
    EXPECT_EQ(lines[1], "0,,,,,,,,");
    EXPECT_EQ(lines[1501], "1,Index,Subindex,devID,Index,Subindex,nbyte,mnemonico,");
    SetCell(Fsdo->sga, 1, 1, "1");
    SetCell(Fsdo->sga, 2, 1, "0x2000");
    QTest::mouseClick(Fsdo->button1, Qt::LeftButton);
    lines = gwtest::SplitCrLf(ReadFile(dir / "sdo.csv"));
    ASSERT_EQ(lines.size(), 3002u);
    EXPECT_EQ(lines[1], "16,0x2000,,,,,,,");
    EXPECT_TRUE(prompts.All().empty());
}

// The open dialog is the main window's: the .xls filter first, the project folder.
TEST_F(BridgeEditors, SdoImportFillsBothTablesAndSaysWhereItStopped) {
    for (const char* workbook : kWorkbooks) {
        Fsdo->show();
        SetCell(Fsdo->sga, 3, 7, "cleared by the import");
        prompts.Clear();
        prompts.AnswerFile(QString::fromStdString(gwtest::DataPath(workbook)));
        QTest::mouseClick(Fsdo->bitbtn4, Qt::LeftButton);
        ASSERT_EQ(prompts.All().size(), 2u) << workbook;
        const gwtest::Shown& dialog = prompts.All()[0];
        EXPECT_EQ(dialog.kind, gwtest::Shown::OpenFile);
        EXPECT_EQ(dialog.folder.toStdString(), dir.Path());
        EXPECT_EQ(dialog.filter, "File EXCEL (*.xls)|*.xls|Spreadsheets (*.xls *.xlsx *.ods)|"
                                 "*.xls;*.xlsx;*.ods");
        EXPECT_EQ(prompts.Messages(),
                  QStringList{"Import of sheet \"sdo\" stopped at record 6 (row 7 of the sheet): "
                              "'' is not a valid integer value. The records before it were "
                              "placed."});
        EXPECT_EQ(Cell(Fsdo->sga, 1, 1), "1") << workbook;
        EXPECT_EQ(Cell(Fsdo->sga, 2, 1), "0x2000") << workbook;
        EXPECT_EQ(Cell(Fsdo->sga, 8, 2), "") << workbook; // empty, not "0"
        EXPECT_EQ(Cell(Fsdo->sgb, 3, 1), "01") << workbook;
        EXPECT_EQ(Cell(Fsdo->sgb, 3, 2), "0.5") << workbook;
        EXPECT_EQ(Cell(Fsdo->sga, 2, 3), "") << workbook;
        EXPECT_EQ(Cell(Fsdo->sga, 3, 7), "") << workbook;
        Fsdo->hide();
    }
}

TEST_F(BridgeEditors, ImportOfAWorkbookWithoutTheSheetLeavesClearedTablesAndOfAnOtherFileNothing) {
    Fsdo->show();
    SetCell(Fsdo->sga, 2, 1, "kept");
    WriteFile(dir / "notes.xls", "not a workbook");
    prompts.AnswerFile(QString::fromStdString(dir / "notes.xls"));
    QTest::mouseClick(Fsdo->bitbtn4, Qt::LeftButton);
    EXPECT_EQ(prompts.Errors(),
              QStringList{QString::fromStdString("'" + (dir / "notes.xls") +
                                                 "' is not a workbook (.xls, .xlsx or .ods)")});
    EXPECT_EQ(Cell(Fsdo->sga, 2, 1), "kept");

    prompts.Clear();
    prompts.CancelFile();
    QTest::mouseClick(Fsdo->bitbtn4, Qt::LeftButton);
    EXPECT_EQ(Cell(Fsdo->sga, 2, 1), "kept");

    // A workbook without the sheet: what the clearing step left, without a word.
    prompts.Clear();
    prompts.AnswerFile(QString::fromStdString(gwtest::DataPath("bridge/other.xls")));
    QTest::mouseClick(Fsdo->bitbtn4, Qt::LeftButton);
    EXPECT_EQ(Cell(Fsdo->sga, 2, 1), "");
    EXPECT_EQ(prompts.All().size(), 1u);
}

TEST_F(BridgeEditors, PdoEditorWithoutDocumentSaysSoAndExports22Lines) {
    Fpdo->show();
    EXPECT_EQ(prompts.Messages(), QStringList{"File XML not found"});
    EXPECT_EQ(Fpdo->windowTitle(), "Define Traslate PDO");
    EXPECT_EQ(Fpdo->PageControl1->tabText(0), "PDO From CanA to CanB");
    EXPECT_EQ(Fpdo->PageControl1->tabText(1), "PDO From CanB to CanA");
    const QStringList titles{"N", "cobid", "id_dev_orig", "en_bypass", "posind", "n_tpdo"};
    for (QTableWidget* grid : {Fpdo->sga, Fpdo->sgb}) {
        EXPECT_EQ(Titles(grid), titles);
        EXPECT_EQ(grid->rowCount(), 10);
        EXPECT_EQ(Cell(grid, 0, 10), "9");
        const int w = static_cast<int>(std::nearbyint(grid->width() / 6.0)) - 5;
        EXPECT_EQ(grid->columnWidth(0), w);
        EXPECT_EQ(grid->columnWidth(5), w);
    }
    QTest::mouseClick(Fpdo->button1, Qt::LeftButton);
    const std::vector<std::string> lines = gwtest::SplitCrLf(ReadFile(dir / "rpdodef.csv"));
    ASSERT_EQ(lines.size(), 22u);
    EXPECT_EQ(lines[0], "cobid,id_dev_orig,00,posind,n_tpdo,");
    EXPECT_EQ(lines[1], ",,00,,,");
    EXPECT_EQ(lines[11], "cobid,id_dev_orig,10,posind,n_tpdo,");
    EXPECT_EQ(lines[21], ",,10,,,");

    // Both tables empty: only the root.
    QTest::mouseClick(Fpdo->bitbtn1, Qt::LeftButton);
    EXPECT_EQ(ReadFile(rpdodef), "<rpdodef/>");
}

TEST_F(BridgeEditors, PdoOkOrdersByCobidKeepsTextAsTypedAndFlagsComeBackInTheirTables) {
    Fpdo->show();
    TypeInto(Fpdo->sga, 1, 1, "0x200");
    TypeInto(Fpdo->sga, 3, 1, "1");
    TypeInto(Fpdo->sga, 1, 2, "0x180");
    TypeInto(Fpdo->sga, 2, 2, "second");
    TypeInto(Fpdo->sga, 1, 3, "0x180");
    TypeInto(Fpdo->sga, 2, 3, "third");
    TypeInto(Fpdo->sga, 1, 5, "0x300"); // after the empty cobid of row 4
    SetCell(Fpdo->sgb, 1, 1, "0x181");
    SetCell(Fpdo->sgb, 3, 1, "0");
    QTest::mouseClick(Fpdo->bitbtn1, Qt::LeftButton);
    EXPECT_EQ(Fpdo->result(), QDialog::Accepted);
    EXPECT_EQ(
        ReadFile(rpdodef),
        "<rpdodef>"
        "<row cobid=\"0x180\" id_dev_orig=\"third\" en_bypass=\"2\" posind=\"\" n_tpdo=\"\"/>"
        "<row cobid=\"0x180\" id_dev_orig=\"second\" en_bypass=\"2\" posind=\"\" n_tpdo=\"\"/>"
        "<row cobid=\"0x200\" id_dev_orig=\"\" en_bypass=\"3\" posind=\"\" n_tpdo=\"\"/>"
        "<row cobid=\"0x181\" id_dev_orig=\"\" en_bypass=\"0\" posind=\"\" n_tpdo=\"\"/>"
        "</rpdodef>");
    Fpdo->hide();
    prompts.Clear();
    Fpdo->show();
    EXPECT_TRUE(prompts.All().empty());
    EXPECT_EQ(Cell(Fpdo->sga, 2, 1), "third");
    EXPECT_EQ(Cell(Fpdo->sga, 1, 3), "0x200");
    EXPECT_EQ(Cell(Fpdo->sga, 3, 3), "1");
    EXPECT_EQ(Cell(Fpdo->sga, 1, 5), "");
    EXPECT_EQ(Cell(Fpdo->sgb, 1, 1), "0x181");
    EXPECT_EQ(Cell(Fpdo->sgb, 3, 1), "0");
}

TEST_F(BridgeEditors, PdoOkWithANonIntegerCobidWritesNothingAndStaysOpen) {
    WriteFile(rpdodef, "<rpdodef/>");
    Fpdo->show();
    SetCell(Fpdo->sga, 1, 1, "0x181");
    SetCell(Fpdo->sgb, 1, 1, "12a");
    QTest::mouseClick(Fpdo->bitbtn1, Qt::LeftButton);
    EXPECT_EQ(prompts.Errors(), QStringList{"'12a' is not a valid integer value"});
    EXPECT_NE(Fpdo->result(), QDialog::Accepted);
    EXPECT_TRUE(Fpdo->isVisible());
    EXPECT_EQ(ReadFile(rpdodef), "<rpdodef/>");
}

TEST_F(BridgeEditors, PdoImportPlacesRecordsByTheSheetCodes) {
    WriteFile(rpdodef, "<rpdodef/>");
    for (const char* workbook : kWorkbooks) {
        Fpdo->show();
        prompts.Clear();
        prompts.AnswerFile(QString::fromStdString(gwtest::DataPath(workbook)));
        QTest::mouseClick(Fpdo->bitbtn4, Qt::LeftButton);
        EXPECT_EQ(Cell(Fpdo->sga, 1, 1), "0x181") << workbook;
        EXPECT_EQ(Cell(Fpdo->sga, 3, 1), "1") << workbook; // "01"
        EXPECT_EQ(Cell(Fpdo->sgb, 1, 1), "513") << workbook;
        EXPECT_EQ(Cell(Fpdo->sgb, 3, 1), "0") << workbook; // "10"
        EXPECT_EQ(Cell(Fpdo->sgb, 4, 1), "") << workbook;
        EXPECT_EQ(Cell(Fpdo->sgb, 1, 2), "0x182") << workbook; // the title line skipped
        EXPECT_EQ(prompts.Messages().size(), 1) << workbook;
        Fpdo->hide();
    }
}

// The spreadsheet keys: a block pasted near the end of the table fills what
// fits and says how much did not; Ctrl+Z takes it back.
TEST_F(BridgeEditors, PasteNearTheEndOfTheSdoTableKeepsWhatFits) {
    Fsdo->show();
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QApplication::setActiveWindow(Fsdo);
    QT_WARNING_POP
    ASSERT_TRUE(QTest::qWaitForWindowActive(Fsdo));
    QTableWidget* g = Fsdo->sga;
    g->setFocus();
    QGuiApplication::clipboard()->setText("1\t0x2000\r\n0\t0x2001\r\n1\t0x2002\r\n");
    g->setCurrentCell(1498, 1); // entry 1498, the second to last
    QTest::keyClick(g, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Cell(g, 2, 1499), "0x2000");
    EXPECT_EQ(Cell(g, 2, 1500), "0x2001");
    EXPECT_EQ(prompts.Messages(), QStringList{"1 row not pasted: the table holds 1500 entries"});
    QTest::keyClick(g, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Cell(g, 2, 1500), "");
    QGuiApplication::clipboard()->clear();
}

// Text XML cannot hold is refused on OK with its row and column, and that
// cell is selected; nothing is written.
TEST_F(BridgeEditors, PdoOkRefusesAControlCharacterAndSelectsItsCell) {
    WriteFile(rpdodef, "<rpdodef/>");
    Fpdo->show();
    SetCell(Fpdo->sga, 1, 1, "0x181");
    SetCell(Fpdo->sgb, 1, 1, "0x201");
    SetCell(Fpdo->sgb, 2, 1, QString("dev") + QChar(0x01));
    QTest::mouseClick(Fpdo->bitbtn1, Qt::LeftButton);
    EXPECT_EQ(prompts.Errors(),
              QStringList{"Error row 0!! id_dev_orig: character 4 (U+0001) cannot be stored in an "
                          "XML document. "});
    EXPECT_EQ(Fpdo->PageControl1->currentIndex(), 1);
    EXPECT_EQ(Fpdo->sgb->currentRow(), 0);
    EXPECT_EQ(Fpdo->sgb->currentColumn(), 2);
    EXPECT_EQ(ReadFile(rpdodef), "<rpdodef/>");
    EXPECT_TRUE(Fpdo->isVisible());
}

// The main window's hidden "Set Traslate PDO" opens the editor; nothing opens the SDO one.
TEST_F(BridgeEditors, TheHiddenMainWindowButtonOpensThePdoEditor) {
    EXPECT_FALSE(gw::FBrinvaleFirmWare->btn_Pdo->isVisible());
    const QString opened = gwtest::InNextModal([] { gw::FBrinvaleFirmWare->btn_Pdo->click(); },
                                               [](QWidget* w) { w->close(); });
    EXPECT_EQ(opened, "Fpdo");
    EXPECT_EQ(prompts.Messages(), QStringList{"File XML not found"});
}

// An unreadable document: the editor says so, and OK asks before replacing it.
TEST_F(BridgeEditors, OkOverADocumentThatFailedToLoadAsksFirst) {
    WriteFile(rpdodef, "<rpdodef><row cobid=\"0x181\" id_dev_orig=\"1\" en_bypass=\"3\" "
                       "posind=\"\" n_tpdo=\"\"/><row cobid=\"2\"/></rpdodef>");
    Fpdo->show();
    EXPECT_EQ(prompts.Messages(), QStringList{"Error in reading file XML"});
    EXPECT_EQ(Cell(Fpdo->sga, 1, 1), "0x181");
    prompts.AnswerQuestion(false);
    QTest::mouseClick(Fpdo->bitbtn1, Qt::LeftButton);
    ASSERT_EQ(prompts.All().back().kind, gwtest::Shown::Question);
    EXPECT_EQ(prompts.All().back().text.toStdString(),
              rpdodef + " could not be read. Replace it with what is shown?");
    EXPECT_TRUE(Fpdo->isVisible());
    EXPECT_NE(ReadFile(rpdodef).find("<row cobid=\"2\"/>"), std::string::npos);
    prompts.AnswerQuestion(true);
    QTest::mouseClick(Fpdo->bitbtn1, Qt::LeftButton);
    EXPECT_EQ(Fpdo->result(), QDialog::Accepted);
    EXPECT_EQ(ReadFile(rpdodef), "<rpdodef><row cobid=\"0x181\" id_dev_orig=\"1\" en_bypass=\"3\" "
                                 "posind=\"\" n_tpdo=\"\"/></rpdodef>");
}

} // namespace
