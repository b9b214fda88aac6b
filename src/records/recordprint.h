#pragma once
// The printed medical record: ruled pages with a copy of the window's header panel, the ten fields on the
// writing lines with their line budgets (a field that wraps onto more lines takes more), the record running
// on over further pages, and a footer with the doctor and the page number on every page.

#include "records/caserecord.h"

#include <QFont>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace lichuan {

namespace printing {
class Surface;
}

struct RecordPrintInput {
    std::array<QString, 7> header; // captions of the header labels: title, visit time, name, sex, age, …
    CaseRecordFields fields;       // "\r\n" line breaks
    QString doctor;                // the sheet's doctor field
    QString leftMargin;            // 左边距1, millimetres as typed (5 gives no shift)
    QString topMargin;             // 上边距1
};

// The font the record fields are written in, on the window and on paper.
QFont recordFieldFont();

// The lines of field i as the record window shows them (wrapped at the field's width).
QStringList recordFieldLines(const QString& text, int field);

// One written line of the printed record: the field it belongs to, whether it is the field's first line
// (which carries the section label) and its text.
struct RecordLine {
    int field;
    bool first;
    QString text;
};

// The written lines of the record in the order of the page: each field wrapped at its width as the window
// wraps it and given at least its budget of lines (现病史 and 体检 three, the others one; a field printed
// as one text has its line breaks turned into spaces first), then every line of the treatment.
std::vector<RecordLine> recordLines(const CaseRecordFields& fields);

// Draws the record onto the surface; the caller ends the document.
void layOutCaseRecord(printing::Surface& surface, const RecordPrintInput& input);

} // namespace lichuan
