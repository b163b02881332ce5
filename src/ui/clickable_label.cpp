#include "ui/clickable_label.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

namespace gw {

ClickableLabel::ClickableLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setCursor(Qt::PointingHandCursor);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(e);
}

void OpenExternal(const QString& url) {
    QDesktopServices::openUrl(QUrl(url));
}

} // namespace gw
