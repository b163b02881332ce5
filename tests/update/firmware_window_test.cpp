// The firmware window driven as a user would: shown over a project, Execute
// clicked, and a stand-in flash writer that records what it was given.
#include "app/UBrinvaleFirmWare.h"
#include "app/project_globals.h"
#include "app/windows.h"
#include "extras/SELstringhe.h"
#include "gateway/Upargen.h"
#include "support/control_text.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"
#include "ui/look.h"
#include "ui/run_and_wait_qt.h"
#include "update/ModifyFileSx.h"
#include "update/firmware_fixture.h"
#include "update/temp_project.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace gw;
using gwtest::BankBytes;
using gwtest::BankRange;
using gwtest::MakeFirmware;
using gwtest::ReadFile;
using gwtest::WriteFile;

namespace {

const std::string kPilcrow = "\xC2\xB6";

// What the user sees: the corner of the bank's box in red.
bool PaintedRed(TFModifyFileSx& w, int stage) {
    QCheckBox* box = w.BankBox(stage);
    return box->grab().toImage().pixelColor(box->width() - 1, 0) == QColor(255, 0, 0);
}

class FirmwareWindow : public ::testing::Test {
protected:
    FirmwareWindow() {
        std::filesystem::create_directories(Project.MasterDir);
        for (int stage = 1; stage <= 5; ++stage)
            WriteFile(Bin("bank" + std::to_string(stage) + ".bin"), BankBytes(stage));
        WriteSource(MakeFirmware({BankRange(1), BankRange(2), BankRange(3), BankRange(5)}));
    }

    std::string Bin(const std::string& name) const { return Project.ProjectDir + "/bin/" + name; }
    std::string NewFile() const { return Project.ProjectDir + "/New_sx58204.sx"; }
    void WriteSource(const std::string& text) { WriteFile(dir / "MASTER/sx58204.sx", text); }

    // A stand-in flash writer beside the executable that writes its arguments,
    // one a line, to args.txt.
    void WriteFlashWriter() {
        const std::string path = FlashWriterProgramPath(dir.Path());
        WriteFile(path, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$(dirname "
                        "\"$0\")/args.tmp\"\nmv \"$(dirname \"$0\")/args.tmp\" \"$(dirname "
                        "\"$0\")/args.txt\"\n");
        chmod(path.c_str(), 0755);
    }
    // What the flash writer received; empty when it did not run within a while.
    std::string FlashWriterArguments(int waitMs = 5000) {
        const std::string args = dir / "args.txt";
        for (int waited = 0; waited < waitMs && !std::filesystem::exists(args); waited += 20)
            QTest::qWait(20);
        return std::filesystem::exists(args) ? ReadFile(args) : std::string();
    }

    // What the build makes of the source with banks 1 and 2, by the core alone.
    std::string BuiltByTheCore() {
        gwtest::TempDir other;
        WriteFile(other / "src.sx", ReadFile(dir / "MASTER/sx58204.sx"));
        BuildFirmwareImage({other.Path(), Project.ProjectDir + "/bin", "new.sx"}, other / "src.sx",
                           {true, true, false, false, false});
        return ReadFile(other / "new.sx");
    }

    gwtest::TempDir dir;
    gwtest::TempProject project{dir};
    gwtest::ScriptedPrompts prompts;
    TFModifyFileSx w;
};

TEST_F(FirmwareWindow, ShowPreparesTheWindow) {
    // Leftovers of an earlier showing that the show resets.
    w.cbport->setCurrentIndex(4);
    w.Avanzamento->setValue(40);
    w.Cbbank2->setChecked(false);
    w.OptionsClick();
    w.show();
    QApplication::processEvents();

    EXPECT_EQ(w.windowTitle(), "Generate Firmware");
    EXPECT_EQ(w.size(), QSize(430, 224));
    EXPECT_EQ(w.palette().color(QPalette::Window), QColor(0xF8, 0xF7, 0xED));
    const QRect screen = w.screen()->geometry();
    EXPECT_EQ(w.frameGeometry().center().x(), screen.center().x());
    EXPECT_EQ(w.frameGeometry().bottom() + 1, screen.top() + screen.height() / 2);

    struct Item {
        QWidget* widget;
        QString text;
        bool shown;
    };
    const std::vector<Item> items = {
        {w.LbButton1, "X", true},
        {w.LbButton2, "Execute update firmware", true},
        {w.cbport, "COM1", true},
        {w.Avanzamento, "", true},
        {w.GbBank, "", false},
        {w.Options, "Options >>", false},
        {w.DirFileBin, "Directory File Bin", false},
        {w.OpenFile, "Open Firmware", false},
        {w.Label3, "Name new Firmware:", false},
        {w.NewFileSx, "New_sx58204.sx", false},
        {w.ExeModFileSx, "Execute Modify File Sx", false},
        {w.ExeUpdateFir, "Execute update firmware", false},
    };
    for (const Item& it : items) {
        SCOPED_TRACE(it.widget->objectName().toStdString());
        EXPECT_EQ(gwtest::ControlText(it.widget), it.text);
        EXPECT_EQ(it.widget->isVisible(), it.shown);
        EXPECT_TRUE(w.rect().contains(it.widget->geometry())) << "inside the window";
    }
    ASSERT_EQ(w.cbport->count(), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(w.cbport->itemText(i), QString("COM%1").arg(i + 1));
    EXPECT_EQ(w.Avanzamento->value(), 0);
    EXPECT_TRUE(w.LbButton2->isEnabled());

    // Banks 1 and 2 only, checked, in the normal colour.
    for (int stage = 1; stage <= 5; ++stage) {
        SCOPED_TRACE(stage);
        EXPECT_EQ(w.BankBox(stage)->text(), QString("Bank %1").arg(stage));
        EXPECT_EQ(w.BankBox(stage)->isVisibleTo(w.GbBank), stage <= 2);
        EXPECT_FALSE(PaintedRed(w, stage));
    }
    EXPECT_TRUE(w.Cbbank2->isChecked());

    EXPECT_EQ(w.SourceSxDir, Project.MasterDir);
    EXPECT_EQ(w.SourceSxName, "sx58204.sx");
    EXPECT_EQ(w.NewSxName, "New_sx58204.sx");
    EXPECT_EQ(w.OutputDir, Project.ProjectDir + "/");
    EXPECT_EQ(w.BinDir, Project.ProjectDir + "/bin/");
    EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join("|").toStdString();
    w.hide();
}

TEST_F(FirmwareWindow, OptionsShowAndHideTheBanksAndTheBinFolder) {
    w.show();
    w.OptionsClick();
    EXPECT_TRUE(w.GbBank->isVisible());
    EXPECT_TRUE(w.DirFileBin->isVisible());
    EXPECT_EQ(w.Options->text(), "<< Options");
    w.OptionsClick();
    EXPECT_FALSE(w.GbBank->isVisible());
    EXPECT_FALSE(w.DirFileBin->isVisible());
    EXPECT_EQ(w.Options->text(), "Options >>");
    w.hide();
}

TEST_F(FirmwareWindow, AMissingFirmwareKeepsExecuteDisabled) {
    std::filesystem::remove(dir / "MASTER/sx58204.sx");
    w.FormShow();
    EXPECT_EQ(prompts.Errors(), QStringList{kMsgFirmwareFileNotFound});
    EXPECT_FALSE(w.LbButton2->isEnabled());

    prompts.Clear();
    std::filesystem::remove_all(dir / "MASTER");
    w.FormShow();
    EXPECT_EQ(prompts.Errors(), QStringList{kMsgFirmwareDirNotFound});
    EXPECT_FALSE(w.LbButton2->isEnabled());
}

TEST_F(FirmwareWindow, ExecuteBuildsBanksOneAndTwoAndStartsTheFlashWriter) {
    WriteFlashWriter();
    w.show();
    QApplication::processEvents();
    w.cbport->setFocus();
    QTest::keyClick(w.cbport, Qt::Key_Down);
    QTest::keyClick(w.cbport, Qt::Key_Down);
    ASSERT_EQ(w.cbport->currentText(), "COM3");
    QTest::mouseClick(w.LbButton2, Qt::LeftButton);

    EXPECT_EQ(FlashWriterArguments(), NewFile() + kPilcrow + "2\n");
    EXPECT_EQ(w.FlashWriterCommandLine, "\"" + NewFile() + "\"" + kPilcrow + "2");
    EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join("|").toStdString();
    // Banks 3 to 5 are hidden, so their stages pass the file on.
    EXPECT_EQ(ReadFile(NewFile()), BuiltByTheCore());
    const std::string built = ReadFile(NewFile());
    EXPECT_NE(built.find(BankRecords(2, BankBytes(2))), std::string::npos);
    std::vector<std::uint8_t> bank3;
    for (std::uint32_t a = 0x3A8000; a < 0x3A8020; ++a)
        bank3.push_back(gwtest::FirmwareByte(a));
    EXPECT_NE(built.find(gwtest::S2Line(0x3A8000, bank3) + "\r\n"), std::string::npos);
    EXPECT_EQ(w.Avanzamento->value(), w.Avanzamento->maximum());
    for (int stage = 1; stage <= 5; ++stage)
        EXPECT_FALSE(PaintedRed(w, stage));
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(Project.ProjectDir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"New_sx58204.sx", "bin"}));
    w.hide();
}

TEST_F(FirmwareWindow, ABankNotInTheFirmwareTurnsRed) {
    // Only bank 3's range: banks 1 and 2 are not found, the file is copied as it is.
    const std::string source = MakeFirmware({{0x380000, 0x380400}, BankRange(3)}, "\r\n");
    WriteSource(source);
    WriteFlashWriter();
    w.FormShow();
    w.LbButton2Click();
    EXPECT_TRUE(PaintedRed(w, 1));
    EXPECT_TRUE(PaintedRed(w, 2));
    EXPECT_EQ(ReadFile(NewFile()), source);
    EXPECT_TRUE(prompts.Texts().isEmpty());
    EXPECT_NE(FlashWriterArguments(), "") << "a bank not found is no failure";

    // The next build starts from the normal colour.
    WriteSource(MakeFirmware({BankRange(1)}));
    w.ExeModFileSxClick();
    EXPECT_FALSE(PaintedRed(w, 1));
    EXPECT_TRUE(PaintedRed(w, 2));
    EXPECT_TRUE(w.ExeModFileSx->isEnabled());
}

TEST_F(FirmwareWindow, AFailedBuildStartsNothing) {
    WriteFlashWriter();
    WriteFile(NewFile(), "from an earlier run");
    const struct {
        const char* what;
        std::function<void()> breakIt;
        QString message;
    } cases[] = {
        {"bank file missing", [&] { std::filesystem::remove(Bin("bank2.bin")); },
         "File bank2.bin Not Found,Abort Procedure"},
        {"no end record", [&] { WriteSource(MakeFirmware({BankRange(1)}, "\n", 32, false)); },
         kMsgNewSxNotCreated},
        {"bin folder missing", [&] { std::filesystem::remove_all(Project.ProjectDir + "/bin"); },
         kMsgBinDirNotFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        prompts.Clear();
        c.breakIt();
        w.FormShow();
        w.LbButton2Click();
        EXPECT_EQ(prompts.Messages(), QStringList{c.message});
        EXPECT_EQ(FlashWriterArguments(300), "");
        EXPECT_EQ(ReadFile(NewFile()), "from an earlier run");
        for (int stage = 1; stage <= 5; ++stage)
            EXPECT_FALSE(std::filesystem::exists(Project.ProjectDir + "/" + StageFileName(stage)));
    }
}

TEST_F(FirmwareWindow, LaunchReportsWhatIsMissing) {
    w.FormShow();
    w.ExeUpdateFirClick();
    EXPECT_EQ(prompts.Messages(), QStringList{kMsgSxNotFound});

    prompts.Clear();
    WriteFile(NewFile(), "S9030000FC\r\n");
    w.ExeUpdateFirClick();
    EXPECT_EQ(prompts.Messages(),
              QStringList{QString::fromStdString(FlashWriterNotFoundMessage())});

    prompts.Clear();
    const std::string program = FlashWriterProgramPath(dir.Path());
    WriteFile(program, "not a program"); // present but not executable
    w.ExeUpdateFirClick();
    EXPECT_EQ(prompts.Messages(), QStringList{CannotStartText(program)});
}

TEST_F(FirmwareWindow, OpenFirmwareBinFolderAndNewName) {
    std::filesystem::create_directories(dir / "other/banks");
    WriteFile(dir / "other/fw.Sx", MakeFirmware({BankRange(1), BankRange(2)}));
    for (int stage = 1; stage <= 2; ++stage)
        WriteFile(dir / ("other/banks/bank" + std::to_string(stage) + ".bin"), BankBytes(5));
    w.FormShow();
    prompts.AnswerFile(QString::fromStdString(dir / "other/fw.Sx"));
    w.OpenFileClick();
    prompts.AnswerFile(QString::fromStdString(dir / "other/banks"));
    w.DirFileBinClick();

    ASSERT_EQ(prompts.All().size(), 2u);
    const gwtest::Shown& open = prompts.All()[0];
    EXPECT_EQ(open.kind, gwtest::Shown::OpenFile);
    EXPECT_EQ(open.folder.toStdString(), Project.MasterDir);
    EXPECT_EQ(open.filter, "File Sx (*.Sx)|*.Sx");
    const gwtest::Shown& folder = prompts.All()[1];
    EXPECT_EQ(folder.kind, gwtest::Shown::Folder);
    EXPECT_EQ(folder.text, "Select Directory Bin");
    EXPECT_EQ(folder.extra.toStdString(), Project.ProjectDir);

    EXPECT_EQ(w.SourceSxName, "fw.Sx");
    EXPECT_EQ(w.NewFileSx->text(), "New_fw.Sx");
    EXPECT_EQ(w.BinDir, dir / "other/banks/");
    EXPECT_TRUE(w.LbButton2->isEnabled());

    w.NewFileSx->show();
    w.NewFileSx->setFocus();
    QTest::keyClick(w.NewFileSx, Qt::Key_End);
    QTest::keyClicks(w.NewFileSx, "2");
    EXPECT_EQ(w.NewSxName, "New_fw.Sx2");
    EXPECT_TRUE(w.BuildFirmwareImage());
    const std::string built = ReadFile(Project.ProjectDir + "/New_fw.Sx2");
    EXPECT_NE(built.find(BankRecords(2, BankBytes(5))), std::string::npos);

    // Without MASTER the file dialog starts beside the executable.
    std::filesystem::remove_all(Project.MasterDir);
    prompts.Clear();
    prompts.CancelFile();
    w.OpenFileClick();
    EXPECT_EQ(prompts.All().at(0).folder.toStdString(), Project.ExeDir);
    EXPECT_EQ(w.SourceSxName, "fw.Sx");
}

TEST_F(FirmwareWindow, ALongBuildShowsItsProgressAndCancelStopsIt) {
    WriteFlashWriter();
    WriteFile(NewFile(), "from an earlier build");
    w.show();
    QApplication::processEvents();
    w.ProgressAfterMs = 0; // as if the build had taken long already
    QString shown;
    QTimer::singleShot(0, &w, [&] {
        if (auto* note = w.findChild<QProgressDialog*>()) {
            shown = note->labelText();
            // GW_SHOT_DIR names a folder to keep a picture of it in.
            if (const QString out = qEnvironmentVariable("GW_SHOT_DIR"); !out.isEmpty())
                note->grab().save(out + "/firmware_progress.png");
            note->cancel();
        }
    });
    QTest::mouseClick(w.LbButton2, Qt::LeftButton); // build, then launch
    EXPECT_EQ(shown, "Building the new firmware...");
    EXPECT_TRUE(prompts.Texts().isEmpty()) << "the user's own Cancel needs no message";
    EXPECT_TRUE(ReadFile(NewFile()) == "from an earlier build");
    EXPECT_EQ(FlashWriterArguments(300), "") << "a cancelled build launches nothing";
    EXPECT_TRUE(w.LbButton2->isEnabled());
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(Project.ProjectDir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"New_sx58204.sx", "bin"}));

    w.ProgressAfterMs = 60000; // a quick build shows no dialog and goes through
    EXPECT_TRUE(w.BuildFirmwareImage());
    EXPECT_TRUE(ReadFile(NewFile()) == BuiltByTheCore());
    w.hide();
}

TEST_F(FirmwareWindow, WithoutAProjectNothingIsWritten) {
    Project.ProjectDir = "";
    w.FormShow();
    prompts.Clear();
    w.LbButton2Click();
    EXPECT_EQ(prompts.Messages(), QStringList{"Project not valid"});
    EXPECT_FALSE(std::filesystem::exists("/New_sx58204.sx"));
}

TEST(FirmwareWindowPlace, CreatedAtStartBetweenThePickerAndTheParameters) {
    gwtest::TempDir exe;
    gwtest::ScriptedPrompts prompts;
    const ProjectPaths saved = Project;
    CreateAllWindows(exe.Path());
    const QList<QDialog*> windows =
        FBrinvaleFirmWare->findChildren<QDialog*>(Qt::FindDirectChildrenOnly);
    const auto at = [&](QDialog* d) { return windows.indexOf(d); };
    ASSERT_NE(FModifyFileSx, nullptr);
    EXPECT_EQ(at(FModifyFileSx), at(FSELstringhe) + 1);
    EXPECT_EQ(at(Fpargen), at(FModifyFileSx) + 1);
    EXPECT_FALSE(FModifyFileSx->isVisible());
    DestroyAllWindows();
    EXPECT_EQ(FModifyFileSx, nullptr);
    Project = saved;
}

} // namespace

// Saves the window with and without its options when GW_SHOT_DIR names a folder.
TEST_F(FirmwareWindow, PicturesWithAndWithoutOptions) {
    const QString out = qEnvironmentVariable("GW_SHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP() << "GW_SHOT_DIR not set";
    w.show();
    w.Avanzamento->setMaximum(100);
    w.Avanzamento->setValue(60);
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(out + "/firmware.png"));
    w.OptionsClick();
    w.Options->show();
    WriteSource(MakeFirmware({BankRange(1)})); // bank 2 is not found: its box turns red
    w.BuildFirmwareImage();
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(out + "/firmware_options.png"));
    w.hide();
}
