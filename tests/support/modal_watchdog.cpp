#include "support/modal_watchdog.h"

#include <QApplication>
#include <QDialog>

#include <gtest/gtest.h>

#include <cstdlib>

namespace gwtest {

std::chrono::milliseconds ModalWatchdog::Limit() {
    if (const char* s = std::getenv("GW_TEST_MODAL_SECONDS"))
        if (const int seconds = std::atoi(s); seconds > 0)
            return std::chrono::seconds(seconds);
    return std::chrono::seconds(5);
}

ModalWatchdog::ModalWatchdog(std::chrono::milliseconds limit) : limit_(limit) {
    // Timers run inside a dialog's own event loop too, so this sees the dialog
    // that blocks the test.
    timer_.setInterval(100);
    connect(&timer_, &QTimer::timeout, this, &ModalWatchdog::Check);
    timer_.start();
}

void ModalWatchdog::Check() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != watched_) {
        watched_ = modal;
        since_ = std::chrono::steady_clock::now();
        return;
    }
    if (!modal || std::chrono::steady_clock::now() - since_ < limit_)
        return;
    ADD_FAILURE() << "A modal dialog was left open: \"" << modal->windowTitle().toStdString()
                  << "\" (" << modal->objectName().toStdString() << "); the test's script did "
                  << "not close it within " << limit_.count() << " ms";
    watched_ = nullptr;
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
    else
        modal->close();
}

} // namespace gwtest
