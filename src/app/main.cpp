#include "app/UBrinvaleFirmWare.h"
#include "app/windows.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(gw::kApplicationTitle);
    QApplication::setApplicationDisplayName(gw::kApplicationTitle);
    gw::StartWindows(QCoreApplication::applicationDirPath().toStdString());
    const int rc = QApplication::exec();
    gw::DestroyAllWindows();
    return rc;
}
