#include "app/UBrinvaleFirmWare.h"
#include "app/program_options.h"
#include "app/windows.h"
#include "ui/close_on_signal.h"

#include <QApplication>

#include <iostream>

int main(int argc, char** argv) {
    // --help and --version answer without a display.
    const gw::CommonOptions options =
        gw::TakeCommonOptions(std::vector<std::string>(argv + 1, argv + argc), false);
    if (const std::optional<int> rc = gw::AnswerProgramOptions(options, std::cout, std::cerr))
        return *rc;
    QApplication app(argc, argv);
    gw::CloseOnTerminationSignals();
    gw::SetApplicationIdentity();
    gw::StartWindows(gw::LocateAppFolders(gw::RunningExecutableDir(argv[0]), options.dataDir,
                                          gw::UserEnvironment::FromProcess()));
    gw::SetWindowIconAfterFirstPaint(gw::FBrinvaleFirmWare);
    const int rc = QApplication::exec();
    gw::DestroyAllWindows();
    return rc;
}
