// A termination signal ends the program as the close button does, even while a
// modal dialog is open, and the installed layout's data folder takes what
// closing writes.
#include "app/UBrinvaleFirmWare.h"
#include "app/Unewp.h"
#include "app/project_globals.h"
#include "app/windows.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"
#include "ui/close_on_signal.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <csignal>
#include <filesystem>

#include <gtest/gtest.h>

using namespace gw;

namespace {

TEST(CloseOnTerminationSignals, SigtermDuringAModalDialogClosesAndSaves) {
    gwtest::TempDir exe, data;
    gwtest::ScriptedPrompts prompts;
    CreateAllWindows(AppFolders{exe.Path(), data.Path(), exe.Path()});
    CloseOnTerminationSignals();
    FBrinvaleFirmWare->show();
    Project.ProjectName = "/Pump";

    bool dialogWasOpen = false;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(50, [&] {
            dialogWasOpen = Fsaveproj->isVisible();
            std::raise(SIGTERM);
        });
        FBrinvaleFirmWare->New->click();
    });
    // Should the signal be lost, the test ends instead of waiting for ever.
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);

    EXPECT_TRUE(dialogWasOpen);
    EXPECT_FALSE(Fsaveproj->isVisible());
    EXPECT_FALSE(FBrinvaleFirmWare->isVisible());
    EXPECT_EQ(gwtest::ReadFile(data / kSettingsFileName), "[lastproj]\r\nprojectname=/Pump\r\n");
    EXPECT_TRUE(std::filesystem::is_empty(exe.Path())) << "nothing beside the executable";
    DestroyAllWindows();
}

} // namespace
