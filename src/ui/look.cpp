#include "ui/look.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QWidget>

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

void CentreOnScreen(QWidget* window) {
    QScreen* s = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    QRect r = s->availableGeometry();
    window->move(r.center() - QPoint(window->width() / 2, window->height() / 2));
}

} // namespace gw
