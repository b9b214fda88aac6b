#pragma once
// Where windows appear: child windows centred over the main window, 150 twips left of and 450 twips above
// the exact centre; top-level windows centred on the screen.

#include <QPoint>
#include <QRect>
#include <QSize>

class QMdiArea;
class QMdiSubWindow;
class QWidget;

namespace lichuan {

inline constexpr int kChildShiftLeftTwips = 150;
inline constexpr int kChildShiftUpTwips = 450;

// Top-left corner of a child window of outer size `child` in an area of size `area`: centred, then moved
// left and up by the given twips; never left of or above the area's corner.
QPoint centredPosition(const QSize& area, const QSize& child, int leftTwips = kChildShiftLeftTwips,
                       int upTwips = kChildShiftUpTwips);

// Moves `child` to its centred position in the visible part of `area`, shifted by the given twips.
void placeMdiChild(const QMdiArea& area, QMdiSubWindow& child, int leftTwips = kChildShiftLeftTwips,
                   int upTwips = kChildShiftUpTwips);

// Moves the top-level `window` to the centre of the screen it is on (or the primary screen), shifted by the
// given twips. Best effort where the window system places windows itself.
void centreOnScreen(QWidget& window, int leftTwips = 0, int upTwips = 0);

} // namespace lichuan
