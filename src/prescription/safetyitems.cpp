#include "prescription/safetyitems.h"

#include "data/numbers.h"
#include "data/textrules.h"
#include "prescription/pricingrules.h"

namespace lichuan {

namespace {

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The grams of a quantity written as "10g", "1.5 g", "10克" or "500mg"; negative for any other unit (枚,
// 条, 盒) and for a text without a number.
double gramsOf(const QString& text) {
    qsizetype at = 0;
    while (at < text.size() && !isDigit(text.at(at)))
        ++at;
    if (at == text.size())
        return -1;
    const double value = numbers::leadingNumber(QStringView(text).mid(at));
    while (at < text.size() &&
           (isDigit(text.at(at)) || text.at(at) == QLatin1Char('.') || text.at(at) == QLatin1Char(' ')))
        ++at;
    const QStringView unit = QStringView(text).mid(at).trimmed();
    if (unit.startsWith(QLatin1String("mg"), Qt::CaseInsensitive))
        return value / 1000;
    if (unit.startsWith(QLatin1Char('g'), Qt::CaseInsensitive) || unit.startsWith(QStringLiteral("克")))
        return value;
    return -1;
}

// A line of the tail or of a Western sheet: the name before the first space, the quantity after it.
void addLine(std::vector<safety::Item>& items, const QString& rawLine) {
    const QString line = stripEnumeration(rawLine);
    if (line.isEmpty() || line.contains(QStringLiteral("用法")))
        return;
    const qsizetype space = line.indexOf(QLatin1Char(' '));
    const QString name = space < 0 ? line : line.left(space);
    items.push_back({toCatalogBrackets(name), space < 0 ? -1 : gramsOf(line.mid(space + 1))});
}

} // namespace

std::vector<safety::Item> herbsOfItemText(const QString& itemText, bool herbal) {
    std::vector<safety::Item> items;
    if (!herbal) {
        for (const QString& line : logicalLines(itemText))
            addLine(items, line);
        return items;
    }
    const HerbalLayout layout = layOutHerbal(itemText);
    items.reserve(std::size_t(layout.items.size()));
    for (const QString& item : layout.items) {
        if (item.isEmpty())
            continue;
        // As pricing reads it: the unit characters out, the digits and what stood before them gone.
        const HerbItemText read = readHerbItem(item);
        const bool inGrams = item.endsWith(QLatin1Char('g')) && !item.endsWith(QLatin1String("mg"));
        items.push_back(
            {read.name, inGrams && !read.quantity.isEmpty() ? numbers::leadingNumber(read.quantity) : -1.0});
    }
    for (const QString& line : logicalLines(layout.tail))
        addLine(items, line);
    return items;
}

} // namespace lichuan
