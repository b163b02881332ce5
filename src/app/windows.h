#pragma once
// The program's windows: created once at start, in a fixed order, the main
// window first (its creation runs the start-up), and kept until the end.
#include "app/app_folders.h"

#include <string>

namespace gw {

void CreateAllWindows(const AppFolders& folders);
// Everything beside the executable, as in a build.
void CreateAllWindows(const std::string& exeDir);
void DestroyAllWindows();

} // namespace gw
