#pragma once
// The house look of the windows: the cream background, the dark text and the
// Verdana face (with the system sans-serif when Verdana is not installed).
#include <QColor>
#include <QFont>

class QWidget;

namespace gw {

inline const QColor kBackground(248, 247, 237);
inline const QColor kText(51, 51, 51);

QFont HouseFont(int pointSize = 8, bool bold = false, const QString& family = "Verdana");

// Background colour, text colour and font of a window.
void ApplyHouseLook(QWidget* window);

// A tool window or dialog with a fixed client area, centred on the screen.
void SetFixedClientSize(QWidget* window, int width, int height);
void CentreOnScreen(QWidget* window);

} // namespace gw
