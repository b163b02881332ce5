#pragma once
// Ends a start-up probe once `window` has been shown and painted: the event
// loop has run the paint, then the process ends at once with status 0, so
// neither program's tear-down (nor the settings the main window writes when
// it closes) counts as start-up.
#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <unistd.h>

namespace gwbench {

class QuitAfterPaint : public QObject {
public:
    explicit QuitAfterPaint(QWidget* window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint && !done_) {
            done_ = true;
            // After this paint has been handled.
            QTimer::singleShot(0, qApp, [] { ::_exit(0); });
        }
        return false;
    }

private:
    bool done_ = false;
};

} // namespace gwbench
