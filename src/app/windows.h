#pragma once
// The program's windows: created once at start, in a fixed order, the main
// window first (its creation runs the start-up), and kept until the end.
#include "app/app_folders.h"

#include <string>

namespace gw {

// Every window at once, in order.
void CreateAllWindows(const AppFolders& folders);
// Everything beside the executable, as in a build.
void CreateAllWindows(const std::string& exeDir);

// The program's start: the main window is created (running the start-up) and
// shown, and the other windows are created, in their fixed order, as soon as
// it has been painted; the user sees the main window without waiting for the
// windows that are not on the screen yet.
void StartWindows(const AppFolders& folders);

void DestroyAllWindows();

} // namespace gw
