#pragma once
// The temporary file a replace writes before renaming it over its target. It
// holds an exclusive lock for as long as its writer keeps it open; a killed
// writer's lock goes with the process, so the next save of the same target can
// tell an abandoned file from one that is being written, and removes it.
#include <string>

namespace gw {

// Creates ".NAME.XXXXXX" beside `target`, open for writing and locked, after
// removing what killed saves of the same target left there. Returns the
// descriptor and sets `tempPath`; -1 with errno when it cannot be created.
int CreateReplacementTemp(const std::string& target, std::string& tempPath);

// Removes the unlocked ".NAME.XXXXXX" files beside `target`.
void RemoveAbandonedTemps(const std::string& target);

} // namespace gw
