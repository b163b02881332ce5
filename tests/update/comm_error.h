#pragma once
// The text of the ECommError an action raises, and its code.
#include "update/CommInt.h"

#include <functional>
#include <string>

namespace gwtest {

inline std::string ErrorOf(const std::function<void()>& action, int* code = nullptr) {
    try {
        action();
    } catch (const gw::ECommError& e) {
        if (code)
            *code = e.ErrorCode;
        return e.what();
    }
    return "(no error)";
}

} // namespace gwtest
