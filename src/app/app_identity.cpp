#include "app/app_identity.h"

#include "app/UBrinvaleFirmWare.h"
#include "ui/after_first_paint.h"

#include <QApplication>
#include <QIcon>

namespace gw {

void SetApplicationIdentity() {
    // No display name: Qt would append it to every window's caption on Linux.
    QApplication::setApplicationName(kApplicationTitle);
    // Lets the desktop match the window with the installed menu entry and icon.
    QApplication::setDesktopFileName("example.velmora.sw40931");
}

void SetWindowIconAfterFirstPaint(QWidget* mainWindow) {
    // An installed copy finds its icon in the icon theme; a build has none.
    RunAfterFirstPaint(mainWindow, [] {
        QApplication::setWindowIcon(QIcon::fromTheme("example.velmora.sw40931"));
    });
}

} // namespace gw
