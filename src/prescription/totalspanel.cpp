#include "prescription/totalspanel.h"

#include "prescription/form2.h"

namespace lichuan {

TotalsPanel::TotalsPanel(Form2& form) : form_(form) {}

void TotalsPanel::RecalcTotals() {}

void TotalsPanel::drawerSort() {}

} // namespace lichuan
