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
    : dialog_(std::make_unique<QProgressDialog>(text, "Cancel", 0, 0, parent)),
      showAfterMs_(showAfterMs) {
    if (parent)
        dialog_->setWindowTitle(parent->window()->windowTitle());
    dialog_->setWindowModality(Qt::WindowModal);
    // The dialog's own timing starts over whenever the bar goes back to its
    // start (a later stage); the moment is counted here instead, from the start.
    dialog_->setMinimumDuration(INT_MAX);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    started_.start();
    hooks_.report = [this](std::uint64_t done, std::uint64_t total) { Report(done, total); };
    hooks_.cancelled = [this] { return WasCancelled(); };
}

WorkProgress::~WorkProgress() = default;

void WorkProgress::SetText(const QString& text) {
    dialog_->setLabelText(text);
}

void WorkProgress::Finish() {
    dialog_->hide();
}

bool WorkProgress::WasCancelled() const {
    return dialog_->wasCanceled();
}

void WorkProgress::Report(std::uint64_t done, std::uint64_t total) {
    if (total > 0) {
        dialog_->setMaximum(kBarSteps);
        dialog_->setValue(static_cast<int>(std::min(done, total) * kBarSteps / total));
    } else {
        dialog_->setMaximum(0);
        dialog_->setValue(0);
    }
    // Until the moment has passed nothing else runs: the work may be part of
    // a window's show, which must not see its window closed meanwhile. Once
    // the dialog shows, it keeps the window's input to itself.
    if (!dialog_->isVisible()) {
        if (started_.elapsed() < showAfterMs_)
            return;
        dialog_->show();
    }
    QApplication::processEvents();
}

} // namespace gw
