#include "printing/textboxlines.h"

#include "printing/fonts.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <QTextOption>

namespace lichuan::printing {

namespace {

constexpr double kTwipsPerScreenPixel = 15.0;

} // namespace

QStringList textBoxLines(const QString& text, const QFont& font, int boxWidthTwips) {
    ensureSongFace();
    const double lineWidth = boxWidthTwips / kTwipsPerScreenPixel - 2 * kTextBoxMarginPixels;
    QString paragraphs = text;
    paragraphs.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    paragraphs.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QTextOption option;
    option.setWrapMode(QTextOption::WrapAnywhere);
    QStringList lines;
    for (const QString& paragraph : paragraphs.split(QLatin1Char('\n'))) {
        if (paragraph.isEmpty()) {
            lines << QString();
            continue;
        }
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(lineWidth);
            lines << paragraph.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
    }
    return lines;
}

double screenTextWidth(const QString& text, const QFont& font) {
    ensureSongFace();
    return QFontMetricsF(font).horizontalAdvance(text) * kTwipsPerScreenPixel;
}

} // namespace lichuan::printing
