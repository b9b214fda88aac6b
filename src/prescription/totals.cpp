#include "prescription/totals.h"

#include "prescription/sheetgeometry.h"

namespace lichuan::totals {

QString lineAmount(const QString& quantity, const QString& price) {
    const double amount = numbers::leadingNumber(quantity) * numbers::leadingNumber(price);
    const QString text = numbers::fixed(amount, 3);
    return text == QLatin1String("0.000") ? QString() : text;
}

Recalculated recalculate(const PricedLines& lines) {
    Recalculated result;
    for (size_t i = 0; i < kPricedLineCount; ++i)
        result.amounts[i] = lineAmount(lines[i].quantity, lines[i].price);
    result.total = sheetTotal(result.amounts);
    return result;
}

int linesContainerTop(int value, int maximum) {
    namespace geo = sheetgeometry;
    const int header = geo::kHeaderButtonHeight;
    if (maximum <= 0)
        return header;
    const long long travel = static_cast<long long>(geo::kLinesContainer.height) - geo::kPricingPanel.height +
                             header + geo::kTotalsBar.height;
    return static_cast<int>(-travel * value / maximum) + header;
}

} // namespace lichuan::totals
