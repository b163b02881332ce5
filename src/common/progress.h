#pragma once
// How long work in the core tells how far it has come and learns that the
// user wants it stopped: plain callbacks, so that a window can show a dialog
// and the command line can pass none.
#include "common/errors.h"

#include <algorithm>
#include <cstdint>
#include <functional>

namespace gw {

struct ProgressHooks {
    // `done` of `total` units (bytes, records); a total of 0 is not known yet.
    std::function<void(std::uint64_t done, std::uint64_t total)> report;
    // Asked after each report; true ends the work with WorkCancelled.
    std::function<bool()> cancelled;
};

// Reports a piece of work now and then: about 256 times over its whole
// length, or every `unknownStep` units while the length is not known; a
// report per unit would cost more than the work.
class ProgressTicker {
public:
    explicit ProgressTicker(const ProgressHooks* hooks, std::uint64_t total = 0,
                            std::uint64_t unknownStep = 4096)
        : hooks_(hooks && (hooks->report || hooks->cancelled) ? hooks : nullptr),
          unknownStep_(std::max<std::uint64_t>(1, unknownStep)) {
        SetTotal(total);
    }

    bool Active() const { return hooks_ != nullptr; }

    void SetTotal(std::uint64_t total) {
        total_ = total;
        step_ = total > 0 ? std::max<std::uint64_t>(1, total / 256) : unknownStep_;
        next_ = 0;
    }

    // At `done` units; reports when a step has been passed. Throws WorkCancelled.
    void At(std::uint64_t done) {
        if (hooks_ && done >= next_)
            Report(done);
    }

    // Reports now. Throws WorkCancelled.
    void Report(std::uint64_t done) {
        if (!hooks_)
            return;
        next_ = done + step_;
        if (hooks_->report)
            hooks_->report(done, total_);
        if (hooks_->cancelled && hooks_->cancelled())
            throw WorkCancelled();
    }

private:
    const ProgressHooks* hooks_;
    std::uint64_t unknownStep_;
    std::uint64_t total_ = 0;
    std::uint64_t step_ = 1;
    std::uint64_t next_ = 0;
};

} // namespace gw
