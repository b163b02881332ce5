#pragma once
// The error boundary: every handler runs inside it. An exception ends the action
// and its text is shown in an error box; it never crosses the Qt event loop.
#include <QAbstractButton>
#include <QObject>

#include <functional>

class QWidget;

namespace gw {

// Runs `action`; returns false when it ended with an exception (already shown).
bool Guarded(QWidget* parent, const std::function<void()>& action);

// Connects a button's click to a member handler that runs inside the boundary.
template <class W> void OnClick(QAbstractButton* button, W* window, void (W::*handler)()) {
    QObject::connect(button, &QAbstractButton::clicked, window,
                     [window, handler] { Guarded(window, [&] { (window->*handler)(); }); });
}

// The same for a handler shared by several buttons, which tells them apart by
// the button it is given.
template <class W>
void OnClickOf(QAbstractButton* button, W* window, void (W::*handler)(QAbstractButton*)) {
    QObject::connect(button, &QAbstractButton::clicked, window, [window, handler, button] {
        Guarded(window, [&] { (window->*handler)(button); });
    });
}

} // namespace gw
