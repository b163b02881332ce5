#include "ui/look.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QPalette>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace gw {

namespace {

// The first installed family of the house's choices. Naming a family that is
// not installed makes Qt ask fontconfig for its substitutes whenever a font
// of it is first used, which the main window would pay for on every start.
QStringList InstalledFamilies(const QString& family) {
    static QHash<QString, QStringList> known;
    if (auto it = known.constFind(family); it != known.constEnd())
        return *it;
    QStringList choices{family, QStringLiteral("DejaVu Sans")};
    QStringList found;
    // The installed families, not hasFamily: that one first has fontconfig
    // resolve the name as an alias, which costs the start more than the list.
    const QStringList installed = QFontDatabase::families();
    for (const QString& f : choices)
        if (installed.contains(f, Qt::CaseInsensitive)) {
            found = {f};
            break;
        }
    if (found.isEmpty()) // none of them: the system's sans-serif, as fontconfig finds it
        found = {family, QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")};
    known.insert(family, found);
    return found;
}

} // namespace

QFont HouseFont(int pointSize, bool bold, const QString& family) {
    QFont f(family, pointSize);
    f.setStyleHint(QFont::SansSerif);
    f.setFamilies(InstalledFamilies(family));
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

namespace {

constexpr const char* kScrollName = "ScrollToFit";

// The controls of a window laid out by position, moved into a scrolling area
// so that the window can be smaller than they need; nullptr for a window with
// a layout of its own (it shrinks by itself).
QScrollArea* ScrollingArea(QWidget* window) {
    if (auto* area = window->findChild<QScrollArea*>(kScrollName, Qt::FindDirectChildrenOnly))
        return area;
    if (window->layout())
        return nullptr;
    auto* content = new QWidget;
    content->setFixedSize(window->size());
    for (QObject* child : window->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow())
            continue;
        const bool shown = !w->isHidden();
        const QRect at = w->geometry();
        w->setParent(content);
        w->setGeometry(at);
        w->setVisible(shown);
    }
    auto* area = new QScrollArea(window);
    area->setObjectName(kScrollName);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidget(content);
    area->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(area);
    window->setMinimumSize(0, 0);
    window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    area->show();
    return area;
}

} // namespace

void PlaceInArea(QWidget* window, const QRect& available) {
    const QMargins frame = FrameOf(window);
    auto* area = window->findChild<QScrollArea*>(kScrollName, Qt::FindDirectChildrenOnly);
    QRect client = PlacedGeometry(area ? area->widget()->size() : window->size(), frame, available);
    window->resize(client.size()); // bounded below by the window's minimum size
    if (!area && window->size() != client.size())
        area = ScrollingArea(window);
    if (area) {
        // The controls' own size where there is room, and room for the scroll
        // bar of a direction that must scroll.
        QSize need = area->widget()->size();
        const int bar = area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area);
        if (PlacedGeometry(need, frame, available).height() < need.height())
            need.rwidth() += bar;
        if (PlacedGeometry(need, frame, available).width() < need.width())
            need.rheight() += bar;
        client = PlacedGeometry(need, frame, available);
        window->resize(client.size());
    }
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
