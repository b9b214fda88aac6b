#include "reports/logbook.h"

#include "data/numbers.h"
#include "printing/surface.h"

#include <array>

namespace lichuan::reports {

namespace {

const QString kFont = QStringLiteral("宋体");
constexpr double kTextPoints = 11;
constexpr double kFirstEntryY = 28;
constexpr double kEntryHeight = 10;

struct Heading {
    double x;
    const char16_t* text;
};
constexpr std::array<Heading, 7> kHeadings{{
    {2, u"姓    名"},
    {26, u"性别"},
    {36, u"年龄"},
    {55, u"诊             断"},
    {110, u"住       址\\电      话"},
    {180, u"就诊日期"},
    {215, u"备    注"},
}};
constexpr std::array<double, 8> kColumnLines{0, 25, 35, 47, 100, 170, 208, 260};
// Where the six values of an entry start: name, sex, age, diagnosis, address, date.
constexpr std::array<double, 6> kValueX{2, 27, 37, 50, 102, 172};

void printAt(printing::Surface& surface, double x, double y, const QString& text) {
    surface.setPosition(x, y);
    surface.print(text, true);
}

void drawFrame(printing::Surface& surface, int page, const QString& physician) {
    surface.setFont(kFont, 26, true);
    printAt(surface, 90, 0, QStringLiteral("门 诊 日 志 登 记 本"));
    surface.line(90, 10, 182, 10);
    surface.line(90, 11, 182, 11);
    for (int y = 15; y <= 165; y += 10)
        surface.line(0, y, 260, y);
    for (const double x : kColumnLines)
        surface.line(x, 15, x, 165);
    surface.setFont(kFont, kTextPoints, false);
    for (const Heading& heading : kHeadings)
        printAt(surface, heading.x, 18, QString::fromUtf16(heading.text));
    printAt(surface, 0, 166, QStringLiteral("医师：") + physician);
    printAt(surface, 240, 166, QStringLiteral("第 %1 页").arg(page));
}

void printEntry(printing::Surface& surface, double y, const LogRow& row) {
    surface.setFont(kFont, kTextPoints, false);
    const std::array<const QString*, 6> values{&row.name,      &row.sex,     &row.age,
                                               &row.diagnosis, &row.address, &row.date};
    for (size_t i = 0; i < values.size(); ++i) {
        surface.setPosition(kValueX[i], y);
        surface.print(*values[i], false);
    }
}

} // namespace

void layOutLogBook(printing::Surface& surface, const LogBookInput& input) {
    if (input.rows.empty()) {
        surface.setUnit(printing::Unit::Twips);
        return;
    }
    surface.setUnit(printing::Unit::Millimetres);
    const double left = numbers::leadingNumber(input.leftMargin);
    const double top = numbers::leadingNumber(input.topMargin);
    // (x, y) lands left + x millimetres from the left edge and top − 10 + y from the top edge.
    surface.setOrigin(-left, 10 - top);
    surface.setOrientation(printing::Orientation::Landscape);

    int page = 1;
    int onPage = 0;
    double y = kFirstEntryY;
    drawFrame(surface, page, input.physician);
    for (const LogRow& row : input.rows) {
        if (++onPage > kLogEntriesPerPage) {
            surface.newPage();
            onPage = 1;
            ++page;
            drawFrame(surface, page, input.physician);
            y = kFirstEntryY;
        }
        printEntry(surface, y, row);
        y += kEntryHeight;
    }
    surface.setUnit(printing::Unit::Twips);
}

} // namespace lichuan::reports
