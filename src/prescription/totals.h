#pragma once
// The arithmetic of the priced lines: each line's amount from its quantity and unit price, the sheet's
// total from the amounts as shown, and where the scrolled lines stand.

#include "data/numbers.h"
#include "data/record.h"

#include <QString>
#include <array>

namespace lichuan::totals {

// quantity × unit price with three decimals, a half going away from zero; empty when it reads "0.000".
// Both cells are read by their leading number ("10g" reads 10, an empty or unreadable cell 0).
QString lineAmount(const QString& quantity, const QString& price);

// The exact sum of the amounts as shown (any range of texts), with two decimals; empty when that reads zero.
template <typename Amounts> QString sheetTotal(const Amounts& amounts) {
    numbers::Decimal4 total;
    for (const QString& amount : amounts)
        total += numbers::Decimal4::fromText(amount);
    const QString text = total.toFixed2();
    return numbers::leadingNumber(text) == 0 ? QString() : text;
}

struct Recalculated {
    std::array<QString, kPricedLineCount> amounts; // Lb6 of every line
    QString total;                                 // Label16 and header field 9
};
// Every line's amount and the total, as RecalcTotals writes them.
Recalculated recalculate(const PricedLines& lines);

// The top (twips, within the pricing panel) of the lines container for a scroll value: value 0 puts
// line 0 right under the column headers, the maximum puts the last lines just above the totals bar.
int linesContainerTop(int value, int maximum);

} // namespace lichuan::totals
