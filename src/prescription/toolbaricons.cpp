#include "prescription/toolbaricons.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <array>

namespace lichuan {

namespace {

// Every icon is drawn on a grid of 24 × 24 units.
constexpr double kGrid = 24.0;

const QColor kInk(52, 73, 94);
const QColor kPaper(255, 255, 255);
const QColor kGreen(39, 174, 96);
const QColor kBlue(41, 128, 185);
const QColor kRed(192, 57, 43);
const QColor kAmber(230, 126, 34);

QPen pen(const QColor& colour, double width = 1.6) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A sheet of paper with a folded corner.
void page(QPainter& p, double left, double top, double right, double bottom) {
    const double fold = 4.5;
    QPainterPath outline;
    outline.moveTo(left, top);
    outline.lineTo(right - fold, top);
    outline.lineTo(right, top + fold);
    outline.lineTo(right, bottom);
    outline.lineTo(left, bottom);
    outline.closeSubpath();
    p.setPen(pen(kInk));
    p.setBrush(kPaper);
    p.drawPath(outline);
    p.drawPolyline(QPolygonF{{right - fold, top}, {right - fold, top + fold}, {right, top + fold}});
}

void plus(QPainter& p, QPointF centre, double half, const QColor& colour) {
    p.setPen(pen(colour, 2.0));
    p.drawLine(QPointF(centre.x() - half, centre.y()), QPointF(centre.x() + half, centre.y()));
    p.drawLine(QPointF(centre.x(), centre.y() - half), QPointF(centre.x(), centre.y() + half));
}

void drawNewSheet(QPainter& p) {
    page(p, 5, 3, 19, 21);
    plus(p, {12, 14}, 3.5, kGreen);
}

void drawRenew(QPainter& p) {
    page(p, 5, 3, 19, 21);
    p.setPen(pen(kGreen, 1.8));
    p.setBrush(Qt::NoBrush);
    const QRectF circle(8.5, 10.5, 7, 7);
    p.drawArc(circle, 60 * 16, 280 * 16);
    // The arrow head at the start of the arc.
    p.setBrush(kGreen);
    p.setPen(pen(kGreen, 1.0));
    p.drawPolygon(QPolygonF{{13.9, 8.6}, {16.4, 11.3}, {12.9, 11.9}});
}

void drawSave(QPainter& p) {
    QPainterPath disk;
    disk.moveTo(4, 4);
    disk.lineTo(17, 4);
    disk.lineTo(20, 7);
    disk.lineTo(20, 20);
    disk.lineTo(4, 20);
    disk.closeSubpath();
    p.setPen(pen(kInk));
    p.setBrush(kPaper);
    p.drawPath(disk);
    p.setBrush(kBlue);
    p.drawRect(QRectF(8, 4, 7, 5));
    p.setBrush(kPaper);
    p.drawRect(QRectF(7, 13, 10, 7));
    p.drawLine(QPointF(9, 16), QPointF(15, 16));
}

void drawPrint(QPainter& p) {
    p.setPen(pen(kInk));
    p.setBrush(kPaper);
    p.drawRect(QRectF(7, 3, 10, 5));
    p.drawRoundedRect(QRectF(3, 8, 18, 9), 2, 2);
    p.drawRect(QRectF(7, 14, 10, 7));
    p.drawLine(QPointF(9, 17), QPointF(15, 17));
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawEllipse(QPointF(17.5, 11), 1.1, 1.1);
}

void drawLog(QPainter& p) {
    p.setPen(pen(kInk));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(5, 3, 14, 18), 1.5, 1.5);
    p.setPen(pen(kBlue, 2.0));
    p.drawLine(QPointF(8.5, 3.8), QPointF(8.5, 20.2));
    p.setPen(pen(kInk, 1.3));
    for (double y : {8.0, 12.0, 16.0})
        p.drawLine(QPointF(11.5, y), QPointF(16.5, y));
}

void drawSaveAsSet(QPainter& p) {
    p.setPen(pen(kInk));
    p.setBrush(Qt::NoBrush);
    for (double dy : {8.0, 4.0}) {
        p.drawPolyline(QPolygonF{{3, 8 + dy}, {12, 13 + dy}, {21, 8 + dy}});
    }
    p.setBrush(QColor(214, 234, 248));
    p.drawPolygon(QPolygonF{{12, 3}, {21, 8}, {12, 13}, {3, 8}});
}

void drawCaseRecord(QPainter& p) {
    p.setPen(pen(kInk));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(5, 5, 14, 16), 1.5, 1.5);
    p.setBrush(kInk);
    p.drawRoundedRect(QRectF(9, 3, 6, 4), 1, 1);
    plus(p, {12, 14}, 3.5, kRed);
}

void drawStatistics(QPainter& p) {
    p.setPen(pen(kInk));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF{{4, 3}, {4, 20}, {21, 20}});
    p.setPen(pen(kInk, 1.2));
    const std::array<std::pair<double, QColor>, 3> bars{{{12, kBlue}, {8, kGreen}, {5, kAmber}}};
    double left = 7;
    for (const auto& [top, colour] : bars) {
        p.setBrush(colour);
        p.drawRect(QRectF(left, top, 3.2, 20 - top));
        left += 4.8;
    }
}

void drawHelp(QPainter& p) {
    p.setPen(pen(kInk));
    p.setBrush(kPaper);
    p.drawEllipse(QPointF(12, 12), 9, 9);
    p.setPen(pen(kBlue, 2.0));
    p.setBrush(Qt::NoBrush);
    QPainterPath mark;
    mark.moveTo(9.2, 9.6);
    mark.cubicTo(9.2, 6.4, 14.8, 6.4, 14.8, 9.6);
    mark.cubicTo(14.8, 11.8, 12, 11.6, 12, 14.2);
    p.drawPath(mark);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawEllipse(QPointF(12, 17.2), 1.2, 1.2);
}

void drawCopy(QPainter& p) {
    page(p, 4, 3, 15, 17);
    page(p, 9, 7, 20, 21);
    p.setPen(pen(kBlue, 1.3));
    for (double y : {12.5, 15.5, 18.0})
        p.drawLine(QPointF(11.5, y), QPointF(16.5, y));
}

void drawAbout(QPainter& p) {
    p.setPen(pen(kInk));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(3, 6, 18, 13), 1.5, 1.5);
    p.setPen(pen(kAmber, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF{{3.8, 7}, {12, 13.5}, {20.2, 7}});
}

} // namespace

QPixmap toolbarIcon(int index, int size) {
    using Draw = void (*)(QPainter&);
    static const std::array<Draw, kToolbarButtonCount> draw{{drawNewSheet, drawRenew, drawSave, drawPrint,
                                                             drawLog, drawSaveAsSet, drawCaseRecord,
                                                             drawStatistics, drawHelp, drawCopy, drawAbout}};
    if (index < 0 || index >= kToolbarButtonCount || size <= 0)
        return QPixmap();

    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kGrid, size / kGrid);
    draw[static_cast<size_t>(index)](painter);
    return pixmap;
}

} // namespace lichuan
