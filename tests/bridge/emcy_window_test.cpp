#include "bridge/Uemcy.h"

#include "../gateway/gateway_window_fixture.h"
#include "common/file_io.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

namespace {

using gw::Femcy;
using gwtest::ReadFile;
using gwtest::WriteFile;

class EmcyWindow : public gwtest::GatewayWindowTest {
protected:
    void SetUp() override {
        GatewayWindowTest::SetUp();
        Femcy->setResult(0);
        Femcy->show(); // runs FormShow
        QApplication::processEvents();
    }
    void TearDown() override { Femcy->hide(); }

    // Types an ID (and optionally the enable flag and an alias) and presses New.
    static void NewDefinition(bool tabB, const QString& id) {
        QLineEdit* field = tabB ? Femcy->Eid_devB : Femcy->Eid_devA;
        field->clear();
        QTest::keyClicks(field, id);
        QTest::mouseClick(tabB ? Femcy->NewB : Femcy->NewA, Qt::LeftButton);
    }
    static QStringList Lines(QListWidget* list) {
        QStringList lines;
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text();
        return lines;
    }
    std::string emcydef = dir / "emcydef.xml";
};

TEST_F(EmcyWindow, NewProjectHasNoDocumentAndOkWritesTheEmptyRoot) {
    EXPECT_EQ(prompts.Messages(), QStringList{"File XML not found"});
    EXPECT_EQ(Femcy->LBCanA->count() + Femcy->LBCanB->count(), 0);
    EXPECT_TRUE(Femcy->r1a->isChecked());
    QTest::mouseClick(Femcy->LbButton1, Qt::LeftButton);
    EXPECT_EQ(ReadFile(emcydef), "<emcydef/>");
    EXPECT_EQ(Femcy->result(), QDialog::Accepted);
}

TEST_F(EmcyWindow, IdsTypedInAnyOrderAreSavedAscendingAndReloadInThatOrder) {
    Femcy->PageControl1->setCurrentIndex(0);
    for (const char* id : {"10", "2", "7"})
        NewDefinition(false, id);
    EXPECT_EQ(Lines(Femcy->LBCanA), (QStringList{"10", "2", "7"}));
    EXPECT_EQ(Femcy->LBCanA->currentRow(), 2); // the new line is selected

    Femcy->PageControl1->setCurrentIndex(1);
    Femcy->enableb->setChecked(true);
    Femcy->r9b->setChecked(true); // "Error Reg"
    NewDefinition(true, "4");
    QTest::mouseClick(Femcy->LbButton1, Qt::LeftButton);
    const std::string text = ReadFile(emcydef);
    EXPECT_LT(text.find("id_dev=\"2\""), text.find("id_dev=\"7\""));
    EXPECT_LT(text.find("id_dev=\"7\""), text.find("id_dev=\"10\""));
    EXPECT_NE(text.find("id_dev=\"4\" mask_eq_ec=\"0\""), std::string::npos);
    EXPECT_NE(text.find("bypass_set=\"39\"/></emcydef>"), std::string::npos);

    Femcy->FormShow();
    EXPECT_EQ(Lines(Femcy->LBCanA), (QStringList{"2", "7", "10"}));
    EXPECT_EQ(Lines(Femcy->LBCanB), QStringList{"4"});
    // Each first line is selected and shown.
    EXPECT_EQ(Femcy->LBCanB->currentRow(), 0);
    EXPECT_TRUE(Femcy->enableb->isChecked());
    EXPECT_TRUE(Femcy->r9b->isChecked());
    EXPECT_EQ(Femcy->Emask_eq_m2B->text(), "0");
}

TEST_F(EmcyWindow, IdCheckOnNewAndModify) {
    NewDefinition(false, "5");
    prompts.Clear();
    NewDefinition(false, "5"); // refused: the line 5 is selected and shown
    EXPECT_EQ(prompts.Errors(), QStringList{"Index Not Valid"});
    NewDefinition(false, "05"); // a different text
    NewDefinition(false, "");
    EXPECT_EQ(prompts.Errors(), (QStringList{"Index Not Valid", "Index Not Valid"}));
    EXPECT_EQ(Lines(Femcy->LBCanA), (QStringList{"5", "05"}));

    // Modify keeping its own ID passes; onto another line's ID is refused.
    prompts.Clear();
    Femcy->LBCanA->setCurrentRow(0);
    Femcy->LBCanA->setCurrentRow(1);
    EXPECT_EQ(Femcy->Eid_devA->text(), "05");
    Femcy->Emask_eq_ecA->setText("0xFF");
    QTest::mouseClick(Femcy->ModifyA, Qt::LeftButton);
    EXPECT_TRUE(prompts.All().empty());
    EXPECT_EQ(Femcy->Lists()[gw::EmcyList::CanA][1].def.texts[1], "0xFF");
    Femcy->Eid_devA->setText("5");
    QTest::mouseClick(Femcy->ModifyA, Qt::LeftButton);
    EXPECT_EQ(prompts.Errors(), QStringList{"Index Not Valid"});
    EXPECT_EQ(Lines(Femcy->LBCanA), (QStringList{"5", "05"}));
}

TEST_F(EmcyWindow, SelectShowsADefinitionAndDeleteLeavesTheFieldsAsTheyWere) {
    WriteFile(emcydef, "<emcydef><row id_dev='1' mask_eq_er='9' bypass_set='11'/>"
                       "<row id_dev='2' bypass_set='0'/></emcydef>");
    Femcy->FormShow();
    EXPECT_EQ(Femcy->Emask_eq_erA->text(), "9");
    EXPECT_TRUE(Femcy->r5a->isChecked()); // 11: alias 5, enabled
    EXPECT_TRUE(Femcy->enablea->isChecked());
    QTest::keyClick(Femcy->LBCanA, Qt::Key_Down);
    EXPECT_EQ(Femcy->Eid_devA->text(), "2");
    EXPECT_TRUE(Femcy->r1a->isChecked());

    QTest::mouseClick(Femcy->DeleteA, Qt::LeftButton);
    EXPECT_EQ(Lines(Femcy->LBCanA), QStringList{"1"});
    EXPECT_EQ(Femcy->LBCanA->currentRow(), -1);
    EXPECT_EQ(Femcy->Eid_devA->text(), "2");
    // With nothing selected New does not check the ID.
    NewDefinition(false, "1");
    EXPECT_EQ(Lines(Femcy->LBCanA), (QStringList{"1", "1"}));
}

// Delete, New and Modify act only when clicked: Enter in a field (with a line
// selected, so that each of them would change something) presses none of them.
TEST_F(EmcyWindow, EnterInAFieldPressesNoButton) {
    NewDefinition(false, "5");
    Femcy->Eid_devA->setText("6");
    QTest::keyClick(Femcy->Emask_eq_ecA, Qt::Key_Return);
    EXPECT_EQ(Lines(Femcy->LBCanA), QStringList{"5"});
    EXPECT_TRUE(Femcy->isVisible());
    EXPECT_FALSE(gw::FileExists(emcydef));
}

TEST_F(EmcyWindow, AliasCaptions) {
    const QStringList a = {Femcy->r1a->text(), Femcy->r2a->text(), Femcy->r3a->text(),
                           Femcy->r9a->text(), Femcy->r4a->text(), Femcy->r5a->text(),
                           Femcy->r6a->text(), Femcy->r7a->text(), Femcy->r8a->text()};
    EXPECT_EQ(a, (QStringList{"No traslate ID CANA", "Error code byte  HIGH", "Error code byte LOW",
                              "Error Reg", "Manu1 byte HIGH", "Manu1 byte LOW", "Manu2 byte HIGH",
                              "Manu2 byte LOW", "Manu3"}));
    EXPECT_EQ(Femcy->r1b->text(), "No traslate ID CANB");
    EXPECT_EQ(Femcy->r5b->text(), "Manu1 byte LOW");
    EXPECT_EQ(Femcy->RGa->title(), "Allias use");
    EXPECT_EQ(Femcy->ModifyA->text(), "Modify ENCY");
    EXPECT_EQ(Femcy->ModifyB->text(), "Modify EMCY");
    EXPECT_EQ(Femcy->size(), QSize(553, 556));
}

TEST_F(EmcyWindow, OkWithALineThatIsNoIntegerWritesNothingAndKeepsTheEdits) {
    NewDefinition(false, "3");
    Femcy->LBCanA->setCurrentRow(-1);
    Femcy->LBCanA->clearSelection();
    NewDefinition(false, "three");
    QTest::mouseClick(Femcy->LbButton1, Qt::LeftButton);
    EXPECT_EQ(prompts.Errors(), QStringList{"'three' is not a valid integer value"});
    EXPECT_FALSE(gw::FileExists(emcydef));
    EXPECT_NE(Femcy->result(), QDialog::Accepted);
    EXPECT_TRUE(Femcy->isVisible());
    EXPECT_EQ(Lines(Femcy->LBCanA), (QStringList{"3", "three"}));
}

TEST_F(EmcyWindow, AnUnreadableDocumentIsReplacedOnlyWhenTheUserAgrees) {
    const std::string bad = "<emcydef><row id_dev='1' bypass_set='0'/><row id_dev='2'/></emcydef>";
    WriteFile(emcydef, bad);
    prompts.Clear();
    Femcy->FormShow();
    EXPECT_EQ(prompts.Messages(), QStringList{"Error in reading file XML"});
    EXPECT_EQ(Lines(Femcy->LBCanA), QStringList{"1"}); // the rows before the fault

    prompts.AnswerQuestion(false);
    QTest::mouseClick(Femcy->LbButton1, Qt::LeftButton);
    EXPECT_EQ(ReadFile(emcydef), bad);
    EXPECT_NE(Femcy->result(), QDialog::Accepted);
    ASSERT_EQ(prompts.All().back().kind, gwtest::Shown::Question);
    EXPECT_EQ(prompts.All().back().text.toStdString(),
              emcydef + " could not be read. Replace it with what is shown?");

    prompts.AnswerQuestion(true);
    QTest::mouseClick(Femcy->LbButton1, Qt::LeftButton);
    EXPECT_EQ(Femcy->result(), QDialog::Accepted);
    EXPECT_NE(ReadFile(emcydef).find("id_dev=\"1\""), std::string::npos);
}

TEST_F(EmcyWindow, Pictures) {
    const QString out = qEnvironmentVariable("GW_SHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP() << "GW_SHOT_DIR not set";
    WriteFile(emcydef, "<emcydef><row id_dev='3' mask_eq_ec='0x1000' bypass_set='5'/>"
                       "<row id_dev='12' bypass_set='39'/></emcydef>");
    Femcy->FormShow();
    Femcy->PageControl1->setCurrentIndex(0);
    QApplication::processEvents();
    EXPECT_TRUE(Femcy->grab().save(out + "/emcy_a.png"));
    Femcy->PageControl1->setCurrentIndex(1);
    QApplication::processEvents();
    EXPECT_TRUE(Femcy->grab().save(out + "/emcy_b.png"));
}

} // namespace
