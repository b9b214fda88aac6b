#pragma once
// The lines of a multi-line text box as the box shows them: each of its lines (separated by "\r\n") wrapped
// where the next character would pass the box's right edge. Computed from the box's width and font alone,
// so hidden or scrolled boxes and printouts get the same lines as the screen.

#include <QFont>
#include <QString>
#include <QStringList>

namespace lichuan::printing {

// Pixels between a plain text box's edge and its text, on either side.
constexpr int kTextBoxMarginPixels = 4;

// `text` as a borderless box `boxWidthTwips` wide (15 twips per screen pixel) shows it in `font` at the
// screen's resolution, wrapping at any character. Line breaks are not part of the lines; a line keeps the
// spaces it ends with. An empty text is one empty line.
QStringList textBoxLines(const QString& text, const QFont& font, int boxWidthTwips);

// Whether `text` is taller than a box of `boxWidthTwips` × `boxHeightTwips` that shows it in `font`.
bool textBoxOverflows(const QString& text, const QFont& font, int boxWidthTwips, int boxHeightTwips);

// The lines of a box that shows a vertical scroll bar when its text is taller than the box, and whether it
// shows it: while the bar shows, it takes `scrollBarPixels` off the width the lines wrap at.
struct ScrollingBoxLines {
    QStringList lines;
    bool scrollBar = false;
};
ScrollingBoxLines scrollingTextBoxLines(const QString& text, const QFont& font, int boxWidthTwips,
                                        int boxHeightTwips, int scrollBarPixels);

// The width in twips that `text` takes in `font` on the screen.
double screenTextWidth(const QString& text, const QFont& font);

} // namespace lichuan::printing
