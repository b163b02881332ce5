#pragma once
// Work that must not delay a window's first appearance: run once that window
// has been painted for the first time.
#include <functional>

class QWidget;

namespace gw {

// Calls `work` from the event loop right after `window`'s first paint.
void RunAfterFirstPaint(QWidget* window, std::function<void()> work);

} // namespace gw
