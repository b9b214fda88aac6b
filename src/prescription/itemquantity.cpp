#include "prescription/itemquantity.h"

#include "data/textrules.h"

#include <QList>
#include <algorithm>

namespace lichuan {

namespace {

bool isQuantityCharacter(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.');
}

// The number that ends just before `end`.
TextSpan numberBefore(const QString& text, int end) {
    int start = end;
    while (start > 0 && isQuantityCharacter(text.at(start - 1)))
        --start;
    return {start, end};
}

std::optional<TextSpan> herbalQuantity(const QString& text) {
    // The tail of the layout is the text after the last item's unit, as it stands in the item text.
    const HerbalLayout layout = layOutHerbal(text);
    if (layout.items.isEmpty())
        return std::nullopt;
    const int unit = int(text.size() - layout.tail.size()) - 1;
    return numberBefore(text, unit);
}

bool isItemLine(const QString& line) {
    return !trimSpaces(line).isEmpty() && !line.contains(QStringLiteral("用法"));
}

std::optional<TextSpan> westernQuantity(const QString& text) {
    QList<int> lineStarts{0};
    for (qsizetype p = text.indexOf(kCrLf); p >= 0; p = text.indexOf(kCrLf, p + 2))
        lineStarts << int(p + 2);
    for (auto it = lineStarts.crbegin(); it != lineStarts.crend(); ++it) {
        const int from = *it;
        const qsizetype next = text.indexOf(kCrLf, from);
        const QString line = text.mid(from, next < 0 ? -1 : next - from);
        if (!isItemLine(line))
            continue;
        // The quantity follows the name: after a bracketed specification, else after the first space.
        int nameEnd = int(line.lastIndexOf(QLatin1Char(']')));
        if (nameEnd < 0)
            nameEnd = int(line.indexOf(QLatin1Char(' ')));
        int numberEnd = int(line.size());
        while (numberEnd > nameEnd + 1 && !isQuantityCharacter(line.at(numberEnd - 1)))
            --numberEnd;
        if (numberEnd <= nameEnd + 1) {
            // No number after the name: the caret goes to the end of the line.
            const int end = from + int(trimTrailingSpaces(line).size());
            return TextSpan{end, end};
        }
        TextSpan span = numberBefore(line, numberEnd);
        span.start = std::max(span.start, nameEnd + 1);
        return TextSpan{from + span.start, from + span.end};
    }
    return std::nullopt;
}

} // namespace

std::optional<TextSpan> lastItemQuantity(const QString& itemText, bool herbal) {
    return herbal ? herbalQuantity(itemText) : westernQuantity(itemText);
}

} // namespace lichuan
