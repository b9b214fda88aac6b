#include "prescription/toolbar.h"

#include "prescription/form2.h"

namespace lichuan {

Toolbar::Toolbar(Form2& form) : form_(form) {}

bool Toolbar::SavePrescription() {
    return false;
}

} // namespace lichuan
