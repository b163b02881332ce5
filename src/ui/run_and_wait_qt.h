#pragma once
// Starts a program, and waits for it a bounded time or not at all. The wait
// blocks input to the program's windows but lets them repaint.
#include "update/run_and_wait.h"

#include <QString>

#include <string>

namespace gw {

enum class RunAndWaitResult {
    NotStarted, // the program is missing or cannot be executed
    Ended,      // the program ended within the limit
    TimedOut,   // still running at the limit; it is left running
};

// Starts `program` with `parameters` split by SplitParameterText, without a
// shell. `hidden` asks for no window; programs here have no show state to set,
// so it changes nothing on this platform.
RunAndWaitResult RunAndWait(const std::string& program, const std::string& parameters, bool hidden,
                            int limitMs = kRunAndWaitLimitMs);

// Starts `program` with `parameters` split as RunAndWait does, without waiting
// for it; false when it cannot be started.
bool StartProgram(const std::string& program, const std::string& parameters);

// The message box text for a program that could not be started.
QString CannotStartText(const std::string& program);

} // namespace gw
