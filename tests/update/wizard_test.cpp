// The update wizard driven as a user would: Connect, Next, the options, and the
// launch of a stand-in updater that records what it was given.
#include "app/project_globals.h"
#include "support/control_text.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"
#include "ui/run_and_wait_qt.h"
#include "update/UBootSer.h"
#include "update/pty.h"
#include "update/pty_modem_devices.h"
#include "update/temp_project.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/stat.h>

using namespace gw;
using gwtest::Pty;

namespace {

class Wizard : public ::testing::Test {
protected:
    Wizard() { w.FormShow(); }

    // A stand-in updater beside the executable.
    void WriteUpdater(const std::string& body) {
        const std::string path = UpdaterProgramPath(dir.Path());
        gwtest::WriteFile(path, "#!/bin/sh\n" + body);
        chmod(path.c_str(), 0755);
    }

    // Connect works on a pseudo-terminal through a device that takes DTR.
    void UsePty() {
        w.Comm1.SetDeviceLayer(modem);
        w.SelectPort(QString::fromStdString(pty.Path()));
    }

    bool OnPage2() const { return w.Panel1->isVisibleTo(&w); }

    gwtest::TempDir dir;
    gwtest::TempProject project{dir};
    gwtest::ScriptedPrompts prompts;
    Pty pty;
    std::shared_ptr<gwtest::PtyModemDevices> modem = std::make_shared<gwtest::PtyModemDevices>();
    TFBootSer w;
};

TEST_F(Wizard, LayoutAndCaptions) {
    EXPECT_EQ(w.windowTitle(), "Update Firmware from Serial (RS232)");
    EXPECT_EQ(w.size(), QSize(358, 210));
    struct Item {
        QWidget* widget;
        QString text;
        QRect place; // width/height 0: not fixed
    };
    const std::vector<Item> items = {
        {w.Label1, "Follow this step to update the HD40931 from RS232:", {8, 8, 0, 0}},
        {w.Label2, "1 - Turn OFF the Device", {24, 32, 0, 0}},
        {w.Label3, "2 - Insert the Boot Jumper (see the manual)", {24, 56, 0, 0}},
        {w.Label4, "3 - Select the  COM port and press the connect button", {24, 80, 0, 0}},
        {w.CB_Com, "COM1", {44, 96, 101, 0}},
        {w.LbButton1, "Connect", {152, 96, 81, 21}},
        {w.Label5, "4 - Turn ON the Device", {24, 128, 0, 0}},
        {w.Label6, "5 - Check the BOOT led. It must blink quickly", {24, 152, 0, 0}},
        {w.LbButton3, "Cancel", {24, 176, 100, 23}},
        {w.LbButton2, "Next", {128, 176, 100, 23}},
        {w.Panel1, "", {0, 0, 353, 209}},
        {w.Label7, "Update Device Options", {8, 8, 0, 0}},
        {w.CB_Firm, "Firmware", {16, 32, 0, 0}},
        {w.CB_RFirm, "Read Firmware when finish", {64, 56, 0, 0}},
        {w.CB_Proj, "Project", {16, 88, 0, 0}},
        {w.CB_RProj, "Read Project when finish", {64, 112, 0, 0}},
        {w.LbButton4, "Execute update firmware", {8, 174, 169, 23}},
    };
    for (const auto& it : items) {
        SCOPED_TRACE(it.widget->objectName().toStdString());
        EXPECT_EQ(gwtest::ControlText(it.widget), it.text);
        EXPECT_EQ(it.widget->pos(), it.place.topLeft());
        if (it.place.width()) {
            EXPECT_EQ(it.widget->width(), it.place.width());
        }
        if (it.place.height()) {
            EXPECT_EQ(it.widget->height(), it.place.height());
        }
    }
    for (auto* c : {w.CB_Firm, w.CB_RFirm, w.CB_Proj, w.CB_RProj})
        EXPECT_TRUE(c->isChecked());
    ASSERT_GE(w.CB_Com->count(), 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(w.CB_Com->itemText(i), QString("COM%1").arg(i + 1));
    EXPECT_FALSE(OnPage2());
}

TEST_F(Wizard, APortThatCannotOpenKeepsThePageOne) {
    w.SelectPort(QString::fromStdString(dir / "no-such-port"));
    w.LbButton1Click();
    w.LbButton2Click();
    EXPECT_EQ(prompts.Errors(),
              QStringList({"Error!! Com Port cannot be open.", "Select one port."}));
    EXPECT_FALSE(w.PortTested);
    EXPECT_FALSE(OnPage2());
    EXPECT_TRUE(w.Label1->isVisibleTo(&w));
}

TEST_F(Wizard, AnOpenPortWithoutModemLinesIsNotTested) {
    w.SelectPort(QString::fromStdString(pty.Path())); // the real device layer: DTR refused
    w.LbButton1Click();
    EXPECT_EQ(prompts.Errors(), QStringList{"Error!! Com Port cannot be open."});
    EXPECT_FALSE(w.PortTested);
}

TEST_F(Wizard, ConnectTwiceThenNextFreesThePort) {
    UsePty();
    w.LbButton1Click();
    EXPECT_TRUE(w.PortTested);
    EXPECT_TRUE(modem->dtr);
    w.LbButton1Click(); // closes and reopens
    EXPECT_TRUE(prompts.Errors().isEmpty()) << prompts.Errors().join("|").toStdString();
    EXPECT_TRUE(w.PortTested);
    EXPECT_EQ(modem->opens, 2);
    EXPECT_TRUE(w.Comm1.PortIsOpen());
    EXPECT_EQ(w.Comm1.DeviceName(), pty.Path());

    w.LbButton2Click();
    EXPECT_TRUE(prompts.Errors().isEmpty());
    EXPECT_TRUE(OnPage2());
    EXPECT_FALSE(w.Label1->isVisibleTo(&w));
    EXPECT_FALSE(w.Comm1.PortIsOpen()) << "the updater needs the port";

    // Every show starts again on page 1 with the port untested; choices stay.
    w.CB_RProj->setChecked(false);
    w.FormShow();
    EXPECT_FALSE(OnPage2());
    EXPECT_FALSE(w.PortTested);
    EXPECT_TRUE(w.Label6->isVisibleTo(&w));
    EXPECT_EQ(w.CB_Com->currentText().toStdString(), pty.Path());
    EXPECT_FALSE(w.CB_RProj->isChecked());
}

TEST_F(Wizard, ConnectOnTheMachinesSerialPort) {
    if (access("/dev/ttyS0", F_OK) != 0)
        GTEST_SKIP() << "no /dev/ttyS0";
    w.SelectPort("COM1");
    w.LbButton1Click();
    if (!w.PortTested)
        GTEST_SKIP() << "COM1 cannot be opened here";
    w.LbButton1Click();
    EXPECT_TRUE(prompts.Errors().isEmpty());
    EXPECT_TRUE(w.PortTested);
    w.LbButton2Click();
    EXPECT_TRUE(OnPage2());
    EXPECT_FALSE(w.Comm1.PortIsOpen());
}

TEST_F(Wizard, APulledAdapterIsReportedAndConnectWorksAgain) {
    UsePty();
    w.LbButton1Click();
    ASSERT_TRUE(w.PortTested);
    pty.CloseMaster();
    QElapsedTimer clock;
    clock.start();
    while (prompts.Errors().isEmpty() && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(prompts.Errors(), QStringList{PortLostText(QString::fromStdString(pty.Path()))});
    EXPECT_EQ(PortLostText("COM3"), "Error!! Com Port COM3 is no longer available. Check the "
                                    "cable and press Connect again.");
    EXPECT_FALSE(w.PortTested);
    EXPECT_FALSE(w.Comm1.PortIsOpen());

    prompts.Clear();
    w.LbButton2Click();
    EXPECT_EQ(prompts.Errors(), QStringList{"Select one port."});
    EXPECT_FALSE(OnPage2());

    Pty replugged;
    prompts.Clear();
    w.SelectPort(QString::fromStdString(replugged.Path()));
    w.LbButton1Click();
    EXPECT_TRUE(w.PortTested);
    EXPECT_TRUE(prompts.Errors().isEmpty());
    w.LbButton2Click();
    EXPECT_TRUE(OnPage2());
}

TEST_F(Wizard, ClosingTheWizardClosesThePort) {
    UsePty();
    w.LbButton1Click();
    ASSERT_TRUE(w.Comm1.PortIsOpen());
    QTimer::singleShot(0, &w, [this] { w.LbButton3Click(); });
    EXPECT_EQ(w.exec(), QDialog::Rejected);
    EXPECT_FALSE(w.Comm1.PortIsOpen());

    w.LbButton1Click();
    ASSERT_TRUE(w.Comm1.PortIsOpen());
    QTimer::singleShot(0, &w, [this] { w.close(); }); // the close box
    w.exec();
    EXPECT_FALSE(w.Comm1.PortIsOpen());
}

TEST_F(Wizard, ParameterTextForAllAndNoOptions) {
    w.SelectPort("COM3");
    EXPECT_EQ(w.ParameterText(), "COM3 FW FR PW PR \"" + dir.Path() + "/MASTER/sim40931.sim\" \"" +
                                     dir.Path() + "/PROJECTS/Pump Two/bin/\"");
    for (auto* c : {w.CB_Firm, w.CB_RFirm, w.CB_Proj, w.CB_RProj})
        c->setChecked(false);
    EXPECT_EQ(w.ParameterText(), "COM3 NO NO NO NO \"" + dir.Path() + "/MASTER/sim40931.sim\" \"" +
                                     dir.Path() + "/PROJECTS/Pump Two/bin/\"");
}

TEST_F(Wizard, TheUpdaterReceivesThePortOptionsAndPaths) {
    WriteUpdater(
        "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$(dirname \"$0\")/args.txt\"\n");
    UsePty();
    w.LbButton1Click();
    w.LbButton2Click();
    w.CB_RFirm->setChecked(false);
    QElapsedTimer clock;
    clock.start();
    w.LbButton4Click();
    EXPECT_LT(clock.elapsed(), 3000) << "an updater that ends at once ends the wait";
    EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join("|").toStdString();
    EXPECT_EQ(gwtest::ReadFile(dir / "args.txt"), pty.Path() + "\nFW\nNO\nPW\nPR\n" + dir.Path() +
                                                      "/MASTER/sim40931.sim\n" + dir.Path() +
                                                      "/PROJECTS/Pump Two/bin/\n");
    EXPECT_EQ(w.UpdaterCommandLine, w.ParameterText());
    EXPECT_TRUE(OnPage2()) << "the wizard stays on page 2";
}

// An installed program cannot have the updater beside it; the user's data
// folder holds it. One beside the executable still comes first.
TEST_F(Wizard, TheUpdaterIsLookedForBesideTheExecutableThenInTheDataFolder) {
    gwtest::TempDir data;
    Project.DataDir = data.Path();
    const std::string inData = data / kUpdaterName;
    gwtest::WriteFile(inData, "#!/bin/sh\necho data > \"$(dirname \"$0\")/ran\"\n");
    chmod(inData.c_str(), 0755);
    w.LbButton4Click();
    EXPECT_EQ(gwtest::ReadFile(data / "ran"), "data\n");

    WriteUpdater("echo exe > \"$(dirname \"$0\")/ran\"\n");
    w.LbButton4Click();
    EXPECT_EQ(gwtest::ReadFile(dir / "ran"), "exe\n");
    EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join("|").toStdString();
}

TEST_F(Wizard, AnUpdaterThatNeverEndsIsLeftRunningAtTheLimit) {
    WriteUpdater("echo $$ > \"$(dirname \"$0\")/pid\"\nexec sleep 60\n");
    w.UpdaterWaitLimitMs = 400;
    bool timerRan = false;
    QTimer::singleShot(100, [&] { timerRan = true; });
    QElapsedTimer clock;
    clock.start();
    w.LbButton4Click();
    const qint64 waited = clock.elapsed();
    EXPECT_GE(waited, 400);
    EXPECT_LT(waited, 3000);
    EXPECT_TRUE(timerRan) << "the event loop runs during the wait";
    EXPECT_TRUE(prompts.Texts().isEmpty());
    const pid_t pid = std::stoi(gwtest::ReadFile(dir / "pid"));
    EXPECT_EQ(kill(pid, 0), 0) << "the updater keeps running";
    kill(pid, SIGKILL);
}

TEST_F(Wizard, AnUpdaterThatCannotStartIsReported) {
    const std::string program = UpdaterProgramPath(dir.Path());
    w.LbButton4Click();
    EXPECT_EQ(prompts.Messages(), QStringList{CannotStartText(program)});
    EXPECT_EQ(CannotStartText(program), QString::fromStdString("Unable to start " + program));

    prompts.Clear();
    gwtest::WriteFile(program, "not a program"); // present but not executable
    w.LbButton4Click();
    EXPECT_EQ(prompts.Messages(), QStringList{CannotStartText(program)});
}

} // namespace

// Saves both pages as pictures when GW_SHOT_DIR names a folder, to look at.
TEST_F(Wizard, PicturesOfBothPages) {
    const QString out = qEnvironmentVariable("GW_SHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP() << "GW_SHOT_DIR not set";
    w.show();
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(out + "/page1.png"));
    UsePty();
    w.LbButton1Click();
    w.LbButton2Click();
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(out + "/page2.png"));
    w.hide();
}
