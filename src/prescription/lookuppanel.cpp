#include "prescription/lookuppanel.h"

#include "prescription/form2.h"

namespace lichuan {

LookupPanel::LookupPanel(Form2& form) : form_(form) {}

void LookupPanel::fillStartup() {}

void LookupPanel::fill() {}

} // namespace lichuan
