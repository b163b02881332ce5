// The program's own start-up, as main.cpp runs it, ending once the main window
// is painted.
#include "app/UBrinvaleFirmWare.h"
#include "app/windows.h"
#include "startup_probe.h"

#include <QIcon>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(gw::kApplicationTitle);
    QApplication::setApplicationDisplayName(gw::kApplicationTitle);
    QApplication::setDesktopFileName("example.velmora.sw40931");
    QApplication::setWindowIcon(QIcon::fromTheme("example.velmora.sw40931"));
    gw::StartWindows(
        gw::FoldersBesideExecutable(QCoreApplication::applicationDirPath().toStdString()));
    gwbench::QuitAfterPaint probe(gw::FBrinvaleFirmWare);
    return QApplication::exec();
}
