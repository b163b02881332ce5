#pragma once
// What the two frame editors take from the program: the current project's
// documents and the byte swap dialog.
#include "ui/frame_editor.h"

namespace gw {

FrameEditorWindow::Sources CurrentProjectSources(FrameListKind kind);

} // namespace gw
