#pragma once
// "按斗位排序": the priced lines in the order of their drawer positions in the herb cabinet.

#include "data/record.h"

#include <QString>

namespace lichuan::drawersort {

// The text a line is ordered by: drawer $ name $ quantity $ unit $ price $ amount $ drawer $.
QString sortEntry(const PricedLine& line);

// Text order of two sort entries without regard to letter case: "$" before digits, digits before letters,
// letters before Chinese characters (which follow their GBK codes). Drawer positions compare as text, so
// "10" comes before "2" and "A10" before "A2"; an empty drawer comes first.
bool entryLess(const QString& a, const QString& b);

// The lines whose name is not blank, in the order of their sort entries (equal entries keep their order),
// packed from line 0; every cell moves with its line and the lines below stay empty.
PricedLines sortByDrawer(const PricedLines& lines);

} // namespace lichuan::drawersort
