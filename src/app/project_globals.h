#pragma once
// The current project, process-wide: set by start-up, New project and Open
// project, read by every window. Written on the user-interface thread only.
#include "app/workspace.h"

namespace gw {

extern ProjectPaths Project;

} // namespace gw
