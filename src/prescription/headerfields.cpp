#include "prescription/headerfields.h"

#include "prescription/form2.h"

namespace lichuan {

HeaderFields::HeaderFields(Form2& form) : form_(form) {}

} // namespace lichuan
