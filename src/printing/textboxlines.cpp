#include "printing/textboxlines.h"

#include "printing/fonts.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <QTextOption>
#include <cmath>
#include <limits>

namespace lichuan::printing {

namespace {

constexpr double kTwipsPerScreenPixel = 15.0;

struct Laid {
    QStringList lines;
    double height = 0; // pixels, as the box stacks its lines
};

// The lines at the box's width less `scrollBarPixels`; the layout stops once the lines are taller than
// `enough` pixels.
Laid layOut(const QString& text, const QFont& font, int boxWidthTwips, int scrollBarPixels,
            double enough = std::numeric_limits<double>::infinity()) {
    ensureSongFace();
    const double lineWidth =
        boxWidthTwips / kTwipsPerScreenPixel - scrollBarPixels - 2 * kTextBoxMarginPixels;
    QString paragraphs = text;
    paragraphs.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    paragraphs.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QTextOption option;
    option.setWrapMode(QTextOption::WrapAnywhere);
    Laid laid;
    for (const QString& paragraph : paragraphs.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        // Stacked as the box stacks them: a negative leading draws the next line of a paragraph closer.
        double top = 0;
        double bottom = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLeadingIncluded(true);
            line.setLineWidth(lineWidth);
            laid.lines << paragraph.mid(line.textStart(), line.textLength());
            bottom = top + line.height();
            top = bottom + (line.leading() < 0 ? std::ceil(line.leading()) : 0);
        }
        layout.endLayout();
        if (bottom == 0) { // an empty paragraph is an empty line of its own
            laid.lines << QString();
            bottom = QFontMetricsF(font).height();
        }
        laid.height += bottom;
        if (laid.height > enough)
            break;
    }
    return laid;
}

} // namespace

QStringList textBoxLines(const QString& text, const QFont& font, int boxWidthTwips) {
    return layOut(text, font, boxWidthTwips, 0).lines;
}

bool textBoxOverflows(const QString& text, const QFont& font, int boxWidthTwips, int boxHeightTwips) {
    // Taller than the room between the box's top and bottom margins, as the box counts it.
    const double room = boxHeightTwips / kTwipsPerScreenPixel - 2 * kTextBoxMarginPixels - 1;
    return layOut(text, font, boxWidthTwips, 0, room).height > room;
}

ScrollingBoxLines scrollingTextBoxLines(const QString& text, const QFont& font, int boxWidthTwips,
                                        int boxHeightTwips, int scrollBarPixels) {
    const bool scrolls = textBoxOverflows(text, font, boxWidthTwips, boxHeightTwips);
    return {layOut(text, font, boxWidthTwips, scrolls ? scrollBarPixels : 0).lines, scrolls};
}

double screenTextWidth(const QString& text, const QFont& font) {
    ensureSongFace();
    return QFontMetricsF(font).horizontalAdvance(text) * kTwipsPerScreenPixel;
}

} // namespace lichuan::printing
