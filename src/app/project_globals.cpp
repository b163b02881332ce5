#include "app/project_globals.h"

namespace gw {

ProjectPaths Project;

} // namespace gw
