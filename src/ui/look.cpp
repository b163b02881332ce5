#include "ui/look.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace gw {

QFont HouseFont(int pointSize, bool bold, const QString& family) {
    QFont f(family, pointSize);
    f.setStyleHint(QFont::SansSerif);
    f.setFamilies({family, QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    f.setBold(bold);
    return f;
}

void ApplyHouseLook(QWidget* window) {
    QPalette p = window->palette();
    p.setColor(QPalette::Window, kBackground);
    p.setColor(QPalette::WindowText, kText);
    window->setPalette(p);
    window->setAutoFillBackground(true);
    window->setFont(HouseFont());
}

void SetFixedClientSize(QWidget* window, int width, int height) {
    window->setFixedSize(width, height);
}

QRect PlacedGeometry(QSize client, QMargins frame, const QRect& available) {
    QRect outer(QPoint(0, 0), client.grownBy(frame));
    if (outer.width() <= available.width() && outer.height() <= available.height()) {
        outer.moveCenter(available.center());
    } else {
        outer.setWidth(std::min(outer.width(), available.width()));
        outer.setHeight(std::min(outer.height(), available.height()));
        outer.moveTopLeft(available.topLeft());
    }
    return outer.marginsRemoved(frame);
}

namespace {

// The window manager's frame: known once the window has been shown; before
// that a title bar of the usual height is assumed, so that a window placed at
// the top of the area never has its title bar above it.
QMargins FrameOf(const QWidget* window) {
    if (window->windowFlags().testFlag(Qt::FramelessWindowHint))
        return {};
    if (const QWindow* handle = window->windowHandle(); handle && !handle->frameMargins().isNull())
        return handle->frameMargins();
    const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    return {4, std::max(title, 24) + 4, 4, 4};
}

} // namespace

void PlaceInArea(QWidget* window, const QRect& available) {
    const QMargins frame = FrameOf(window);
    const QRect client = PlacedGeometry(window->size(), frame, available);
    window->resize(client.size()); // bounded below by the window's minimum size
    window->move(client.topLeft() - QPoint(frame.left(), frame.top()));
}

void CentreOnScreen(QWidget* window) {
    const QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : window;
    QScreen* s = owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    PlaceInArea(window, s->availableGeometry());
}

} // namespace gw
