#pragma once
// The printed outpatient log book: landscape pages of a ruled frame with a title, column headings, 14
// entries, the physician and the page number, laid out on the printing surface in millimetres.

#include "data/reports.h"

#include <QString>
#include <vector>

namespace lichuan::printing {
class Surface;
}

namespace lichuan::reports {

constexpr int kLogEntriesPerPage = 14;

struct LogBookInput {
    std::vector<LogRow> rows;
    QString leftMargin; // millimetres, as typed into the log window
    QString topMargin;  // millimetres
    QString physician;  // the sheet's physician field
};

// Lays the log book out on `surface`; nothing is drawn for no rows. The surface is left in twips, as every
// other layout expects it. The caller ends the document.
void layOutLogBook(printing::Surface& surface, const LogBookInput& input);

} // namespace lichuan::reports
