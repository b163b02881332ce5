#pragma once
// Small pieces the bridge editors with fixed layouts share: a button at a
// fixed place, and the notice of a document's load.
#include "bridge/bridge_documents.h"

class QPushButton;
class QTabWidget;
class QWidget;

namespace gw {

// A button of the window at a fixed place that Enter in an edit field never
// presses (New, Delete and the like act only when clicked).
QPushButton* PlaceButton(QWidget* parent, const char* name, const char* caption, int x, int y,
                         int w = 75, int h = 25);

// The notebook "PageControl1" filling a window's content area.
QTabWidget* ContentTabs(QWidget* content);

// Tells the user that the document was not found or could not be read (the
// editor's fixed texts); true when it could not be read.
bool ShowLoadNotice(QWidget* parent, const BridgeLoad& load, const char* notFound,
                    const char* readError);

} // namespace gw
