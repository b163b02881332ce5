// The program's own start-up, as main.cpp runs it, ending once the main window
// is painted.
#include "app/UBrinvaleFirmWare.h"
#include "app/windows.h"
#include "startup_probe.h"
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    gw::SetApplicationIdentity();
    gw::StartWindows(
        gw::FoldersBesideExecutable(QCoreApplication::applicationDirPath().toStdString()));
    gw::SetWindowIconAfterFirstPaint(gw::FBrinvaleFirmWare);
    gwbench::QuitAfterPaint probe(gw::FBrinvaleFirmWare);
    return QApplication::exec();
}
