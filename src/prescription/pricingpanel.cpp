#include "prescription/pricingpanel.h"

#include "prescription/form2.h"

namespace lichuan {

PricingPanel::PricingPanel(Form2& form) : form_(form) {}

} // namespace lichuan
