#pragma once
// Where the quantity of the last item stands in the item text, so that a key can select it for typing over.

#include <QString>
#include <optional>

namespace lichuan {

// A span [start, end) of positions in the "\r\n" item text; empty when the item has no number to select, the
// caret then going to `start`.
struct TextSpan {
    int start = 0;
    int end = 0;
};

// Herbal text: the number just before the unit of the last item (石膏[先煎]10g → 10). Western text: the
// number of the last item line (a line that is not empty and not a usage line), the last number after the
// item's name (阿莫西林胶囊[0.25g*24] 1盒 → 1). Nothing when the text holds no item.
std::optional<TextSpan> lastItemQuantity(const QString& itemText, bool herbal);

} // namespace lichuan
