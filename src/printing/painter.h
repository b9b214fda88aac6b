#pragma once
// The Qt backend: paints a recorded Document onto a printer or PDF device. Pages are painted full-page;
// every position is converted from twips to device units here (the painter is never scaled, so point sizes
// and pens keep their physical size), shifted by the printable-area offset of the paper the page is for.

#include "printing/document.h"

#include <QPageSize>
#include <QPointF>

class QPainter;
class QPrinter;

namespace lichuan::printing {

// The paper a document is laid onto: its size and where the printer's printable area starts on it.
struct PageSetup {
    QPageSize pageSize{QPageSize::A4};
    QPointF printableOffset; // twips from the paper's top-left corner to the printable area's
};

// Paper size (the document's own when it has one), full-page mode and the document's orientation, set
// before painting starts.
void preparePrinter(QPrinter& printer, const Document& document, const PageSetup& setup);

// Paints one page with an active painter on a device of `dpiX` × `dpiY`.
void paintPage(QPainter& painter, const Page& page, double dpiX, double dpiY, QPointF offsetTwips);

// Paints every page onto a printer prepared with preparePrinter(); false when painting could not start.
bool paintDocument(const Document& document, QPrinter& printer, QPointF offsetTwips);

} // namespace lichuan::printing
