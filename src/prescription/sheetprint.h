#pragma once
// The printed prescription of the window's sheet: what the sheet holds, laid out for the printer, and the
// three roads to paper (print on the prescription printer, preview, PDF file).

#include "prescription/printlayout.h"
#include "printing/document.h"

#include <QString>

class QWidget;

namespace lichuan {

class Form2;
class Messages;
struct SettingsValues;

// What the sheet of `form` holds now.
SheetContent sheetContent(const Form2& form);

// The print settings of the settings store.
PrescriptionPrintSettings prescriptionPrintSettings(const SettingsValues& values);

// The sheet laid out with `settings`.
printing::Document prescriptionDocument(const Form2& form, const PrescriptionPrintSettings& settings);

} // namespace lichuan
