#include "ui/guard.h"

#include "common/errors.h"
#include "ui/prompts.h"

#include <exception>

namespace gw {

bool Guarded(QWidget* parent, const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (const WorkCancelled&) {
        // The user's own Cancel: the action ends and there is nothing to tell.
    } catch (const std::exception& e) {
        CurrentPrompts().Error(parent, QString::fromUtf8(e.what()));
    } catch (...) {
        CurrentPrompts().Error(parent, QStringLiteral("Unexpected error"));
    }
    return false;
}

} // namespace gw
