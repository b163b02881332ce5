#include "ui/run_and_wait_qt.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTimer>

#include <cerrno>
#include <csignal>

namespace gw {

namespace {

// Polling period of the wait.
constexpr int kPollMs = 10;

// The updater is started detached (it must outlive an abandoned wait, and a
// flash write must not be cut short when this program ends), so its end is
// seen by polling its process id.
bool HasEnded(qint64 pid) {
    if (::kill(static_cast<pid_t>(pid), 0) != 0)
        return errno == ESRCH;
    // Ended but not yet reaped by whoever adopted it.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const int close = line.lastIndexOf(')');
    if (close < 0 || close + 2 >= line.size())
        return false;
    const char state = line.at(close + 2);
    return state == 'Z' || state == 'X';
}

// A process for `program` with the arguments of `parameters`, reading nothing.
void Prepare(QProcess& process, const std::string& program, const std::string& parameters) {
    QStringList args;
    for (const auto& a : SplitParameterText(parameters))
        args << QString::fromStdString(a);
    process.setProgram(QString::fromStdString(program));
    process.setArguments(args);
    process.setStandardInputFile(QProcess::nullDevice());
}

} // namespace

bool StartProgram(const std::string& program, const std::string& parameters) {
    QProcess process;
    Prepare(process, program, parameters);
    return process.startDetached();
}

QString CannotStartText(const std::string& program) {
    return QStringLiteral("Unable to start %1").arg(QString::fromStdString(program));
}

RunAndWaitResult RunAndWait(const std::string& program, const std::string& parameters,
                            bool /*hidden*/, int limitMs) {
    QProcess process;
    Prepare(process, program, parameters);
    qint64 pid = 0;
    if (!process.startDetached(&pid) || pid <= 0)
        return RunAndWaitResult::NotStarted;

    QElapsedTimer clock;
    clock.start();
    RunAndWaitResult result = RunAndWaitResult::TimedOut;
    if (HasEnded(pid))
        return RunAndWaitResult::Ended;

    QEventLoop loop;
    QTimer poll;
    poll.setInterval(kPollMs);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (HasEnded(pid)) {
            result = RunAndWaitResult::Ended;
            loop.quit();
        } else if (clock.elapsed() >= limitMs) {
            loop.quit();
        }
    });
    poll.start();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Paint and timer events go on; clicks and keys wait until the end.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    QApplication::restoreOverrideCursor();
    return result;
}

} // namespace gw
