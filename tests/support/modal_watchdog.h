#pragma once
// Fails a window test fast instead of letting it hang: a modal dialog that
// stays open longer than a few seconds (the test's script has run out without
// closing it) is reported as a test failure naming its title, and closed so
// the test goes on. The window tests' main installs it for the whole run.
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <chrono>

namespace gwtest {

class ModalWatchdog : public QObject {
    Q_OBJECT
public:
    // GW_TEST_MODAL_SECONDS in the environment overrides the limit.
    explicit ModalWatchdog(std::chrono::milliseconds limit = Limit());

    static std::chrono::milliseconds Limit();

private:
    void Check();

    std::chrono::milliseconds limit_;
    QTimer timer_;
    QPointer<QWidget> watched_;
    std::chrono::steady_clock::time_point since_;
};

} // namespace gwtest
