#include "printing/painter.h"

#include "printing/fonts.h"

#include <QPageLayout>
#include <QPainter>
#include <QPen>
#include <QPrinter>

namespace lichuan::printing {

namespace {

constexpr double kScreenDpi = 96.0;

} // namespace

void preparePrinter(QPrinter& printer, const Document& document, const PageSetup& setup) {
    printer.setFullPage(true);
    const QPageLayout::Orientation orientation =
        document.orientation == Orientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
    const QPageSize paper =
        document.paperSize.isValid()
            ? QPageSize(document.paperSize, QPageSize::Millimeter, QString(), QPageSize::ExactMatch)
            : setup.pageSize;
    printer.setPageLayout(QPageLayout(paper, orientation, QMarginsF(0, 0, 0, 0)));
}

void paintPage(QPainter& painter, const Page& page, double dpiX, double dpiY, QPointF offsetTwips) {
    const double kx = dpiX / kTwipsPerInch;
    const double ky = dpiY / kTwipsPerInch;
    for (const Operation& op : page.operations) {
        if (const auto* text = std::get_if<TextOp>(&op)) {
            const QFont font = printerFont(text->font, text->points, text->bold);
            painter.setFont(font);
            painter.setPen(Qt::black);
            const double ascent = QFontMetricsF(font, painter.device()).ascent();
            painter.drawText(
                QPointF((text->x + offsetTwips.x()) * kx, (text->y + offsetTwips.y()) * ky + ascent),
                text->text);
        } else if (const auto* line = std::get_if<LineOp>(&op)) {
            QPen pen(Qt::black);
            pen.setWidthF(line->penWidth * dpiX / kScreenDpi);
            pen.setCapStyle(Qt::FlatCap);
            painter.setPen(pen);
            painter.drawLine(QPointF((line->x1 + offsetTwips.x()) * kx, (line->y1 + offsetTwips.y()) * ky),
                             QPointF((line->x2 + offsetTwips.x()) * kx, (line->y2 + offsetTwips.y()) * ky));
        }
    }
}

bool paintDocument(const Document& document, QPrinter& printer, QPointF offsetTwips) {
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double dpiX = printer.logicalDpiX();
    const double dpiY = printer.logicalDpiY();
    bool first = true;
    for (const Page& page : document.pages) {
        if (!first)
            printer.newPage();
        first = false;
        paintPage(painter, page, dpiX, dpiY, offsetTwips);
    }
    return painter.end();
}

} // namespace lichuan::printing
