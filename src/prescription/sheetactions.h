#pragma once
// Operations on the sheet that several panels share: layouts, keys, clearing, laying out the item text,
// and moving the sheet to and from its stored record.

#include "data/record.h"
#include "prescription/sheetgeometry.h"

namespace lichuan {

class Form2;

class SheetActions {
public:
    explicit SheetActions(Form2& form);

    // Herbal mode while the dose count is shown, Western mode otherwise.
    bool herbalMode() const;
    // Puts R1 where the layout wants it and shows or hides the dose count, its label and its caption.
    void applyLayout(sheetgeometry::Layout layout);
    // Shows R1's scroll bar while its text is taller than the box of the layout, hides it otherwise.
    void fitItemScrollBar();
    // The layout New, Renew and the delete apply: categories 0 and 5 the wide herbal layout with the dose
    // count 6, categories 1 and 4 the Western layout; 2 and 3 leave the layout as it is.
    void applyLayoutForCategory();
    // Empties the cells Lb2 … Lb7 of every priced line (Lb8 keeps its text) and scrolls back to line 0.
    void clearPricedLines();
    // A new record key (Label4), record number (field 12) and date (field 5); the sheet counts as unsaved.
    void newRecordKey();
    // Empties the header fields and fills the defaults of a new sheet from the settings store.
    void resetHeaderFields();
    // Lays the item text out in 13-column cells, three to a line, caret after the last item.
    void RC1();
    // Hides the three suggestion lists of the header.
    void hideSuggestions();
    // Shows category k's button in bold type, the others in normal type.
    void setBoldCategory(int category);
    // Centres the clinic title and the heading on the sheet.
    void centreTitles();

    // The medical record belongs to the record key it was written for. Before the sheet moves to another
    // key, leaveRecordKey() takes the record the sheet holds (what an open record window shows, else
    // `PendingCaseRecord`) and, when the sheet's row is stored with another record, stores it there; after
    // the move, followRecordKey() has the open record window show the new sheet's record.
    void leaveRecordKey();
    void followRecordKey();
    // `PendingCaseRecord` = what the open record window shows (nothing changes when none is open).
    void takeCaseRecord();
    // The sheet differs from what was last stored or reloaded, or was never stored (its medical record
    // aside).
    bool hasUnsavedChanges() const;

    PricedLines pricedLines() const;
    // Writes the cells Lb2 … Lb7 of every line, and Lb8 too when `withCategory` is set.
    void setPricedLines(const PricedLines& lines, bool withCategory);
    SheetRecord toRecord() const;

    // The sheet's save (`SavePrescription`): checks the sheet, writes the prescription row (with
    // `PendingCaseRecord`) and the patient row, and says what was not stored. False when nothing was saved.
    // The toolbar's 保存, settlement and the medical record save through it.
    bool saveSheet();

private:
    Form2& form_;
};

} // namespace lichuan
