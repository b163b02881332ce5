#include "app/UBrinvaleFirmWare.h"
#include "app/windows.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The application's name is its title in the task bar and on message boxes.
    // No display name: Qt would append it to every window's caption on Linux.
    QApplication::setApplicationName(gw::kApplicationTitle);
    gw::StartWindows(QCoreApplication::applicationDirPath().toStdString());
    const int rc = QApplication::exec();
    gw::DestroyAllWindows();
    return rc;
}
