#pragma once
// Whether a path lies inside a folder, decided on what the paths lead to.
#include <string>

namespace gw {

// True when `path` is `root` or lies below it. Both are resolved to canonical
// paths first (links followed, "." and ".." gone) and compared by whole
// components, so /x/PROJECTS-old is not inside /x/PROJECTS and a link that leads
// out of `root` is not inside it. A path that does not exist is inside nothing.
bool PathIsInside(const std::string& root, const std::string& path);

} // namespace gw
