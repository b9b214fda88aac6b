#include "prescription/drawersort.h"

#include "data/gbk.h"
#include "data/textrules.h"

#include <algorithm>
#include <vector>

namespace lichuan::drawersort {

QString sortEntry(const PricedLine& line) {
    const QChar s(QLatin1Char('$'));
    return line.drawer + s + line.name + s + line.quantity + s + line.unit + s + line.price + s +
           line.amount + s + line.drawer + s;
}

bool entryLess(const QString& a, const QString& b) {
    // The GBK order folds ASCII case and puts "$" (0x24) before the digits (0x30…) and the digits before
    // the letters; double-byte characters follow all single-byte ones.
    return gbk::compare(a, b) < 0;
}

PricedLines sortByDrawer(const PricedLines& lines) {
    struct Keyed {
        QString entry;
        const PricedLine* line;
    };
    std::vector<Keyed> kept;
    for (const PricedLine& line : lines) {
        if (!trimSpaces(line.name).isEmpty())
            kept.push_back({sortEntry(line), &line});
    }
    std::stable_sort(kept.begin(), kept.end(),
                     [](const Keyed& a, const Keyed& b) { return entryLess(a.entry, b.entry); });
    PricedLines sorted;
    for (size_t r = 0; r < kept.size(); ++r)
        sorted[r] = *kept[r].line;
    return sorted;
}

} // namespace lichuan::drawersort
