#include "bridge/UWemcy.h"

#include "../gateway/gateway_window_fixture.h"
#include "common/file_io.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

namespace {

using gw::FWemcy;
using gwtest::ReadFile;
using gwtest::WriteFile;

class EmcyWordWindow : public gwtest::GatewayWindowTest {
protected:
    void SetUp() override {
        GatewayWindowTest::SetUp();
        FWemcy->setResult(0);
        FWemcy->show(); // runs FormShow
        QApplication::processEvents();
    }
    void TearDown() override { FWemcy->hide(); }

    // Types the three word fields of tab A and presses New.
    static void NewWord(const QString& index, const QString& subindex, const QString& devid,
                        bool tabB = false) {
        QLineEdit* fields[] = {tabB ? FWemcy->Eindex_addrmB : FWemcy->Eindex_addrmA,
                               tabB ? FWemcy->EsubindexB : FWemcy->EsubindexA,
                               tabB ? FWemcy->EdevidB : FWemcy->EdevidA};
        const QString texts[] = {index, subindex, devid};
        for (int i = 0; i < 3; ++i) {
            fields[i]->clear();
            QTest::keyClicks(fields[i], texts[i]);
        }
        QTest::mouseClick(tabB ? FWemcy->newB : FWemcy->newA, Qt::LeftButton);
    }
    static QStringList Words(QTreeWidget* tree) {
        QStringList names;
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            names << tree->topLevelItem(i)->text(0);
        return names;
    }
    std::string emcyword = dir / "emcyword.xml";
};

TEST_F(EmcyWordWindow, WordsAreSavedByDevidIndexSubindexAndReloadNamedInThatOrder) {
    EXPECT_EQ(prompts.Messages(), QStringList{"File XML not found"});
    NewWord("8192", "2", "3");
    NewWord("4096", "9", "3");
    NewWord("9000", "0", "1");
    ASSERT_EQ(Words(FWemcy->TWCanA), (QStringList{"W0", "W1", "W2"}));
    QTreeWidgetItem* w0 = FWemcy->TWCanA->topLevelItem(0);
    ASSERT_EQ(w0->childCount(), 16);
    EXPECT_EQ(w0->child(15)->text(0), "Bit15");
    EXPECT_EQ(FWemcy->TWCanA->currentItem(), nullptr); // New does not move the selection

    QTest::mouseClick(FWemcy->bitbtn1, Qt::LeftButton);
    EXPECT_EQ(FWemcy->result(), QDialog::Accepted);
    const std::string text = ReadFile(emcyword);
    EXPECT_LT(text.find("index_addrm=\"9000\""), text.find("index_addrm=\"4096\""));
    EXPECT_LT(text.find("index_addrm=\"4096\""), text.find("index_addrm=\"8192\""));

    FWemcy->FormShow();
    ASSERT_EQ(Words(FWemcy->TWCanA), (QStringList{"W0", "W1", "W2"}));
    FWemcy->TWCanA->setCurrentItem(FWemcy->TWCanA->topLevelItem(0));
    EXPECT_EQ(FWemcy->Eindex_addrmA->text(), "9000");
    EXPECT_EQ(FWemcy->GBword_emcy_bitmapA->title(), "Word n\u00B00 Emcy Define ");
}

TEST_F(EmcyWordWindow, ABitsEmcyBytesArePackedIntoPoscompAndSplitAgain) {
    NewWord("1", "1", "1");
    QTreeWidgetItem* bit3 = FWemcy->TWCanA->topLevelItem(0)->child(3);
    FWemcy->TWCanA->setCurrentItem(bit3);
    // A new word's bits have no poscomp yet: it cannot be split.
    EXPECT_EQ(prompts.Errors(), QStringList{"'' is not a valid integer value"});
    prompts.Clear();
    EXPECT_EQ(FWemcy->GbebmA->title(), "Mask BIT n\u00B03 Define");
    EXPECT_EQ(FWemcy->GbebmB->title(), "Mask BIT n\u00B03 Define"); // both tabs
    FWemcy->Eb0A->setText("0x0F");
    FWemcy->EposcompA->setText("2");
    FWemcy->EposcompA2->setText("5");
    QTest::mouseClick(FWemcy->modifyA, Qt::LeftButton);
    EXPECT_EQ(FWemcy->Words()[gw::WordTab::CanA][0].word.bits[3], (gw::ClEbm{"0x0F", "", "37"}));

    // Selecting the word empties the bit fields; selecting the bit shows it again.
    FWemcy->TWCanA->setCurrentItem(FWemcy->TWCanA->topLevelItem(0));
    EXPECT_EQ(FWemcy->EposcompA->text(), "");
    FWemcy->TWCanA->setCurrentItem(bit3);
    EXPECT_EQ(FWemcy->EposcompA->text(), "2");
    EXPECT_EQ(FWemcy->EposcompA2->text(), "5");
    EXPECT_EQ(FWemcy->Eb0A->text(), "0x0F");

    // A field that is not a number: the masks are stored, poscomp stays.
    FWemcy->Eb1A->setText("7");
    FWemcy->EposcompA2->setText("x");
    QTest::mouseClick(FWemcy->modifyA, Qt::LeftButton);
    EXPECT_EQ(prompts.Errors(), QStringList{"'x' is not a valid integer value"});
    EXPECT_EQ(FWemcy->Words()[gw::WordTab::CanA][0].word.bits[3], (gw::ClEbm{"0x0F", "7", "37"}));
    // A bit never given a poscomp cannot be split: the EMCY byte fields keep their text.
    prompts.Clear();
    FWemcy->TWCanA->setCurrentItem(FWemcy->TWCanA->topLevelItem(0)->child(4));
    EXPECT_EQ(prompts.Errors(), QStringList{"'' is not a valid integer value"});
    EXPECT_EQ(FWemcy->EposcompA2->text(), "x");
}

TEST_F(EmcyWordWindow, WordCheckDeleteAndNumbering) {
    NewWord("10", "0", "1");
    NewWord("10", "0", "2");
    NewWord("10", "0", "3");
    NewWord("10", "0", "2"); // the same three texts on the same tab
    NewWord("10", "", "4");
    EXPECT_EQ(prompts.Errors(), (QStringList{"Index Not Valid", "Index Not Valid"}));
    NewWord("10", "0", "2", true); // the other tab takes them
    EXPECT_EQ(Words(FWemcy->TWCanB), QStringList{"W0"});

    // Delete with a bit selected does nothing; with W1 selected it goes, and New adds W3.
    FWemcy->TWCanA->setCurrentItem(FWemcy->TWCanA->topLevelItem(1)->child(0));
    QTest::mouseClick(FWemcy->deleteA, Qt::LeftButton);
    EXPECT_EQ(Words(FWemcy->TWCanA), (QStringList{"W0", "W1", "W2"}));
    FWemcy->TWCanA->setCurrentItem(FWemcy->TWCanA->topLevelItem(1));
    QTest::mouseClick(FWemcy->deleteA, Qt::LeftButton);
    EXPECT_EQ(Words(FWemcy->TWCanA), (QStringList{"W0", "W2"}));
    NewWord("10", "0", "5");
    EXPECT_EQ(Words(FWemcy->TWCanA), (QStringList{"W0", "W2", "W3"}));

    // Modify of a word keeping its texts passes; onto another word's texts is refused.
    prompts.Clear();
    FWemcy->TWCanA->setCurrentItem(FWemcy->TWCanA->topLevelItem(1));
    QTest::mouseClick(FWemcy->modifyA, Qt::LeftButton);
    EXPECT_TRUE(prompts.All().empty());
    FWemcy->EdevidA->setText("1");
    QTest::mouseClick(FWemcy->modifyA, Qt::LeftButton);
    EXPECT_EQ(prompts.Errors(), QStringList{"Index Not Valid"});
    EXPECT_EQ(FWemcy->Words()[gw::WordTab::CanA][1].word.devid, "3");
}

TEST_F(EmcyWordWindow, OkWithAKeyThatIsNoIntegerWritesNothingAndKeepsTheEdits) {
    WriteFile(emcyword, "<emcyword><row index_addrm='1' subindex='1' extdata='1' devid='1'/>"
                        "<row index_addrm='1' subindex='1' extdata='2' devid='2'/></emcyword>");
    FWemcy->FormShow();
    EXPECT_EQ(Words(FWemcy->TWCanB), QStringList{"W0"}); // extdata 2 is skipped
    EXPECT_EQ(FWemcy->TWCanA->topLevelItemCount(), 0);
    NewWord("0x2000", "one", "3");
    QTest::mouseClick(FWemcy->bitbtn1, Qt::LeftButton);
    EXPECT_EQ(prompts.Errors(), QStringList{"'one' is not a valid integer value"});
    EXPECT_NE(ReadFile(emcyword).find("extdata='2'"), std::string::npos);
    EXPECT_NE(FWemcy->result(), QDialog::Accepted);
    EXPECT_EQ(Words(FWemcy->TWCanA), QStringList{"W0"});
}

TEST_F(EmcyWordWindow, TreeImagesComeFromTheStripWithOliveTransparent) {
    const QPixmap word = FWemcy->WordIcon().pixmap(16, QIcon::Normal);
    const QPixmap selected = FWemcy->WordIcon().pixmap(16, QIcon::Selected);
    ASSERT_FALSE(word.isNull());
    EXPECT_EQ(word.size(), QSize(16, 16));
    EXPECT_NE(word.toImage(), selected.toImage());
    EXPECT_EQ(word.toImage().pixelColor(0, 0).alpha(), 0); // the olive corner
    EXPECT_NE(FWemcy->BitIcon().pixmap(16).toImage(), word.toImage());
    EXPECT_EQ(FWemcy->size(), QSize(455, 464));
}

// The words of a document get their bit nodes when first opened, as the user
// opens them; a bit then shows its own values.
TEST_F(EmcyWordWindow, ALoadedWordShowsItsBitsWhenOpened) {
    WriteFile(emcyword, "<emcyword><row index_addrm='0x1001' subindex='1' extdata='0' devid='5' "
                        "bit3_b0='0x0F' bit3_b1='7' bit3_poscomp='37'/></emcyword>");
    FWemcy->hide();
    FWemcy->show();
    QApplication::processEvents();
    QTreeWidget* tree = FWemcy->TWCanA;
    ASSERT_EQ(Words(tree), QStringList{"W0"});
    QTreeWidgetItem* w0 = tree->topLevelItem(0);
    EXPECT_EQ(w0->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    tree->setFocus();
    tree->setCurrentItem(w0);
    QTest::keyClick(tree, Qt::Key_Right); // opens the word
    EXPECT_TRUE(w0->isExpanded());
    ASSERT_EQ(w0->childCount(), 16);
    EXPECT_EQ(w0->child(15)->text(0), "Bit15");
    QTest::keyClick(tree, Qt::Key_Down);
    QTest::keyClick(tree, Qt::Key_Down);
    QTest::keyClick(tree, Qt::Key_Down);
    QTest::keyClick(tree, Qt::Key_Down);
    EXPECT_EQ(tree->currentItem(), w0->child(3));
    EXPECT_EQ(FWemcy->Eb0A->text(), "0x0F");
    EXPECT_EQ(FWemcy->Eb1A->text(), "7");
    EXPECT_EQ(FWemcy->EposcompA->text(), "2");
    EXPECT_EQ(FWemcy->EposcompA2->text(), "5");
    // Closed and opened again, the word keeps its 16 bits.
    w0->setExpanded(false);
    w0->setExpanded(true);
    EXPECT_EQ(w0->childCount(), 16);
}

TEST_F(EmcyWordWindow, Pictures) {
    const QString out = qEnvironmentVariable("GW_SHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP() << "GW_SHOT_DIR not set";
    NewWord("0x1001", "1", "5");
    NewWord("0x1001", "2", "5");
    FWemcy->TWCanA->topLevelItem(0)->setExpanded(true);
    FWemcy->TWCanA->setCurrentItem(FWemcy->TWCanA->topLevelItem(0)->child(2));
    QApplication::processEvents();
    EXPECT_TRUE(FWemcy->grab().save(out + "/emcyword.png"));
}

} // namespace
