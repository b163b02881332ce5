#include "gateway/frame_editor_sources.h"

#include "app/project_globals.h"
#include "gateway/USwap.h"

namespace gw {

FrameEditorWindow::Sources CurrentProjectSources(FrameListKind kind) {
    return {[] { return Project.PargenPath; },
            [kind] { return kind == FrameListKind::Receive ? Project.SdoPath : Project.PdoPath; },
            [](QTableWidget* table) { EditSwapCell(table); }};
}

} // namespace gw
