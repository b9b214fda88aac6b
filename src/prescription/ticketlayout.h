#pragma once
// The printed pick-up ticket: one column laid out for the paper of the ticket printer, in millimetres on the
// printing surface. On a sheet (A5, A4) the column has a readable size and runs onto more pages when the
// items need them; on a receipt printer's roll (80 mm or 58 mm wide) it is narrow, long names wrap inside
// the paper's width, and the page is cut as long as the lines need.

#include "prescription/ticket.h"

#include <QString>

namespace lichuan {

namespace printing {
class Surface;
struct PageSetup;
} // namespace printing

// The paper the ticket is laid onto, in millimetres (portrait).
struct TicketPaper {
    double width = 210;
    double height = 297;
    // From the paper's corner to the printable area's (the printer cannot print nearer the edge; taken to
    // be the same at the right and at the bottom). 0 for a PDF file and the preview.
    double printableLeft = 0;
    double printableTop = 0;
};

// The paper of a printer as pageSetupFor() tells it.
TicketPaper ticketPaper(const printing::PageSetup& setup);

// The settings the ticket reads: 左边距2 and 上边距2 in millimetres; 10 leaves the ticket where the layout
// puts it, 12 moves it 2 mm right (or down).
struct TicketPrintSettings {
    QString leftMargin;
    QString topMargin;
};

namespace ticketlayout {
constexpr double kMarginBase = 10;    // mm: the margin that moves nothing
constexpr double kRollMaxWidth = 100; // mm: narrower paper is a receipt printer's roll
constexpr double kRollInset = 2;      // mm inside the printable area, left and right
constexpr double kRollTop = 3;
constexpr double kRollFeed = 8; // mm of paper after the last line, for the cutter
constexpr double kSheetInset = 12;
constexpr double kSheetTop = 12;
constexpr double kSheetBottom = 12;
constexpr double kSheetColumnWidth = 130; // mm: the widest column on a sheet
} // namespace ticketlayout

bool isRoll(const TicketPaper& paper);

// The ticket onto `surface` (the caller ends the document). For a roll the document gets its own paper: the
// roll's width, as long as the lines.
void layOutTicket(printing::Surface& surface, const ticket::Content& content,
                  const TicketPrintSettings& settings, const TicketPaper& paper);

} // namespace lichuan
