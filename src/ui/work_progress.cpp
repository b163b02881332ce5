#include "ui/work_progress.h"

#include <QApplication>
#include <QProgressDialog>

#include <climits>

namespace gw {

namespace {

// The bar's steps when the total is known.
constexpr int kBarSteps = 1000;

} // namespace

WorkProgress::WorkProgress(QWidget* parent, const QString& text, int showAfterMs)
    : parent_(parent), text_(text), showAfterMs_(showAfterMs) {
    started_.start();
    hooks_.report = [this](std::uint64_t done, std::uint64_t total) { Report(done, total); };
    hooks_.cancelled = [this] { return WasCancelled(); };
}

WorkProgress::~WorkProgress() = default;

void WorkProgress::SetText(const QString& text) {
    text_ = text;
    if (dialog_)
        dialog_->setLabelText(text);
}

void WorkProgress::Finish() {
    if (dialog_)
        dialog_->hide();
}

bool WorkProgress::WasCancelled() const {
    return dialog_ && dialog_->wasCanceled();
}

void WorkProgress::Report(std::uint64_t done, std::uint64_t total) {
    if (WasCancelled())
        return; // the work ends at its next question
    // Until the moment has passed nothing else runs: the work may be part of
    // a window's show, which must not see its window closed meanwhile. Most
    // work is over before that and never makes its dialog.
    if (!dialog_) {
        if (started_.elapsed() < showAfterMs_)
            return;
        dialog_ = std::make_unique<QProgressDialog>(text_, "Cancel", 0, 0, parent_);
        if (parent_)
            dialog_->setWindowTitle(parent_->window()->windowTitle());
        dialog_->setWindowModality(Qt::WindowModal);
        // Shown here, at once: the dialog's own timing would start over
        // whenever the bar goes back to its start (a later stage).
        dialog_->setMinimumDuration(INT_MAX);
        dialog_->setAutoReset(false);
        dialog_->setAutoClose(false);
    }
    if (total > 0) {
        dialog_->setMaximum(kBarSteps);
        dialog_->setValue(static_cast<int>(std::min(done, total) * kBarSteps / total));
    } else {
        dialog_->setMaximum(0);
        dialog_->setValue(0);
    }
    // Once it shows, it keeps the window's input to itself.
    if (!dialog_->isVisible())
        dialog_->show();
    QApplication::processEvents();
}

} // namespace gw
