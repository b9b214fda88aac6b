#pragma once
// A printed document as data: what the layouts drew, page by page, before any backend paints it.
// Coordinates are twips (1440 per inch) from the top-left corner of the printable area.

#include <QSizeF>
#include <QString>
#include <variant>
#include <vector>

namespace lichuan::printing {

enum class Unit { Twips, Millimetres };
enum class Orientation { Portrait, Landscape };

// Text whose top edge stands at (x, y).
struct TextOp {
    double x = 0;
    double y = 0;
    QString font;
    double points = 0;
    bool bold = false;
    QString text;
};

// A black line; `penWidth` counts pixels of the screen (1/96 inch each), so a line keeps its thickness on
// every printer.
struct LineOp {
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
    int penWidth = 1;
};

using Operation = std::variant<TextOp, LineOp>;

struct Page {
    std::vector<Operation> operations;
};

struct Document {
    Orientation orientation = Orientation::Portrait;
    std::vector<Page> pages;
    // Millimetres: the paper a layout cut for itself (a roll's width and the length its lines need); empty
    // when the document goes onto the printer's own paper.
    QSizeF paperSize;

    // Nothing was drawn: such a document prints nothing.
    bool isEmpty() const;
    // Every text of the document in drawing order (what tests and the job title read).
    std::vector<const TextOp*> texts() const;
    std::vector<const LineOp*> lines() const;
};

} // namespace lichuan::printing
