#pragma once
// The herbs of the item text as the clinical checks read them, the way pricing reads the sheet: on a herbal
// sheet every item of the herbal layout (name and quantity per dose), then the lines of the tail; on a
// Western sheet every line that is not a usage line, its name before the first space. Which of them are
// herbs the rules decide (a Western drug names no rule); a quantity counts in grams only when it is written
// in g (or mg).

#include "safety/check.h"

#include <QString>
#include <vector>

namespace lichuan {

std::vector<safety::Item> herbsOfItemText(const QString& itemText, bool herbal);

} // namespace lichuan
