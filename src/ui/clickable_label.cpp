#include "ui/clickable_label.h"

#include <QDesktopServices>
#include <QMouseEvent>

namespace gw {

ClickableLabel::ClickableLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setCursor(Qt::PointingHandCursor);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(e);
}

namespace {

DesktopOpener& Opener() {
    static DesktopOpener opener;
    return opener;
}

bool Open(const QUrl& url) {
    return Opener() ? Opener()(url) : QDesktopServices::openUrl(url);
}

} // namespace

void OpenExternal(const QString& url) {
    Open(QUrl(url));
}

bool OpenLocalFile(const QString& path) {
    return Open(QUrl::fromLocalFile(path));
}

void InstallDesktopOpener(DesktopOpener opener) {
    Opener() = std::move(opener);
}

} // namespace gw
