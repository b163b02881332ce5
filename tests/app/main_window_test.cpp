#include "app/UBrinvaleFirmWare.h"
#include "app/Unewp.h"
#include "app/project_globals.h"
#include "app/windows.h"
#include "common/file_io.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"
#include "ui/clickable_label.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <filesystem>

#include <gtest/gtest.h>

using namespace gw;
using gwtest::ReadFile;
using gwtest::ScriptedPrompts;
using gwtest::TempDir;

namespace {

const QString kPrefix = QString::fromUtf8(kCaptionPrefix);

class MainWindowTest : public ::testing::Test {
protected:
    void Start(const std::string& remembered = {}) {
        if (!remembered.empty())
            gwtest::WriteFile(exe / kSettingsFileName,
                              "[lastproj]\r\nprojectname=" + remembered + "\r\n");
        CreateAllWindows(exe.Path());
    }
    void TearDown() override { DestroyAllWindows(); }
    std::string Settings() const { return ReadFile(exe / kSettingsFileName); }
    QString Caption() const { return FBrinvaleFirmWare->windowTitle(); }

    // Types `name` into the New project dialog and presses OK; when the dialog
    // refuses, presses Cancel so the modal loop ends.
    void NewProject(const QString& name) {
        bool stayedOpen = false;
        QTimer::singleShot(0, [&] {
            Fsaveproj->Edit1->setText(name);
            Fsaveproj->bitbtn1->click();
            if (Fsaveproj->isVisible()) {
                stayedOpen = true;
                Fsaveproj->bitbtn2->click();
            }
        });
        FBrinvaleFirmWare->New->click();
        refused = stayedOpen;
    }

    TempDir exe;
    ScriptedPrompts prompts;
    bool refused = false;
};

TEST_F(MainWindowTest, StartUpWithRememberedProject) {
    std::filesystem::create_directories(exe / "PROJECTS/Pump");
    Start("\\Pump");
    EXPECT_EQ(Caption(), kPrefix + "\\Pump");
    EXPECT_EQ(Project.ProjectDir, exe / "PROJECTS/Pump");
    EXPECT_EQ(FBrinvaleFirmWare->OpenExcelFolder().toStdString(), exe / "PROJECTS/Pump");
    FBrinvaleFirmWare->close();
    EXPECT_EQ(Settings(), "[lastproj]\r\nprojectname=\\Pump\r\n");
}

TEST_F(MainWindowTest, StartUpWithDeletedFolderShowsTheBarePrefix) {
    Start("Gone");
    EXPECT_EQ(Caption(), kPrefix);
    EXPECT_EQ(Project.ProjectDir, exe / "PROJECTS");
    EXPECT_EQ(Project.PargenPath, exe / "PROJECTS/pargen.xml");
    // The stale name stays remembered.
    FBrinvaleFirmWare->close();
    EXPECT_EQ(Settings(), "[lastproj]\r\nprojectname=/Gone\r\n");
    EXPECT_TRUE(prompts.All().empty());
}

TEST_F(MainWindowTest, LayoutAndCaptions) {
    Start();
    EXPECT_EQ(FBrinvaleFirmWare->size(), QSize(565, 302));
    EXPECT_EQ(QApplication::applicationDisplayName().isEmpty(), false);
    const struct {
        QPushButton* b;
        const char* text;
        QRect geometry;
        bool visible;
    } buttons[] = {
        {FBrinvaleFirmWare->New, "New project", {80, 36, 145, 26}, true},
        {FBrinvaleFirmWare->open, "Open project", {232, 36, 145, 26}, true},
        {FBrinvaleFirmWare->btn_Prm_Gen, "Set Communication", {80, 80, 145, 26}, true},
        {FBrinvaleFirmWare->btn_Sdo, "Receive Frames", {80, 124, 145, 26}, true},
        {FBrinvaleFirmWare->Btn_SetPDO, "Send Frames", {80, 168, 145, 26}, true},
        {FBrinvaleFirmWare->btn_Gds, "GSD File", {80, 212, 145, 26}, true},
        {FBrinvaleFirmWare->CreateBin, "Update Device", {80, 256, 145, 26}, true},
        {FBrinvaleFirmWare->btn_Pdo, "Set Traslate PDO", {265, 112, 64, 26}, false},
        {FBrinvaleFirmWare->btn_Emcy_Wd, "Define EMCY Word", {335, 112, 66, 26}, false},
        {FBrinvaleFirmWare->btn_Emcy, "Set Traslate EMCY", {265, 144, 64, 26}, false},
        {FBrinvaleFirmWare->btn_Info_Pdo, "Define store PDO", {335, 144, 66, 26}, false},
        {FBrinvaleFirmWare->CreateSx, "Generate Firmware", {264, 173, 137, 23}, false},
        {FBrinvaleFirmWare->LbButton1, "X", {520, 21, 21, 19}, true},
    };
    FBrinvaleFirmWare->show();
    for (const auto& b : buttons) {
        SCOPED_TRACE(b.text);
        EXPECT_EQ(b.b->text(), b.text);
        EXPECT_EQ(b.b->geometry(), b.geometry);
        EXPECT_EQ(b.b->isVisible(), b.visible);
    }
    EXPECT_EQ(FBrinvaleFirmWare->about->geometry(), QRect(493, 21, 21, 19));
    FBrinvaleFirmWare->hide();
}

TEST_F(MainWindowTest, CaptionsAndLabelsAreDarkGrey) {
    Start();
    const QColor text(51, 51, 51);
    auto* w = FBrinvaleFirmWare;
    for (QPushButton* b : {w->New, w->open, w->btn_Prm_Gen, w->btn_Sdo, w->Btn_SetPDO, w->btn_Gds,
                           w->CreateBin, w->LbButton1}) {
        SCOPED_TRACE(b->objectName().toStdString());
        EXPECT_EQ(b->palette().color(QPalette::ButtonText), text);
    }
    EXPECT_EQ(w->Label1->palette().color(QPalette::WindowText), text);
}

TEST_F(MainWindowTest, NewProjectMakesItCurrent) {
    Start();
    NewProject("Pump");
    EXPECT_FALSE(refused);
    EXPECT_TRUE(FolderExists(exe / "PROJECTS/Pump/bin"));
    EXPECT_EQ(Caption(), kPrefix + "Pump");
    EXPECT_EQ(Project.ProjectDir, exe / "PROJECTS/Pump");
    EXPECT_EQ(Project.SdoPath, exe / "PROJECTS/Pump/sdo.xml");
    EXPECT_EQ(FBrinvaleFirmWare->OpenExcelFolder().toStdString(), exe / "PROJECTS/Pump");
    FBrinvaleFirmWare->close();
    EXPECT_EQ(Settings(), "[lastproj]\r\nprojectname=Pump\r\n");
}

TEST_F(MainWindowTest, NewProjectRefusedKeepsTheCurrentProject) {
    std::filesystem::create_directories(exe / "PROJECTS/Pump");
    Start("Pump");
    const struct {
        const char* name;
        QStringList messages;
    } cases[] = {
        {"", {"Name project not valid"}},
        {"Pump", {"Name project not valid because directory already exists"}},
        {"../Out", {"Name project not valid"}},
        {"a/b", {"Name project not valid"}},
        {"Pump?", {"Name project not valid"}},
        {"   ", {"Name project not valid"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.Clear();
        NewProject(c.name);
        EXPECT_TRUE(refused);
        EXPECT_EQ(prompts.Messages(), c.messages);
        EXPECT_EQ(Project.ProjectDir, exe / "PROJECTS/Pump");
        // Cancelled: the caption still names the project that is current.
        EXPECT_EQ(Caption(), kPrefix + "/Pump");
    }
    EXPECT_FALSE(FolderExists(exe / "Out"));
    EXPECT_FALSE(FolderExists(exe / "PROJECTS/a"));
}

TEST_F(MainWindowTest, OpenProjectThroughTheFolderDialog) {
    std::filesystem::create_directories(exe / "PROJECTS/Pump");
    Start();
    prompts.AnswerFile(QString::fromStdString(exe / "PROJECTS/Pump"));
    FBrinvaleFirmWare->open->click();
    ASSERT_EQ(prompts.All().size(), 1u);
    const auto& shown = prompts.All()[0];
    EXPECT_EQ(shown.kind, gwtest::Shown::Folder);
    EXPECT_EQ(shown.text, "Select directory of project");
    EXPECT_EQ(shown.extra.toStdString(), exe / "PROJECTS");  // the root
    EXPECT_EQ(shown.folder.toStdString(), exe / "PROJECTS"); // preselected
    EXPECT_EQ(Caption(), kPrefix + "/Pump");
    EXPECT_EQ(Project.PargenPath, exe / "PROJECTS/Pump/pargen.xml");

    // The PROJECTS folder itself: no name, documents go to PROJECTS.
    prompts.AnswerFile(QString::fromStdString(exe / "PROJECTS"));
    FBrinvaleFirmWare->open->click();
    EXPECT_EQ(prompts.All()[1].folder.toStdString(), exe / "PROJECTS/Pump");
    EXPECT_EQ(Caption(), kPrefix);
    EXPECT_EQ(Project.ProjectName, "");
    EXPECT_EQ(Project.PargenPath, exe / "PROJECTS/pargen.xml");
    FBrinvaleFirmWare->close();
    EXPECT_EQ(Settings(), "[lastproj]\r\nprojectname=\r\n");
}

TEST_F(MainWindowTest, OpenProjectCancelled) {
    std::filesystem::create_directories(exe / "PROJECTS/Pump");
    Start("Pump");
    prompts.CancelFile();
    FBrinvaleFirmWare->open->click();
    EXPECT_EQ(Project.ProjectDir, exe / "PROJECTS/Pump");
    EXPECT_EQ(Caption(), kPrefix + "/Pump");

    // After a fallback start-up the name is recomputed from PROJECTS: empty.
    DestroyAllWindows();
    Start("Gone");
    prompts.CancelFile();
    FBrinvaleFirmWare->open->click();
    EXPECT_EQ(Project.ProjectDir, exe / "PROJECTS");
    EXPECT_EQ(Project.ProjectName, "");
}

TEST_F(MainWindowTest, OpenProjectOutsideProjectsIsRefused) {
    namespace fs = std::filesystem;
    fs::create_directories(exe / "PROJECTS/Pump");
    fs::create_directories(exe / "PROJECTS-old/Pump");
    fs::create_directory_symlink(exe / "PROJECTS-old", exe / "PROJECTS/Old");
    Start("Pump");
    for (const std::string& chosen :
         {exe / "PROJECTS-old", exe / "PROJECTS-old/Pump", exe / "PROJECTS/Old", exe.Path()}) {
        SCOPED_TRACE(chosen);
        prompts.Clear();
        prompts.AnswerFile(QString::fromStdString(chosen));
        FBrinvaleFirmWare->open->click();
        EXPECT_EQ(prompts.Messages(), QStringList{"Project not valid"});
        EXPECT_EQ(Project.ProjectDir, exe / "PROJECTS/Pump");
        EXPECT_EQ(Project.ProjectName, "/Pump");
        EXPECT_EQ(Project.SdoPath, exe / "PROJECTS/Pump/sdo.xml");
        EXPECT_EQ(Caption(), kPrefix + "/Pump");
    }
}

TEST_F(MainWindowTest, EveryStepRefusesWithoutAProject) {
    std::filesystem::create_directories(exe / "PROJECTS/Pump");
    Start("Pump");
    // The project folder goes away; a cancelled Open project then leaves no project.
    std::filesystem::remove_all(exe / "PROJECTS/Pump");
    prompts.CancelFile();
    FBrinvaleFirmWare->open->click();
    ASSERT_EQ(Project.ProjectDir, "");
    EXPECT_EQ(Caption(), kPrefix);

    prompts.Clear();
    auto* w = FBrinvaleFirmWare;
    const QList<QPushButton*> steps = {w->btn_Prm_Gen, w->btn_Sdo,  w->Btn_SetPDO,  w->btn_Gds,
                                       w->btn_Pdo,     w->btn_Emcy, w->btn_Emcy_Wd, w->btn_Info_Pdo,
                                       w->CreateBin,   w->CreateSx};
    for (QPushButton* b : steps)
        b->click();
    EXPECT_EQ(prompts.Messages(), QStringList(steps.size(), "Project not valid"));
    EXPECT_EQ(prompts.All().size(), static_cast<std::size_t>(steps.size()));
    EXPECT_FALSE(FolderExists(exe / "bin"));
}

TEST_F(MainWindowTest, ClosingWithUnwritableSettingsIsReported) {
    Start();
    std::filesystem::create_directories(exe / kSettingsFileName); // a folder in its place
    FBrinvaleFirmWare->close();
    ASSERT_EQ(prompts.Errors().size(), 1);
    EXPECT_TRUE(prompts.Errors()[0].contains(kSettingsFileName))
        << prompts.Errors()[0].toStdString();
}

} // namespace

namespace {

// The program's start shows the main window first and creates the other
// windows, in their order, right after its first paint; they are all there
// before the user can reach them.
TEST(ProgramStart, OtherWindowsFollowTheMainWindowsFirstPaint) {
    TempDir exe;
    StartWindows(FoldersBesideExecutable(exe.Path()));
    ASSERT_NE(FBrinvaleFirmWare, nullptr);
    EXPECT_TRUE(FBrinvaleFirmWare->isVisible());
    EXPECT_EQ(Fsaveproj, nullptr);
    for (int i = 0; i < 100 && !Fsaveproj; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_NE(Fsaveproj, nullptr);
    EXPECT_EQ(Fsaveproj->parent(), FBrinvaleFirmWare);
    // A New project right away finds its dialog.
    ScriptedPrompts prompts;
    QTimer::singleShot(0, [] { Fsaveproj->bitbtn2->click(); });
    FBrinvaleFirmWare->New->click();
    EXPECT_TRUE(prompts.All().empty());
    DestroyAllWindows();
}

} // namespace
