// Entry of the window tests: one QApplication for the whole run, and the
// watchdog that fails a test whose modal dialog is left open.
#include "support/modal_watchdog.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    gwtest::ModalWatchdog watchdog;
    return RUN_ALL_TESTS();
}
