#include "data/textrules.h"

#include "data/gbk.h"

#include <algorithm>

namespace lichuan {

namespace {

const QChar kSpace = QLatin1Char(' ');
const QChar kItemEnd = QLatin1Char('$');

// Display columns at which the herbal layout starts a new line, and the width of one cell.
constexpr int kLastColumnOfLine = 35;
constexpr int kCellColumns = 13;

bool isUnitCharacter(QChar c) {
    return c == QChar(0x6761) /* 条 */ || c == QLatin1Char('g') || c == QChar(0x679A) /* 枚 */ ||
           c == QChar(0x4E2A) /* 个 */;
}

} // namespace

QString trimLeadingSpaces(const QString& text) {
    qsizetype start = 0;
    while (start < text.size() && text.at(start) == kSpace)
        ++start;
    return text.mid(start);
}

QString trimTrailingSpaces(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == kSpace)
        --end;
    return text.left(end);
}

QString trimSpaces(const QString& text) {
    return trimLeadingSpaces(trimTrailingSpaces(text));
}

QString PadItem(const QString& item) {
    const int width = gbk::displayColumns(item);
    const int fill = width <= kCellColumns - 1 ? kCellColumns - width : 1;
    return item + QString(fill, kSpace);
}

int CaretColumn(const QString& text, int position) {
    const qsizetype end = std::clamp<qsizetype>(position, 0, text.size());
    // The line starts after the last break that ends at or before the position.
    const qsizetype lastBreak = end >= 2 ? text.lastIndexOf(kCrLf, end - 2) : -1;
    const qsizetype lineStart = lastBreak >= 0 ? lastBreak + 2 : 0;
    return 1 + gbk::displayColumns(QStringView(text).mid(lineStart, end - lineStart));
}

HerbalLayout layOutHerbal(const QString& text) {
    HerbalLayout result;

    // Every unit character ends an item, and so does a "$" the user typed.
    QString marked;
    marked.reserve(text.size() + text.size() / 4);
    for (const QChar c : text) {
        marked += c;
        if (isUnitCharacter(c))
            marked += kItemEnd;
    }

    const qsizetype lastEnd = marked.lastIndexOf(kItemEnd);
    result.tail = marked.mid(lastEnd + 1);
    if (lastEnd < 0) {
        result.text = text;
        return result;
    }

    qsizetype pieceStart = 0;
    while (pieceStart <= lastEnd) {
        const qsizetype pieceEnd = marked.indexOf(kItemEnd, pieceStart);
        QString item = trimSpaces(marked.mid(pieceStart, pieceEnd - pieceStart));
        item.remove(kCrLf);
        result.items << item;
        pieceStart = pieceEnd + 1;
    }

    QString laidOut;
    for (const QString& item : std::as_const(result.items)) {
        if (CaretColumn(laidOut, int(laidOut.size())) > kLastColumnOfLine)
            laidOut += kCrLf + kCrLf;
        laidOut += PadItem(item);
    }
    result.caret = int(laidOut.size());
    result.text = laidOut + result.tail;
    return result;
}

QString trimForSave(const QString& content) {
    QString text = content;
    for (int pass = 0; pass < 21; ++pass) {
        text = trimSpaces(text);
        if (text.endsWith(kCrLf))
            text.chop(2);
    }
    return text;
}

QString normaliseFormula(const QString& content) {
    QString text = content;
    text.replace(QChar(0x514B) /* 克 */, QLatin1Char('g'));
    text.replace(QChar(0x3001) /* 、 */, kSpace);
    return text;
}

QString westernTemplateInsertion(const QString& itemText, const QString& content) {
    if (CaretColumn(itemText, int(itemText.size())) > 1)
        return kCrLf + content + kCrLf + kCrLf;
    return content + kCrLf + kCrLf;
}

QString toCrLf(const QString& widgetText) {
    QString text;
    text.reserve(widgetText.size() + widgetText.size() / 16);
    for (qsizetype i = 0; i < widgetText.size(); ++i) {
        const QChar c = widgetText.at(i);
        if (c == QLatin1Char('\r') && i + 1 < widgetText.size() &&
            widgetText.at(i + 1) == QLatin1Char('\n')) {
            text += kCrLf;
            ++i;
        } else if (c == QLatin1Char('\n') || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            text += kCrLf;
        } else {
            text += c;
        }
    }
    return text;
}

QString fromCrLf(const QString& text) {
    QString widgetText = text;
    widgetText.replace(kCrLf, QStringLiteral("\n"));
    return widgetText;
}

int crLfPositionToWidget(const QString& crLfText, int position) {
    const qsizetype end = std::clamp<qsizetype>(position, 0, crLfText.size());
    int widgetPosition = 0;
    for (qsizetype i = 0; i < end; ++i) {
        const bool pair = crLfText.at(i) == QLatin1Char('\r') && i + 1 < crLfText.size() &&
                          crLfText.at(i + 1) == QLatin1Char('\n');
        if (!pair) {
            ++widgetPosition;
        } else if (i + 1 < end) {
            ++widgetPosition; // the whole break lies before the position: one "\n" in the widget
            ++i;
        }
        // A position between "\r" and "\n" falls just before the break in the widget.
    }
    return widgetPosition;
}

int widgetPositionToCrLf(const QString& widgetText, int position) {
    const qsizetype end = std::clamp<qsizetype>(position, 0, widgetText.size());
    int added = 0;
    for (qsizetype i = 0; i < end; ++i) {
        const QChar c = widgetText.at(i);
        if (c == QLatin1Char('\r') && i + 1 < widgetText.size() &&
            widgetText.at(i + 1) == QLatin1Char('\n')) {
            ++i; // already a pair, nothing is added
        } else if (c == QLatin1Char('\n') || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            ++added;
        }
    }
    return int(end) + added;
}

} // namespace lichuan
