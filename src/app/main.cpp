#include "app/UBrinvaleFirmWare.h"
#include "app/program_options.h"
#include "app/windows.h"
#include "ui/close_on_signal.h"

#include <QApplication>
#include <QIcon>

#include <iostream>

int main(int argc, char** argv) {
    // --help and --version answer without a display.
    const gw::CommonOptions options =
        gw::TakeCommonOptions(std::vector<std::string>(argv + 1, argv + argc), false);
    if (const std::optional<int> rc = gw::AnswerProgramOptions(options, std::cout, std::cerr))
        return *rc;
    QApplication app(argc, argv);
    gw::CloseOnTerminationSignals();
    // The application's name is its title in the task bar and on message boxes.
    // No display name: Qt would append it to every window's caption on Linux.
    QApplication::setApplicationName(gw::kApplicationTitle);
    // Lets the desktop match the window with the installed menu entry and icon;
    // an installed copy finds its icon in the icon theme (a build has none).
    QApplication::setDesktopFileName("example.velmora.sw40931");
    QApplication::setWindowIcon(QIcon::fromTheme("example.velmora.sw40931"));
    gw::CreateAllWindows(gw::LocateAppFolders(gw::RunningExecutableDir(argv[0]), options.dataDir,
                                              gw::UserEnvironment::FromProcess()));
    gw::FBrinvaleFirmWare->show();
    const int rc = QApplication::exec();
    gw::DestroyAllWindows();
    return rc;
}
