#pragma once
// The house look of the windows: the cream background, the dark text and the
// Verdana face (with the system sans-serif when Verdana is not installed).
#include <QColor>
#include <QFont>
#include <QMargins>
#include <QRect>

class QWidget;

namespace gw {

inline const QColor kBackground(248, 247, 237);
inline const QColor kText(51, 51, 51);

QFont HouseFont(int pointSize = 8, bool bold = false, const QString& family = "Verdana");

// Background colour, text colour and font of a window.
void ApplyHouseLook(QWidget* window);

// A tool window or dialog with a fixed client area, centred on the screen.
void SetFixedClientSize(QWidget* window, int width, int height);

// Where a window with this client size and frame goes in `available`: centred
// when the whole frame fits; otherwise at the area's top left, shrunk to the
// area, so that the title bar and the bottom row of buttons can be reached.
// Returns the client geometry.
QRect PlacedGeometry(QSize client, QMargins frame, const QRect& available);

// Places a window within the available area of the screen it opens on (its
// parent's screen, or the primary one), as PlacedGeometry says. A window of
// fixed size whose controls are placed by position gets scroll bars instead of
// losing its bottom row; it takes its own size again on a screen with room.
void CentreOnScreen(QWidget* window);
void PlaceInArea(QWidget* window, const QRect& available);

} // namespace gw
