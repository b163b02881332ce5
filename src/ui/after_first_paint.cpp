#include "ui/after_first_paint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace gw {

namespace {

class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget* window, std::function<void()> work)
        : QObject(window), work_(std::move(work)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, watched, work_);
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> work_;
};

} // namespace

void RunAfterFirstPaint(QWidget* window, std::function<void()> work) {
    window->installEventFilter(new AfterFirstPaint(window, std::move(work)));
}

} // namespace gw
