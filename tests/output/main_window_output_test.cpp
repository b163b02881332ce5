// The GSD File and Update Device steps of the main window, driven through its
// buttons with scripted prompts.
#include "app/UBrinvaleFirmWare.h"
#include "app/project_globals.h"
#include "app/windows.h"
#include "output/bank_image.h"
#include "output/commissioning_report.h"
#include "output/gsd_file.h"
#include "project_fixture.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"
#include "ui/clickable_label.h"
#include "update/UBootSer.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

// Readable failure output for the recorded texts.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace gw {
namespace {

using gwtest::PargenDocument;
using gwtest::ReceiveDocument;
using gwtest::Rows;
using gwtest::SendDocument;

class MainWindowOutput : public ::testing::Test {
protected:
    MainWindowOutput() : window((CreateAllWindows(exe.Path()), *FBrinvaleFirmWare)) {
        project = exe / "PROJECTS/Pump";
        std::filesystem::create_directories(project + "/bin");
        Project.ProjectDir = project;
        Project.ProjectName = "/Pump";
        SetProjectPaths(Project);
        gwtest::WriteFile(project + "/pargen.xml", PargenDocument("1"));
        gwtest::WriteFile(project + "/sdo.xml", ReceiveDocument(Rows(3, 8)));
        gwtest::WriteFile(project + "/pdo.xml", SendDocument(Rows(2, 4)));
    }

    ~MainWindowOutput() override { DestroyAllWindows(); }

    std::string Bank() const { return project + "/bin/bank.bin"; }

    gwtest::TempDir exe;
    gwtest::ScriptedPrompts prompts;
    TFBrinvaleFirmWare& window;
    std::string project;
};

TEST_F(MainWindowOutput, UpdateDeviceWritesTheImageThenOpensTheWizard) {
    std::string imageWhenShown;
    QTimer::singleShot(0, [&] {
        if (FBootSer->isVisible())
            imageWhenShown = gwtest::ReadFile(Bank());
        FBootSer->LbButton3Click();
    });
    window.CreateBin->click();
    EXPECT_TRUE(prompts.All().empty());
    EXPECT_EQ(imageWhenShown, BuildBankImage(project).Bytes);
    EXPECT_FALSE(FBootSer->isVisible());
}

TEST_F(MainWindowOutput, UpdateDeviceWithoutAProjectDoesNothing) {
    Project.ProjectDir.clear();
    SetProjectPaths(Project);
    window.CreateBin->click();
    EXPECT_EQ(prompts.Messages(), QStringList{"Project not valid"});
    EXPECT_TRUE(prompts.Errors().empty());
    EXPECT_FALSE(std::filesystem::exists(Bank()));
}

TEST_F(MainWindowOutput, AFailedBuildLeavesThePreviousImage) {
    const struct {
        const char* what;
        std::string file, text;
        QString error;
    } cases[] = {
        {"bad number", "sdo.xml", ReceiveDocument({gwtest::Row{.CobId = "18x"}}),
         "'18x' is not a valid integer value"},
        {"too large", "sdo.xml", ReceiveDocument(Rows(12500, 8)),
         "The configuration image would be 100040 bytes, more than the 100001 bytes the "
         "gateway can hold"},
        {"frame length the editors refuse", "pdo.xml",
         SendDocument({gwtest::Row{}, gwtest::Row{.Dimension = "9"}}),
         "pdo.xml: Error row 2!! CANOpen Dimension must be between 1 and 8. "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        prompts.Clear();
        gwtest::WriteFile(Bank(), "previous image");
        gwtest::WriteFile(project + "/" + c.file, c.text);
        window.CreateBin->click();
        EXPECT_EQ(prompts.Errors(), QStringList{c.error});
        EXPECT_EQ(gwtest::ReadFile(Bank()), "previous image");
    }
}

TEST_F(MainWindowOutput, AnUnwritableBinFolderIsReported) {
    std::filesystem::remove_all(project + "/bin");
    window.CreateBin->click();
    EXPECT_EQ(prompts.Errors(),
              QStringList{QString::fromStdString("Cannot write file '" + Bank() +
                                                 "': No such file or directory")});
    EXPECT_FALSE(std::filesystem::exists(project + "/bin"));
}

TEST_F(MainWindowOutput, GsdFileAsksForANameInTheProjectFolder) {
    const std::string target = project + "/HD40931.gsd";
    prompts.AnswerFile(QString::fromStdString(target));
    window.btn_Gds->click();
    ASSERT_EQ(prompts.All().size(), 1u);
    const gwtest::Shown& dialog = prompts.All()[0];
    EXPECT_EQ(dialog.kind, gwtest::Shown::SaveFile);
    EXPECT_EQ(dialog.folder, QString::fromStdString(project));
    EXPECT_EQ(dialog.filter, "Generic Station Description (*.gsd)|*.gsd");
    EXPECT_EQ(dialog.extra, "gsd");
    EXPECT_EQ(gwtest::ReadFile(target), GsdText(ComputeGsdCounts(project)));
}

TEST_F(MainWindowOutput, GsdFileCancelledOrFailedWritesNothing) {
    prompts.CancelFile();
    window.btn_Gds->click();
    EXPECT_TRUE(prompts.Errors().empty());

    gwtest::WriteFile(project + "/pdo.xml", SendDocument({gwtest::Row{.Dimension = std::nullopt}}));
    prompts.AnswerFile(QString::fromStdString(project + "/HD40931.gsd"));
    window.btn_Gds->click();
    ASSERT_EQ(prompts.Errors().size(), 1);
    EXPECT_TRUE(prompts.Errors()[0].endsWith("pdo.xml' has no attribute 'Dimension'"));
    EXPECT_FALSE(std::filesystem::exists(project + "/HD40931.gsd"));
}

TEST_F(MainWindowOutput, GsdFileWithoutAProjectSaysSo) {
    Project.ProjectDir.clear();
    window.btn_Gds->click();
    EXPECT_EQ(prompts.Messages(), QStringList{"Project not valid"});
    ASSERT_EQ(prompts.All().size(), 1u);
}

// The background's context menu, driven as a user does: a right click away
// from the buttons, then the menu entry chosen with the keys.
TEST_F(MainWindowOutput, BackgroundMenuWritesTheReportAndShowsIt) {
    std::vector<QUrl> shown;
    InstallDesktopOpener([&](const QUrl& url) {
        shown.push_back(url);
        return true;
    });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QStringList offered;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (const QAction* a : menu->actions())
            offered << a->text();
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QTest::mouseClick(window.windowHandle(), Qt::RightButton, {}, QPoint(450, 110));
    InstallDesktopOpener({});
    window.hide();

    EXPECT_EQ(offered, QStringList{QString::fromUtf8("Commissioning report\u2026")});
    const std::string file = project + "/bin/report.html";
    StringSink expected;
    WriteReportHtml(BuildCommissioningReport(project), expected);
    EXPECT_EQ(gwtest::ReadFile(file), expected.Text());
    EXPECT_EQ(shown, std::vector<QUrl>{QUrl::fromLocalFile(QString::fromStdString(file))});
    EXPECT_TRUE(prompts.All().empty());
}

TEST_F(MainWindowOutput, ReportWithoutAProjectOrABrowser) {
    std::vector<QUrl> shown;
    bool opens = false;
    InstallDesktopOpener([&](const QUrl& url) {
        shown.push_back(url);
        return opens;
    });
    const std::string file = project + "/bin/report.html";

    // No browser: the user learns where the report is.
    window.ReportAction->trigger();
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(prompts.Messages(),
              QStringList{QString::fromStdString("The commissioning report was written to " + file +
                                                 ", but no program was found to show it.")});

    // No bin folder: the write fails with its reason, nothing is shown.
    prompts.Clear();
    shown.clear();
    std::filesystem::remove_all(project + "/bin");
    window.ReportAction->trigger();
    ASSERT_EQ(prompts.Errors().size(), 1);
    EXPECT_TRUE(
        prompts.Errors()[0].startsWith(QString::fromStdString("Cannot write file '" + file)));
    EXPECT_TRUE(shown.empty());

    // No project: nothing is written anywhere.
    prompts.Clear();
    Project.ProjectDir.clear();
    window.ReportAction->trigger();
    EXPECT_EQ(prompts.Messages(), QStringList{"Project not valid"});
    EXPECT_TRUE(shown.empty());
    InstallDesktopOpener({});
}

} // namespace
} // namespace gw
