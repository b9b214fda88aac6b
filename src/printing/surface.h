#pragma once
// The surface every printout is drawn on. It records what is drawn into a Document and never paints; a
// backend (output.h) turns the document into pages. Texts are measured with the printer's metrics of the
// font, so that the positions a layout computes are those on paper.
//
// Coordinates are in the current unit (twips by default, or millimetres) and relative to the edge
// coordinates: with origin (L, T), the point (x, y) lands x − L units right of the printable area's left
// edge and y − T units below its top edge. The current position is the top-left of the next text.

#include "printing/document.h"
#include "printing/fonts.h"

#include <QFont>
#include <QFontMetricsF>
#include <QString>

namespace lichuan::printing {

class Surface {
public:
    Surface();

    // Changing the unit puts the origin back to (0, 0); the current position stays where it is on paper.
    void setUnit(Unit unit);
    Unit unit() const { return unit_; }

    void setOrigin(double left, double top);
    double originLeft() const { return left_; }
    double originTop() const { return top_; }

    // The orientation of the document being drawn (one per document).
    void setOrientation(Orientation orientation) { document_.orientation = orientation; }
    Orientation orientation() const { return document_.orientation; }

    // The paper of the document being drawn, in millimetres, when it is not the printer's own (a roll cut to
    // the length of what was printed on it).
    void setPaperSize(const QSizeF& millimetres) { document_.paperSize = millimetres; }

    // Applies to the texts printed afterwards; a size of 0 or less prints at 9 points.
    void setFont(const QString& name, double points, bool bold);
    QString fontName() const { return fontName_; }
    double fontPoints() const { return fontPoints_; }
    bool fontBold() const { return fontBold_; }

    double x() const;
    double y() const;
    void setX(double x);
    void setY(double y);
    void setPosition(double x, double y) {
        setX(x);
        setY(y);
    }

    // Prints `text` at the current position. Ending the line: x becomes the left edge coordinate and y
    // grows by the line height; staying on the line: x grows by the text's width. A text with line breaks
    // prints as that many lines, each but the last ending its line.
    void print(const QString& text, bool endLine);

    // Prints `text` (one line) with its top-left corner at (x, y), in the current font; the current position
    // stays where it is. For a layout that places each text itself: nothing is measured.
    void place(double x, double y, const QString& text);

    // Width of the following lines, in screen pixels (1/96 inch); less than 1 draws 1.
    void setPenWidth(int pixels) { penWidth_ = pixels; }
    int penWidth() const { return penWidth_; }
    void line(double x1, double y1, double x2, double y2);

    void newPage();

    // The line height and a text's width in the current font, in the current unit.
    double lineHeight() const;
    double textWidth(const QString& text) const;

    // Hands over what was drawn since the last end (a trailing page left empty by a new-page call is not
    // part of it). The surface starts the next document from its defaults: twips, origin (0, 0), portrait,
    // the printer's paper, position (0, 0), 宋体 9 points, pen width 1.
    Document endDocument();

private:
    double toTwipsX(double x) const { return (x - left_) * perUnit_; }
    double toTwipsY(double y) const { return (y - top_) * perUnit_; }
    Page& currentPage();
    void printPiece(const QString& text, bool endLine);
    void reset();

    PrinterMetrics metrics_;
    Document document_;
    Unit unit_ = Unit::Twips;
    double perUnit_ = 1.0; // twips per unit
    double left_ = 0;
    double top_ = 0;
    double xTwips_ = 0; // current position, twips from the printable area's corner
    double yTwips_ = 0;
    QString fontName_;
    double fontPoints_ = 9;
    bool fontBold_ = false;
    QFont font_;
    QFontMetricsF fontMetrics_;
    int penWidth_ = 1;
};

} // namespace lichuan::printing
