#include "prescription/printlayout.h"

#include "data/numbers.h"
#include "data/textrules.h"
#include "printing/fonts.h"
#include "printing/textboxlines.h"

#include <QtMath>

namespace lichuan {

namespace geo = sheetgeometry;
using namespace printlayout;

namespace {

const QString kSong = QStringLiteral("宋体");

// Fonts of the sheet on the screen.
constexpr double kTitlePoints = 15.75;
constexpr double kRpPoints = 18;
constexpr double kSheetPoints = 9.75;
constexpr double kItemBoxPoints = 11.25;

// The width a label takes on the screen, in whole pixels, as twips.
double labelWidth(const QString& text, double points, bool bold) {
    const double twips = printing::screenTextWidth(text, printing::printerFont(kSong, points, bold));
    return std::ceil(twips / 15.0 - 1e-6) * 15.0;
}

// A label centred on the sheet as the window centres it (in whole pixels).
double centredLeft(const QString& text) {
    const int sheetPixels = (geo::kSheet.width + 7) / 15;
    const int labelPixels = static_cast<int>(labelWidth(text, kTitlePoints, true) / 15.0);
    return ((sheetPixels - labelPixels) / 2) * 15.0;
}

void printText(printing::Surface& surface, const SheetText& text) {
    surface.setFont(text.font, text.points + kFontIncrease, text.bold);
    surface.setPosition(text.left * kScale, text.top * kScale);
    if (text.visible)
        surface.print(text.text, true);
}

void drawLine(printing::Surface& surface, const SheetLine& line) {
    surface.setPenWidth(line.width);
    if (line.visible)
        surface.line(line.x1 * kScale, line.y1 * kScale, line.x2 * kScale, line.y2 * kScale);
}

// Cuts `text` into lines no wider than `width` in the surface's font.
QStringList wrapped(const printing::Surface& surface, const QString& text, double width) {
    QStringList lines;
    QString line;
    for (const QChar c : text) {
        if (!line.isEmpty() && surface.textWidth(line + c) > width) {
            lines << line;
            line.clear();
        }
        line += c;
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

// The confirmation one line under the items (wrapped when long), never below the foot of the item box, with
// room for the doctor's signature after it.
void printConfirmation(printing::Surface& surface, const PrintedSheet& sheet, double boxBottom) {
    surface.setFont(kSong, kConfirmationPoints, false);
    const double width = geo::kRuleRight * kScale - sheet.itemsLeft - kSignatureRoom;
    const QStringList lines = wrapped(surface, sheet.confirmation, width);
    const double lastTop = boxBottom - double(lines.size()) * surface.lineHeight();
    surface.setY(std::min(surface.y() + kTextLineGap, lastTop));
    for (const QString& line : lines) {
        surface.setX(sheet.itemsLeft);
        surface.print(line, true);
    }
}

QString markUnits(QString line) {
    for (const QString& unit :
         {QStringLiteral("条"), QStringLiteral("g"), QStringLiteral("枚"), QStringLiteral("个")})
        line.replace(unit, unit + QLatin1Char('$'));
    return line;
}

} // namespace

QStringList herbalLineItems(const QString& line) {
    const QString marked = markUnits(line);
    if (!marked.contains(QLatin1Char('$')))
        return {};
    QStringList pieces = marked.split(QLatin1Char('$'));
    // After the last unit character stand the filler spaces, or a piece without a unit (a herb typed
    // without its quantity, an instruction): that piece is kept.
    const QString tail = pieces.takeLast();
    QStringList items;
    for (QString piece : pieces) {
        piece.remove(QStringLiteral("\r\n"));
        items << trimSpaces(piece);
    }
    const QString rest = trimSpaces(QString(tail).remove(QStringLiteral("\r\n")));
    if (!rest.isEmpty())
        items << rest;
    return items;
}

QStringList itemBoxLines(const QString& itemText, geo::Layout layout, int heightTwips) {
    const geo::Rect box = geo::itemsRect(layout);
    return printing::scrollingTextBoxLines(itemText, printing::printerFont(kSong, kItemBoxPoints, false),
                                           box.width, heightTwips > 0 ? heightTwips : box.height,
                                           geo::kItemsScrollBarPixels)
        .lines;
}

bool itemBoxScrolls(const QString& itemText, geo::Layout layout, int heightTwips) {
    const geo::Rect box = geo::itemsRect(layout);
    return printing::textBoxOverflows(itemText, printing::printerFont(kSong, kItemBoxPoints, false),
                                      box.width, heightTwips > 0 ? heightTwips : box.height);
}

PrintedSheet printedSheet(const SheetContent& content) {
    PrintedSheet sheet;
    const QString heading = QStringLiteral("处  方  笺");
    sheet.labels = {
        {content.clinicName, kSong, kTitlePoints, true, centredLeft(content.clinicName), geo::kTitleTop,
         true},
        {QStringLiteral("中药剂数："), kSong, kSheetPoints, false, double(geo::kDoseLabel.left),
         double(geo::kDoseLabel.top), content.herbal},
        {QStringLiteral("Rp"), kSong, kRpPoints, true, double(geo::kRp.left), double(geo::kRp.top), true},
        {heading, kSong, kTitlePoints, true, centredLeft(heading), geo::kHeadingTop, true},
    };
    for (int i = 0; i < kHeaderFieldCount; ++i) {
        const geo::HeaderField& field = geo::kHeaderFields[static_cast<size_t>(i)];
        const QString caption = QString::fromUtf16(field.caption);
        const double left = field.container.left;
        const double top = field.container.top;
        const double captionWidth = labelWidth(caption, kSheetPoints, false);
        const double fieldLeft = captionWidth + 75;
        const double fieldWidth = field.container.width - captionWidth - 135;
        sheet.captions.push_back({caption, kSong, kSheetPoints, false, left + geo::kCaptionLeft,
                                  top + geo::kCaptionTop, field.shown});
        sheet.fields.push_back({content.fields[static_cast<size_t>(i)], kSong, kSheetPoints, false,
                                left + fieldLeft, top + geo::kFieldTop, field.shown});
        sheet.underlines.push_back({left + fieldLeft - 60, top + geo::kUnderlineY,
                                    left + fieldLeft + fieldWidth + 60, top + geo::kUnderlineY, 1,
                                    field.shown});
    }
    sheet.rules.push_back(
        {double(geo::kRuleLeft), double(geo::kRuleY), double(geo::kRuleRight), double(geo::kRuleY), 1, true});
    sheet.doses = {
        content.doses, kSong, kSheetPoints, true, double(geo::kDoseCount.left), double(geo::kDoseCount.top),
        content.herbal};
    const geo::Rect items = geo::itemsRect(content.layout);
    sheet.itemsLeft = items.left;
    sheet.itemsTop = items.top;
    sheet.itemLines = itemBoxLines(content.itemText, content.layout, content.itemsHeight);
    sheet.herbal = content.herbal;
    sheet.confirmation = content.confirmation;
    return sheet;
}

void layOutPrescription(printing::Surface& surface, const PrintedSheet& sheet,
                        const PrescriptionPrintSettings& settings) {
    const double left = numbers::leadingNumber(settings.leftMargin) * kTwipsPerMm;
    const double top = numbers::leadingNumber(settings.topMargin) * kTwipsPerMm;
    surface.setOrigin(kMarginBase - left, kMarginBase - top);

    for (const SheetText& label : sheet.labels)
        printText(surface, label);
    for (const SheetText& caption : sheet.captions)
        printText(surface, caption);
    for (const SheetText& field : sheet.fields)
        printText(surface, field);
    for (const SheetLine& rule : sheet.rules)
        drawLine(surface, rule);
    for (const SheetLine& underline : sheet.underlines)
        drawLine(surface, underline);
    printText(surface, sheet.doses);

    const QString itemFont = settings.fontName.isEmpty() ? kSong : settings.fontName;
    const long long size = numbers::roundHalfEven(numbers::leadingNumber(settings.fontSize));
    const double itemPoints = size > 0 ? double(size) : double(kItemFontFallback);
    surface.setFont(itemFont, itemPoints, false);
    surface.setPosition(sheet.itemsLeft * kScale, sheet.itemsTop * kScale);

    for (const QString& line : sheet.itemLines) {
        surface.setX(sheet.itemsLeft);
        if (trimSpaces(line).isEmpty()) {
            surface.setY(surface.y() - kEmptyLineRise);
            surface.print(line, true);
            continue;
        }
        const QStringList items = sheet.herbal ? herbalLineItems(line) : QStringList();
        if (items.isEmpty()) {
            surface.setY(surface.y() + kTextLineGap);
            surface.print(line, true);
            continue;
        }
        int k = 0; // the column of the printed row
        for (const QString& item : items) {
            // Three columns to a row; a piece that would run past the sheet's right edge starts the next
            // row too, so that nothing is printed beyond the paper of the sheet.
            const bool full =
                k == kColumnsPerRow ||
                (k > 0 && sheet.itemsLeft + k * kColumnWidth + surface.textWidth(item) > kPrintedSheetRight);
            if (full) {
                surface.setY(surface.y() + kHerbRowHeight);
                k = 0;
            }
            const int open = item.indexOf(QLatin1Char('['));
            if (open < 0) {
                surface.setX(sheet.itemsLeft + k * kColumnWidth);
                surface.print(item, false);
                ++k;
                continue;
            }
            const int close = item.indexOf(QLatin1Char(']'), open);
            const QString name = trimSpaces(item.left(open));
            const QString note =
                trimSpaces(close < 0 ? item.mid(open + 1) : item.mid(open + 1, close - open - 1));
            const QString tail = close < 0 ? QString() : trimSpaces(item.mid(close + 1));
            surface.setX(sheet.itemsLeft + k * kBracketedColumnWidth + k * kBracketedColumnExtra);
            surface.print(name, false);
            surface.setY(surface.y() - kNoteRaise);
            surface.setX(surface.x() - kNoteShift);
            surface.setFont(kSong, kNotePoints, false);
            // A note the box wrapped before its "]" is printed as the box shows it, without one.
            surface.print(QLatin1Char('[') + note + (close < 0 ? QString() : QStringLiteral("]")), false);
            surface.setY(surface.y() + kNoteRaise);
            surface.setFont(itemFont, itemPoints, false);
            surface.print(tail, false);
            ++k;
        }
        surface.setY(surface.y() + kHerbRowHeight);
    }
    if (!sheet.confirmation.isEmpty())
        printConfirmation(surface, sheet, (sheet.itemsTop + geo::kItemsHeight) * kScale);
}

} // namespace lichuan
