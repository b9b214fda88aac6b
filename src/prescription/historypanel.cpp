#include "prescription/historypanel.h"

#include "prescription/form2.h"

namespace lichuan {

HistoryPanel::HistoryPanel(Form2& form) : form_(form) {}

void HistoryPanel::setMonthRange() {}

void HistoryPanel::runQuery() {}

} // namespace lichuan
