#pragma once
// The printed prescription: a copy of the sheet's labels, header fields, ruling lines and dose count, scaled
// by 1.2, followed by the item text laid out anew for the printer (herbs in columns with their notes
// raised, other lines whole). The inputs are plain values, so the layout is tested on the recorded page.

#include "prescription/sheetgeometry.h"
#include "printing/surface.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace lichuan {

// A text of the sheet: where it stands on the sheet (twips) and its font on the screen.
struct SheetText {
    QString text;
    QString font;
    double points = 9.75;
    bool bold = false;
    double left = 0;
    double top = 0;
    bool visible = true;
};

struct SheetLine {
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
    int width = 1;
    bool visible = true;
};

// The sheet as it is printed. Header parts carry their places on the sheet (container plus own place).
struct PrintedSheet {
    std::vector<SheetText> labels;     // Label2(i): title, "中药剂数：", "Rp", "处  方  笺"
    std::vector<SheetText> captions;   // Label1(i)
    std::vector<SheetText> fields;     // Text5(i)
    std::vector<SheetLine> rules;      // Line2(i)
    std::vector<SheetLine> underlines; // Line6(i)
    SheetText doses;                   // Text6
    double itemsLeft = 0;              // R1
    double itemsTop = 0;
    QStringList itemLines; // the lines of R1 as the box shows them
    bool herbal = true;    // the dose count is shown
    QString confirmation;  // "医师确认：<reason>" under the items, or empty
};

// The settings values the printout reads, as the settings store holds them.
struct PrescriptionPrintSettings {
    QString leftMargin; // 左边距, millimetres; 10 leaves the sheet where it is
    QString topMargin;  // 上边距
    QString fontName;   // 处方字体
    QString fontSize;   // 处方字号; 0 or empty prints the items at 14 points
};

namespace printlayout {
constexpr double kScale = 1.2;
constexpr double kTwipsPerMm = 56.7;
constexpr double kMarginBase = 567;
constexpr double kFontIncrease = 2;
constexpr int kItemFontFallback = 14;
constexpr double kColumnWidth = 2154.6;          // 38 × 56.7
constexpr double kBracketedColumnWidth = 2097.9; // 37 × 56.7
constexpr double kBracketedColumnExtra = 60;
constexpr double kNoteRaise = 170;
constexpr double kNoteShift = 200;
constexpr double kNotePoints = 8;
constexpr double kEmptyLineRise = 200;
constexpr double kTextLineGap = 120;
constexpr double kHerbRowHeight = 420;
constexpr int kColumnsPerRow = 3;                                           // herb columns of a printed row
constexpr double kPrintedSheetRight = sheetgeometry::kSheet.width * kScale; // its right edge on paper
constexpr double kConfirmationPoints = 10.5;
constexpr double kSignatureRoom = 2400; // left free after the confirmation, for the doctor's signature
} // namespace printlayout

// What the sheet holds, for printedSheet().
struct SheetContent {
    QString clinicName;                            // Label2(0)
    std::array<QString, kHeaderFieldCount> fields; // Text5(i)
    QString doses;                                 // Text6
    bool herbal = true;
    sheetgeometry::Layout layout = sheetgeometry::Layout::WideHerbal;
    QString itemText;    // R1, "\r\n" line breaks
    int itemsHeight = 0; // R1's height as it stands (twips), 0 for the layout's
    QString confirmation; // the doctor's confirmation of the hard warnings, "医师确认：<reason>", or empty
};

// The sheet's printed elements at their design places: the fixed labels, the header fields (their captions
// measured in the screen font, as the window places them), the rule, the dose count and the item lines as
// the item box of the layout shows them.
PrintedSheet printedSheet(const SheetContent& content);

// The lines of the item text as the item box of `layout` shows them (宋体 11.25 points): narrower while the
// box shows its scroll bar.
// `heightTwips` is the box's height as it stands (less while the warning strip stands below it), 0 for the
// height of the layout.
QStringList itemBoxLines(const QString& itemText, sheetgeometry::Layout layout, int heightTwips = 0);
// Whether the item box of `layout` shows its scroll bar for this text: while the text is taller than it.
bool itemBoxScrolls(const QString& itemText, sheetgeometry::Layout layout, int heightTwips = 0);

// The prescription onto `surface` (the caller ends the document). A herbal line prints its items in
// columns, three to a printed row: a fourth item, or one that would reach past the sheet's right edge,
// continues on the next row.
void layOutPrescription(printing::Surface& surface, const PrintedSheet& sheet,
                        const PrescriptionPrintSettings& settings);

// The items of a herbal line: cut after every unit character ("条", "g", "枚", "个", or a "$"), each
// without surrounding spaces and line breaks. The text after the last one is an item too when it is not
// only spaces (石膏 typed without a quantity, an instruction such as 水煎服). Empty when the line has no
// unit character.
QStringList herbalLineItems(const QString& line);

} // namespace lichuan
