#include "prescription/sheetprint.h"

#include "prescription/form2.h"
#include "prescription/safetypanel.h"
#include "prescription/sheetactions.h"
#include "settings/settingsstore.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"
#include "ui/twips.h"

#include <QLabel>
#include <QLineEdit>

namespace lichuan {

SheetContent sheetContent(const Form2& form) {
    SheetContent content;
    content.clinicName = form.sheet.Label2[0]->text();
    for (size_t i = 0; i < kHeaderFieldCount; ++i)
        content.fields[i] = form.sheet.Text5[i]->text();
    content.doses = form.sheet.Text6->text();
    content.herbal = form.actions().herbalMode();
    content.layout = form.state.layout;
    content.itemText = form.sheet.R1->text();
    content.itemsHeight = twips::fromPx(form.sheet.R1->height());
    content.confirmation = form.safety().printedConfirmation();
    return content;
}

PrescriptionPrintSettings prescriptionPrintSettings(const SettingsValues& values) {
    return {values.leftMargin, values.topMargin, values.fontName, values.fontSize};
}

printing::Document prescriptionDocument(const Form2& form, const PrescriptionPrintSettings& settings) {
    printing::Surface surface;
    layOutPrescription(surface, printedSheet(sheetContent(form)), settings);
    return surface.endDocument();
}

} // namespace lichuan
