// The frame editors driven from the keyboard, as installers work: real key
// events on a shown, active window.
#include "gateway/USetPdo.h"
#include "gateway/USetVar.h"
#include "gateway/Upargen.h"

#include "gateway_window_fixture.h"
#include "ui/frame_table.h"
#include "ui/look.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QTest>

namespace {

using gw::FrameEditorWindow;
using gw::FSetPdo;
using gw::FSetVar;
using gwtest::ReadFile;
using gwtest::WriteFile;

const char* const kTwoFrames = "<Profibus_to_Receive_CAN><Receive_Frames>"
                               "<row Cob_Id=\"$181\" Dimension=\"8\" Swap=\"0x00\" Delete=\"N\" "
                               "Mnemonic=\"pump\"/>"
                               "<row Cob_Id=\"$182\" Dimension=\"4\" Swap=\"0x00\" Delete=\"N\" "
                               "Mnemonic=\"valve\"/>"
                               "</Receive_Frames></Profibus_to_Receive_CAN>";

std::string Cell(QTableWidget* t, int column, int row) {
    return gw::FrameCellText(t, column, row).toStdString();
}
std::vector<std::string> Row(QTableWidget* t, int row) {
    std::vector<std::string> cells;
    for (int c = 1; c < t->columnCount(); ++c)
        cells.push_back(Cell(t, c, row));
    return cells;
}

// Table position of the current cell as (grid row 1 to 30, column).
std::pair<int, int> Current(QTableWidget* t) {
    return {t->currentRow() + 1, t->currentColumn()};
}

class FrameEditorKeys : public gwtest::GatewayWindowTest {
protected:
    void TearDown() override {
        for (FrameEditorWindow* w :
             {static_cast<FrameEditorWindow*>(FSetVar), static_cast<FrameEditorWindow*>(FSetPdo)})
            w->hide();
        QGuiApplication::clipboard()->clear();
    }
    // Shows the editor as the user's active window; its show loads the list.
    QTableWidget* Open(FrameEditorWindow* w) {
        w->setResult(0);
        w->show();
        // The offscreen platform does not hand the activation back to a window
        // shown again; tell the application, as a window manager would.
        QT_WARNING_PUSH
        QT_WARNING_DISABLE_DEPRECATED
        QApplication::setActiveWindow(w);
        QT_WARNING_POP
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
        w->sga->setFocus();
        EXPECT_EQ(QApplication::focusWidget(), w->sga);
        return w->sga;
    }
    // A click on the cell.
    static void Go(QTableWidget* t, int gridRow, int column) {
        QTableWidgetItem* item = t->item(gridRow - 1, column);
        t->scrollToItem(item);
        QTest::mouseClick(t->viewport(), Qt::LeftButton, Qt::NoModifier,
                          t->visualItemRect(item).center());
        ASSERT_EQ(t->currentItem(), item);
    }
    // Keys go where the user's keys go: to the focused widget, the cell editor
    // while one is open.
    static void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        ASSERT_NE(QApplication::focusWidget(), nullptr) << "no focus for key " << key;
        QTest::keyClick(QApplication::focusWidget(), key, mods);
    }
    static void Typed(const char* text) {
        for (const char* c = text; *c; ++c) {
            ASSERT_NE(QApplication::focusWidget(), nullptr) << "no focus for " << text;
            QTest::keyClicks(QApplication::focusWidget(), QString(QChar(*c)));
        }
    }
};

TEST_F(FrameEditorKeys, EnterCommitsAndMovesDownAndNeverPressesOk) {
    WriteFile(sdo, kTwoFrames);
    QTableWidget* g = Open(FSetVar);

    Go(g, 1, 1);
    Key(Qt::Key_Return); // not editing
    EXPECT_EQ(Current(g), std::make_pair(2, 1));
    Go(g, 3, 1);
    Typed("$183");
    EXPECT_NE(QApplication::focusWidget(), g); // an editor is open
    Key(Qt::Key_Enter);
    EXPECT_EQ(Cell(g, 1, 3), "$183");
    EXPECT_EQ(Current(g), std::make_pair(4, 1));
    EXPECT_EQ(QApplication::focusWidget(), g);
    Key(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(Current(g), std::make_pair(3, 1));
    Go(g, 30, 2);
    Key(Qt::Key_Return);
    EXPECT_EQ(Current(g), std::make_pair(30, 2)); // the last row stays

    EXPECT_TRUE(FSetVar->isVisible());
    EXPECT_EQ(FSetVar->result(), 0);
    EXPECT_EQ(ReadFile(sdo), kTwoFrames);
}

TEST_F(FrameEditorKeys, CtrlEnterPressesOkAndKeepsTheCellBeingTyped) {
    WriteFile(sdo, kTwoFrames);
    QTableWidget* g = Open(FSetVar);
    Go(g, 3, 1);
    Typed("$183");
    Key(Qt::Key_Tab);
    Typed("2");
    Key(Qt::Key_Return, Qt::ControlModifier); // the "2" is still in its editor
    EXPECT_FALSE(FSetVar->isVisible());
    EXPECT_EQ(FSetVar->result(), QDialog::Accepted);
    EXPECT_NE(ReadFile(sdo).find("<row Cob_Id=\"$183\" Dimension=\"2\""), std::string::npos);
}

TEST_F(FrameEditorKeys, TabVisitsOnlyTheCellsTheUserMayChange) {
    QTableWidget* g = Open(FSetVar);
    Go(g, 1, 3);
    Key(Qt::Key_Tab);
    EXPECT_EQ(Current(g), std::make_pair(1, 4)); // the Delete box is a stop
    Typed("y");                                  // no search for a row holding "y"
    Key(Qt::Key_Space);
    EXPECT_EQ(Current(g), std::make_pair(1, 4));
    EXPECT_EQ(Cell(g, 4, 1), "Y");
    Key(Qt::Key_Tab);
    Typed("pump");
    Key(Qt::Key_Tab); // from the editor of the last column
    EXPECT_EQ(Cell(g, 5, 1), "pump");
    EXPECT_EQ(Current(g), std::make_pair(2, 1)); // not the row number
    Typed("$200");
    Key(Qt::Key_Tab);
    EXPECT_EQ(Cell(g, 1, 2), "$200");
    EXPECT_EQ(Current(g), std::make_pair(2, 2));
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Current(g), std::make_pair(1, 5));

    // Text typed on a row number goes to the row's Cob-ID.
    Go(g, 6, 0);
    Typed("7");
    Key(Qt::Key_Return);
    EXPECT_EQ(Cell(g, 1, 6), "7");
    EXPECT_EQ(Cell(g, 0, 6), "6");

    // Past the last cell the focus goes on to the OK button.
    Go(g, 30, 5);
    Key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), FSetVar->bitbtn1);
    EXPECT_TRUE(FSetVar->isVisible());
}

TEST_F(FrameEditorKeys, PasteFillsWhatFitsAndSaysWhatDidNot) {
    WriteFile(
        pdo, "<Profibus_to_Send_CAN><Send_Frames>" + [] {
            std::string rows;
            for (int i = 1; i <= 29; ++i)
                rows += "<row Cob_Id=\"$" + std::to_string(200 + i) +
                        "\" Dimension=\"8\" Swap=\"0x00\" Mnemonic=\"m" + std::to_string(i) +
                        "\"/>";
            return rows;
        }() + "</Send_Frames></Profibus_to_Send_CAN>");
    QTableWidget* g = Open(FSetPdo);
    const std::vector<std::string> row29 = Row(g, 29);

    // Three rows of four cells, as a spreadsheet copies them.
    QGuiApplication::clipboard()->setText("$281\t1\t0xC0\tin 1\r\n$282\t2\t0x00\tin 2\r\n"
                                          "$283\t3\t0x00\tin 3\r\n");
    Go(g, 29, 1);
    Key(Qt::Key_V, Qt::ControlModifier);
    using Cells = std::vector<std::string>;
    EXPECT_EQ(Row(g, 29), Cells({"$281", "1", "0xC0", "in 1"}));
    EXPECT_EQ(Row(g, 30), Cells({"$282", "2", "0x00", "in 2"}));
    EXPECT_EQ(prompts.Messages().join("|").toStdString(),
              "1 row not pasted: the list holds 30 frames");
    EXPECT_EQ(Cell(g, 1, 28), "$228");

    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Row(g, 29), row29);
    EXPECT_EQ(Row(g, 30), Cells(4));

    // Columns past the last one are named too; a paste on the row number
    // starts at the row's first cell.
    prompts.Clear();
    QGuiApplication::clipboard()->setText("a\tb\tc\td\te\tf");
    Go(g, 2, 0);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Cell(g, 4, 2), "d");
    EXPECT_EQ(Cell(g, 0, 2), "2");
    EXPECT_EQ(prompts.Messages().join("|").toStdString(),
              "2 columns not pasted: \"Mnemonic\" is the last column");
}

TEST_F(FrameEditorKeys, CopyDeleteAndUndoWorkOnTheSelectedCells) {
    WriteFile(sdo, kTwoFrames);
    QTableWidget* g = Open(FSetVar);

    // Select Cob-ID and Dimension of rows 1 and 2 with Shift and the arrows.
    Go(g, 1, 1);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "$181\t8\n$182\t4");

    Key(Qt::Key_Delete);
    for (int r : {1, 2})
        for (int c : {1, 2})
            EXPECT_EQ(Cell(g, c, r), "") << r << "," << c;
    EXPECT_EQ(Cell(g, 5, 1), "pump"); // outside the selection

    // What the user typed after the Delete stays when it is taken back.
    Go(g, 2, 2);
    Typed("6");
    Key(Qt::Key_Return);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Cell(g, 1, 1), "$181");
    EXPECT_EQ(Cell(g, 2, 1), "8");
    EXPECT_EQ(Cell(g, 1, 2), "$182");
    EXPECT_EQ(Cell(g, 2, 2), "6");

    // The copied block pasted while a cell is being typed in goes into the
    // table from that cell, not into the one cell.
    Go(g, 10, 1);
    Typed("$3");
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Cell(g, 1, 10), "$181");
    EXPECT_EQ(Cell(g, 2, 11), "4");
    EXPECT_EQ(QApplication::focusWidget(), g);
    // One value from a spreadsheet line goes into the editor without its break.
    QGuiApplication::clipboard()->setText("pump 2\r\n");
    Go(g, 12, 5);
    Typed("x");
    Key(Qt::Key_V, Qt::ControlModifier);
    Key(Qt::Key_Return);
    EXPECT_EQ(Cell(g, 5, 12), "xpump 2");

    // Saved and opened again, Ctrl+Z has nothing of the earlier showing to take back.
    Go(g, 1, 5);
    Key(Qt::Key_Delete);
    Key(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_FALSE(FSetVar->isVisible());
    Open(FSetVar);
    Go(g, 1, 5);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Cell(g, 5, 1), "");
    EXPECT_TRUE(prompts.Texts().isEmpty());
}

TEST_F(FrameEditorKeys, RefusedCellIsCurrentAfterTheErrorBox) {
    QTableWidget* g = Open(FSetVar);
    for (int r = 1; r <= 25; ++r) {
        gw::SetFrameCellText(g, 1, r, QString::number(0x180 + r));
        gw::SetFrameCellText(g, 2, r, r == 24 ? "9" : "8");
    }
    Go(g, 1, 5);
    QTest::mouseClick(FSetVar->bitbtn1, Qt::LeftButton);
    EXPECT_EQ(prompts.Errors().join("|").toStdString(),
              "Error row 24!! CANOpen Dimension must be between 1 and 8. ");
    EXPECT_EQ(Current(g), std::make_pair(24, 2));
    EXPECT_EQ(g->selectedItems(), QList<QTableWidgetItem*>{g->item(23, 2)});
    EXPECT_TRUE(g->viewport()->rect().intersects(g->visualItemRect(g->item(23, 2))));
    EXPECT_EQ(QApplication::focusWidget(), g);
    EXPECT_TRUE(FSetVar->isVisible());

    // Text a document cannot hold is refused at its cell too.
    gw::SetFrameCellText(g, 2, 24, "8");
    gw::SetFrameCellText(g, 5, 3, QString("pump") + QChar(0x07));
    Go(g, 1, 1);
    prompts.Clear();
    QTest::mouseClick(FSetVar->bitbtn1, Qt::LeftButton);
    ASSERT_EQ(prompts.Errors().size(), 1);
    EXPECT_EQ(Current(g), std::make_pair(3, 5));
    EXPECT_TRUE(FSetVar->isVisible());
}

TEST(WindowPlacement, CentredWhenItFitsElseAtTheTopLeftWithinTheArea) {
    const QMargins frame(4, 30, 4, 4);
    struct Case {
        QSize client;
        QRect available;
        QRect placed;
    };
    const Case cases[] = {
        {{780, 538}, {0, 0, 1280, 760}, {246 + 4, 94 + 30, 780, 538}},
        {{780, 538}, {0, 0, 640, 376}, {4, 30, 632, 342}}, // 1280 x 800 at scale 2
        {{780, 538}, {100, 40, 1000, 500}, {100 + 4, 40 + 30, 780, 466}},
        {{300, 200}, {-1280, 0, 1280, 1024}, {-1280 + 487 + 4, 395 + 30, 300, 200}},
    };
    for (const Case& c : cases) {
        const QRect placed = gw::PlacedGeometry(c.client, frame, c.available);
        EXPECT_EQ(placed, c.placed) << c.available.width() << "x" << c.available.height();
        EXPECT_TRUE(c.available.contains(placed.marginsAdded(frame)));
    }
}

TEST_F(FrameEditorKeys, ReceiveEditorFitsASmallScreenAtDoubleScale) {
    // 1024 x 600 pixels at scale 2, less a panel of 24 pixels at the bottom.
    const QRect available(0, 0, 512, 288);
    const QSize designed = FSetVar->size();
    gw::PlaceInArea(FSetVar, available);
    EXPECT_TRUE(available.contains(QRect(FSetVar->pos(), FSetVar->size())));
    EXPECT_GE(FSetVar->pos().x(), 0);
    EXPECT_GE(FSetVar->pos().y(), 0);
    Open(FSetVar);
    // The OK button is within the shrunk window.
    const QRect ok(FSetVar->bitbtn1->mapTo(FSetVar, QPoint(0, 0)), FSetVar->bitbtn1->size());
    EXPECT_TRUE(FSetVar->rect().contains(ok));
    FSetVar->hide();

    // Where the designed size fits, the window is centred at that size.
    FSetVar->resize(designed);
    gw::PlaceInArea(FSetVar, QRect(0, 0, 1280, 800));
    EXPECT_EQ(FSetVar->size(), designed);
    const QPoint centre = QRect(FSetVar->pos(), FSetVar->size()).center();
    EXPECT_NEAR(centre.x(), 640, 6);
    EXPECT_NEAR(centre.y(), 400, 20);
}

TEST(WindowPlacement, FixedWindowTooTallScrollsAndTakesItsSizeBackWhereItFits) {
    gw::TFpargen w; // controls placed by position, a fixed client area of 250 x 406
    gw::PlaceInArea(&w, QRect(0, 0, 640, 300));
    EXPECT_TRUE(QRect(0, 0, 640, 300).contains(QRect(w.pos(), w.size())));
    w.show();
    auto* area = w.findChild<QScrollArea*>();
    ASSERT_NE(area, nullptr);
    area->ensureWidgetVisible(w.bitbtn1);
    EXPECT_FALSE(w.bitbtn1->visibleRegion().isEmpty()); // OK can be reached
    EXPECT_EQ(w.bitbtn1->geometry(), QRect(36, 371, 75, 25));
    w.hide();

    gw::PlaceInArea(&w, QRect(0, 0, 1280, 800));
    EXPECT_EQ(w.size(), QSize(250, 406));
}

} // namespace
