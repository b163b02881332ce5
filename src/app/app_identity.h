#pragma once
// What the desktop knows the program by: its name, its menu entry and its
// icon. The program and its start-up benchmark set them the same way.
class QWidget;

namespace gw {

// The name is the title in the task bar and on message boxes; set it before
// any window is made.
void SetApplicationIdentity();

// The window icon comes from the icon theme, whose lookup reads the theme's
// folders: it is set once the main window has been painted, so the window
// does not wait for it.
void SetWindowIconAfterFirstPaint(QWidget* mainWindow);

} // namespace gw
