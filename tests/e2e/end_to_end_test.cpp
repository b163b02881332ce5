// An installer's whole session, through the real windows: a new project, the
// communication parameters, one receive and one send frame, Update Device, and
// the wizard's Connect, Next and Execute update firmware with a stand-in updater.
#include "app/UBrinvaleFirmWare.h"
#include "app/Unewp.h"
#include "app/project_globals.h"
#include "app/windows.h"
#include "gateway/USetPdo.h"
#include "gateway/USetVar.h"
#include "gateway/Upargen.h"
#include "output/bank_image.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"
#include "ui/frame_table.h"
#include "update/UBootSer.h"
#include "update/pty.h"
#include "update/pty_modem_devices.h"
#include "update/run_and_wait.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace gw;

namespace {

// Runs `steps` inside the modal loop that `open` starts.
void InModal(QPushButton* open, std::function<void()> steps) {
    QTimer::singleShot(0, std::move(steps));
    open->click();
}

void TypeRow(QTableWidget* grid, int row, const QStringList& cells) {
    for (int c = 0; c < cells.size(); ++c)
        SetFrameCellText(grid, c + 1, row, cells[c]);
}

TEST(EndToEnd, NewProjectToUpdaterLaunch) {
    gwtest::TempDir exe;
    gwtest::ScriptedPrompts prompts;
    gwtest::Pty pty;
    auto modem = std::make_shared<gwtest::PtyModemDevices>();
    CreateAllWindows(exe.Path());
    TFBrinvaleFirmWare* main = FBrinvaleFirmWare;

    const std::string updater = UpdaterProgramPath(exe.Path());
    gwtest::WriteFile(updater, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > "
                               "\"$(dirname \"$0\")/args.txt\"\n");
    ::chmod(updater.c_str(), 0755);

    InModal(main->New, [] {
        Fsaveproj->Edit1->setText("Pump");
        Fsaveproj->bitbtn1->click();
    });
    const std::string project = exe / "PROJECTS/Pump";
    ASSERT_EQ(Project.ProjectDir, project);

    InModal(main->btn_Prm_Gen, [] { Fpargen->bitbtn1->click(); });
    EXPECT_EQ(gwtest::ReadFile(project + "/pargen.xml"),
              "<Par_Gen><Can_Baud>5</Can_Baud><Can_Type>1</Can_Type><Can_Send_Data>1</"
              "Can_Send_Data><Can_Send_Time>100</Can_Send_Time><Can_TO>10</Can_TO><Profi_ID>1</"
              "Profi_ID><Profi_Baud>10</Profi_Baud><Profi_Frames>0</Profi_Frames></Par_Gen>");

    InModal(main->btn_Sdo, [] {
        TypeRow(FSetVar->sga, 1, {"$181", "8", "0x00", "N", "Motor speed"});
        FSetVar->bitbtn1->click();
    });
    EXPECT_EQ(gwtest::ReadFile(project + "/sdo.xml"),
              "<Profibus_to_Receive_CAN><Receive_Frames><row Cob_Id=\"$181\" Dimension=\"8\" "
              "Swap=\"0x00\" Delete=\"N\" Mnemonic=\"Motor speed\"/></Receive_Frames>"
              "</Profibus_to_Receive_CAN>");

    InModal(main->Btn_SetPDO, [] {
        TypeRow(FSetPdo->sga, 1, {"513", "4", "", "Valve"});
        FSetPdo->LbButton4->click();
    });
    EXPECT_EQ(gwtest::ReadFile(project + "/pdo.xml"),
              "<Profibus_to_Send_CAN><Send_Frames><row Cob_Id=\"513\" Dimension=\"4\" Swap=\"\" "
              "Mnemonic=\"Valve\"/></Send_Frames></Profibus_to_Send_CAN>");

    std::string bankWhenWizardOpened;
    InModal(main->CreateBin, [&] {
        bankWhenWizardOpened = gwtest::ReadFile(project + "/bin/bank.bin");
        FBootSer->Comm1.SetDeviceLayer(modem);
        FBootSer->SelectPort(QString::fromStdString(pty.Path()));
        FBootSer->LbButton1->click(); // Connect
        FBootSer->LbButton2->click(); // Next
        FBootSer->LbButton4->click(); // Execute update firmware
        FBootSer->LbButton3->click(); // close
    });

    EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join(" | ").toStdString();
    EXPECT_EQ(gwtest::ReadFile(exe / "args.txt"), pty.Path() + "\nFW\nFR\nPW\nPR\n" + exe.Path() +
                                                      "/MASTER/sim40931.sim\n" + project +
                                                      "/bin/\n");
    // The image the updater finds is the one of the documents the editors wrote.
    const std::string bank = gwtest::ReadFile(project + "/bin/bank.bin");
    EXPECT_EQ(bank, bankWhenWizardOpened);
    EXPECT_EQ(bank, BuildBankImage(project).Bytes);
    EXPECT_NE(bank.find(std::string("\x81\x01", 2)), std::string::npos) << "Cob-ID $181";
    EXPECT_NE(bank.find(std::string("\x01\x02", 2)), std::string::npos) << "Cob-ID 513";
    EXPECT_FALSE(FBootSer->Comm1.PortIsOpen());

    main->close();
    EXPECT_EQ(gwtest::ReadFile(exe / "Brinvale_ZOZ2Adovi.ini"),
              "[lastproj]\r\nprojectname=Pump\r\n");
    DestroyAllWindows();
}

} // namespace
