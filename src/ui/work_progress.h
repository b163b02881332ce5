#pragma once
// The progress dialog of work that may take long (an Open, an Import, the
// load of a big document): it appears only once the work has lasted a moment,
// with its text and Cancel, and while the work runs the window keeps
// repainting. The work gets the core's progress hooks; a Cancel makes it end
// with WorkCancelled, which the caller lets pass (the error boundary tells
// nothing of it).
#include "common/progress.h"

#include <QElapsedTimer>
#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

namespace gw {

// How long work runs before its dialog appears, in milliseconds.
inline constexpr int kProgressAfterMs = 1000;

class WorkProgress {
public:
    // The dialog belongs to `parent` (modal to its window once it shows).
    WorkProgress(QWidget* parent, const QString& text, int showAfterMs = kProgressAfterMs);
    ~WorkProgress();
    WorkProgress(const WorkProgress&) = delete;
    WorkProgress& operator=(const WorkProgress&) = delete;

    // For the core: each report moves the bar and, once the dialog shows,
    // processes the events (before that, nothing else runs).
    const ProgressHooks& Hooks() const { return hooks_; }
    // A later stage of the same work: its text.
    void SetText(const QString& text);
    // The work is over: the dialog goes before anything else is shown.
    void Finish();
    bool WasCancelled() const;

private:
    void Report(std::uint64_t done, std::uint64_t total);

    QWidget* parent_;
    QString text_;
    std::unique_ptr<QProgressDialog> dialog_; // made once the moment has passed
    int showAfterMs_;
    QElapsedTimer started_;
    ProgressHooks hooks_;
};

} // namespace gw
