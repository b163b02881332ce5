#include "gateway/Upargen.h"

#include "common/file_io.h"
#include "gateway_window_fixture.h"
#include "ui/guard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

namespace {

using gw::Fpargen;
using gwtest::ReadFile;
using gwtest::WriteFile;

class PargenWindow : public gwtest::GatewayWindowTest {
protected:
    void SetUp() override {
        GatewayWindowTest::SetUp();
        Fpargen->setResult(0);
        Fpargen->FormShow();
    }
    // OK as the button runs it: inside the error boundary.
    void PressOk() {
        gw::Guarded(Fpargen, [] { Fpargen->BitBtn1Click(); });
    }
};

TEST_F(PargenWindow, NewProjectShowsDefaultsAndOkWritesThem) {
    EXPECT_EQ(Fpargen->CB_C_Baud->currentText(), "250K");
    EXPECT_TRUE(Fpargen->RB_C_Type_A->isChecked());
    EXPECT_TRUE(Fpargen->RB_C_Send_Change->isChecked());
    EXPECT_EQ(Fpargen->E_C_Send_Time->text(), "100");
    EXPECT_EQ(Fpargen->E_C_TO_time->text(), "10");
    EXPECT_EQ(Fpargen->E_Pro_ID->text(), "1");
    EXPECT_EQ(Fpargen->CB_Pro_Baud->currentText(), "Auto Baudrate");
    EXPECT_FALSE(Fpargen->CB_Pro_Baud->isEnabled());
    EXPECT_FALSE(Fpargen->CB_GDS->isChecked());

    PressOk();
    EXPECT_EQ(ReadFile(pargen),
              "<Par_Gen><Can_Baud>5</Can_Baud><Can_Type>1</Can_Type>"
              "<Can_Send_Data>1</Can_Send_Data><Can_Send_Time>100</Can_Send_Time>"
              "<Can_TO>10</Can_TO><Profi_ID>1</Profi_ID><Profi_Baud>10</Profi_Baud>"
              "<Profi_Frames>0</Profi_Frames></Par_Gen>");
    EXPECT_EQ(Fpargen->result(), QDialog::Accepted);
    EXPECT_TRUE(prompts.All().empty());
}

TEST_F(PargenWindow, EditsAreWrittenAsTypedAndReloaded) {
    Fpargen->CB_C_Baud->setCurrentIndex(7);
    Fpargen->RB_C_Type_B->setChecked(true);
    Fpargen->RB_C_Send_Every->setChecked(true);
    Fpargen->E_C_Send_Time->setText("0x3E8");
    Fpargen->E_Pro_ID->setText("$14");
    Fpargen->CB_GDS->setChecked(true);
    PressOk();
    EXPECT_EQ(ReadFile(pargen),
              "<Par_Gen><Can_Baud>8</Can_Baud><Can_Type>0</Can_Type>"
              "<Can_Send_Data>0</Can_Send_Data><Can_Send_Time>0x3E8</Can_Send_Time>"
              "<Can_TO>10</Can_TO><Profi_ID>$14</Profi_ID><Profi_Baud>10</Profi_Baud>"
              "<Profi_Frames>1</Profi_Frames></Par_Gen>");

    Fpargen->ShowFields(gw::PargenFields{});
    Fpargen->FormShow();
    EXPECT_EQ(Fpargen->CB_C_Baud->currentText(), "1000K");
    EXPECT_TRUE(Fpargen->RB_C_Type_B->isChecked());
    EXPECT_TRUE(Fpargen->RB_C_Send_Every->isChecked());
    EXPECT_EQ(Fpargen->E_Pro_ID->text(), "$14");
    EXPECT_TRUE(Fpargen->CB_GDS->isChecked());
}

TEST_F(PargenWindow, BaudOutsideTheListShowsNoSelectionAndOkWritesZero) {
    WriteFile(pargen, "<Par_Gen><Can_Baud>9</Can_Baud></Par_Gen>");
    Fpargen->FormShow();
    EXPECT_EQ(Fpargen->CB_C_Baud->currentIndex(), -1);
    PressOk();
    EXPECT_NE(ReadFile(pargen).find("<Can_Baud>0</Can_Baud>"), std::string::npos);
}

TEST_F(PargenWindow, OutOfRangeShowsOnlyTheFirstMessageAndKeepsTheDialogOpen) {
    struct Case {
        const char *sendTime, *timeOut, *profiId, *message;
    };
    const Case cases[] = {
        {"abc", "10", "1", gw::pargen::kMsgSendTime}, // checked in either send mode
        {"100", "10001", "0", gw::pargen::kMsgTimeOut},
        {"100", "10", "126", gw::pargen::kMsgProfiId},
        {"100", "10", "0", gw::pargen::kMsgProfiId},
        {"0", "-1", "0", gw::pargen::kMsgSendTime},
    };
    for (const Case& c : cases) {
        prompts.Clear();
        Fpargen->E_C_Send_Time->setText(c.sendTime);
        Fpargen->E_C_TO_time->setText(c.timeOut);
        Fpargen->E_Pro_ID->setText(c.profiId);
        PressOk();
        EXPECT_EQ(prompts.Errors(), QStringList{c.message}) << c.sendTime;
        EXPECT_FALSE(gw::FileExists(pargen));
        EXPECT_NE(Fpargen->result(), QDialog::Accepted);
        EXPECT_EQ(Fpargen->E_Pro_ID->text(), c.profiId); // the user's values stay
    }
    Fpargen->E_C_Send_Time->setText("65535");
    Fpargen->E_C_TO_time->setText("0");
    Fpargen->E_Pro_ID->setText("125");
    PressOk();
    EXPECT_EQ(Fpargen->result(), QDialog::Accepted);
}

TEST_F(PargenWindow, DocumentNotWellFormedKeepsTheValuesShownLast) {
    Fpargen->E_Pro_ID->setText("77");
    WriteFile(pargen, "<Par_Gen><Profi_ID>5</Profi_ID>");
    gw::Guarded(Fpargen, [] { Fpargen->FormShow(); });
    ASSERT_EQ(prompts.Errors().size(), 1);
    EXPECT_TRUE(prompts.Errors()[0].contains("line 1")) << prompts.Errors()[0].toStdString();
    EXPECT_EQ(Fpargen->E_Pro_ID->text(), "77");
}

TEST_F(PargenWindow, OkAsksBeforeReplacingADocumentThatCouldNotBeRead) {
    const std::string broken = "<Par_Gen><Profi_ID>5</Profi_ID>";
    WriteFile(pargen, broken);
    gw::Guarded(Fpargen, [] { Fpargen->FormShow(); });
    ExpectOkAsksBeforeReplacing(pargen, broken, Fpargen, [this] { PressOk(); });
    EXPECT_NE(ReadFile(pargen).find("<Profi_ID>1</Profi_ID>"), std::string::npos);

    // Read without fault on the next show: OK writes without asking.
    prompts.Clear();
    Fpargen->FormShow();
    PressOk();
    EXPECT_TRUE(prompts.All().empty());
}

TEST_F(PargenWindow, FolderThatHasGoneGivesTheSystemTextAndStaysOpen) {
    gw::Project.PargenPath = dir / "gone/pargen.xml";
    PressOk();
    ASSERT_EQ(prompts.Errors().size(), 1);
    EXPECT_TRUE(prompts.Errors()[0].contains("No such file or directory"))
        << prompts.Errors()[0].toStdString();
    EXPECT_NE(Fpargen->result(), QDialog::Accepted);
}

TEST_F(PargenWindow, CancelWritesNothing) {
    Fpargen->E_Pro_ID->setText("9");
    Fpargen->BitBtn2Click();
    EXPECT_EQ(Fpargen->result(), QDialog::Rejected);
    EXPECT_FALSE(gw::FileExists(pargen));

    WriteFile(pargen, "<Par_Gen><Profi_ID>5</Profi_ID></Par_Gen>");
    Fpargen->FormShow();
    Fpargen->E_Pro_ID->setText("9");
    Fpargen->BitBtn2Click();
    EXPECT_EQ(ReadFile(pargen), "<Par_Gen><Profi_ID>5</Profi_ID></Par_Gen>");
}

} // namespace
