#include "records/recordprint.h"

#include "data/numbers.h"
#include "printing/fonts.h"
#include "printing/surface.h"
#include "printing/textboxlines.h"
#include "records/recordgeometry.h"

namespace lichuan {

namespace geo = recordgeometry;

namespace {

constexpr double kTwipsPerMm = 56.7;
constexpr double kMarginBase = 283.5; // a margin of 5 mm gives no shift
constexpr double kLineStep = 7 * kTwipsPerMm;
constexpr double kFirstLineOffset = 2 * kTwipsPerMm;
constexpr double kLabelColumn = 120;
constexpr double kRuleEnd = 6780;
constexpr int kRuledLines = 21;
constexpr double kFooterRise = 6 * kTwipsPerMm;
constexpr double kPageNumberX = 6000;
constexpr int kBudgetedLines = 3;           // 现病史 and 体检
constexpr int kTreatmentLinesFirstPage = 8; // then 21 on every further page

// Y of the second header rule, where the writing starts.
constexpr double kWritingTop = geo::kHeaderRules[1].y1;

class RecordPage {
public:
    RecordPage(printing::Surface& surface, const RecordPrintInput& input) : s_(surface), input_(input) {}

    // The header copy, the rules and the footer of one page.
    void frame() {
        for (size_t i = 0; i < geo::kHeaderLabels.size(); ++i) {
            const geo::Label& label = geo::kHeaderLabels[i];
            s_.setFont(geo::kFontName, label.points, label.bold);
            const QString& caption = input_.header[i];
            const double left =
                label.left < 0 ? (geo::kPanelWidth - s_.textWidth(caption)) / 2 : double(label.left);
            s_.setPosition(left, label.top);
            s_.print(caption, true);
        }
        for (const geo::Rule& rule : geo::kHeaderRules)
            s_.line(rule.x1, rule.y1, rule.x2, rule.y2);
        double y = kWritingTop + kLineStep;
        for (int i = 0; i < kRuledLines; ++i) {
            s_.line(kLabelColumn, y, kRuleEnd, y);
            y += kLineStep;
        }
        const double footer = y - kFooterRise;
        s_.setPosition(kLabelColumn, footer);
        s_.print(QStringLiteral("医师：") + input_.doctor, true);
        s_.setPosition(kPageNumberX, footer);
        s_.print(QStringLiteral("第 %1 页").arg(page_), true);
    }

    void newPage() {
        s_.newPage();
        ++page_;
        frame();
    }

private:
    printing::Surface& s_;
    const RecordPrintInput& input_;
    int page_ = 1;
};

// A field printed as one text: its line breaks become spaces.
QString oneLine(const QString& text) {
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

double fieldLeft(int field) {
    return geo::kFields[static_cast<size_t>(field)].left;
}

} // namespace

QFont recordFieldFont() {
    // With the Song face mapped before the font is first matched, as the printed text is.
    return printing::printerFont(geo::kFontName, geo::kFieldPoints, false);
}

QStringList recordFieldLines(const QString& text, int field) {
    if (text.isEmpty())
        return {};
    return printing::textBoxLines(text, recordFieldFont(), geo::kFields[static_cast<size_t>(field)].width);
}

void layOutCaseRecord(printing::Surface& s, const RecordPrintInput& input) {
    const double left = numbers::leadingNumber(input.leftMargin) * kTwipsPerMm;
    const double top = numbers::leadingNumber(input.topMargin) * kTwipsPerMm;
    s.setUnit(printing::Unit::Twips);
    s.setOrientation(printing::Orientation::Portrait);
    s.setOrigin(kMarginBase - left, kMarginBase - top);

    RecordPage page(s, input);
    page.frame();
    // The text is written in the font the frame set last, that of the address label.

    double y = kWritingTop + kFirstLineOffset;
    auto label = [&](int field) {
        s.setPosition(kLabelColumn, y);
        s.print(recordFieldLabel(field), false);
    };
    auto wholeField = [&](int field) {
        y += kLineStep;
        label(field);
        s.setX(fieldLeft(field));
        s.print(oneLine(input.fields[static_cast<size_t>(field)]), false);
    };
    auto budgetedField = [&](int field) {
        y += kLineStep;
        label(field);
        y -= kLineStep;
        const QStringList lines = recordFieldLines(input.fields[static_cast<size_t>(field)], field);
        for (int n = 0; n < kBudgetedLines; ++n) {
            y += kLineStep;
            s.setPosition(fieldLeft(field), y);
            s.print(n < lines.size() ? lines.at(n) : QString(), false);
        }
    };

    label(kComplaint);
    s.setX(fieldLeft(kComplaint));
    s.print(oneLine(input.fields[kComplaint]), false);
    budgetedField(kPresentIllness);
    for (int field : {2, 3, 4})
        wholeField(field);
    budgetedField(kExamination);
    for (int field : {6, 7, 8})
        wholeField(field);

    y += kLineStep;
    label(kTreatment);
    y -= kLineStep;
    int counter = 0;
    for (const QString& line : recordFieldLines(input.fields[kTreatment], kTreatment)) {
        ++counter;
        if (counter <= kTreatmentLinesFirstPage) {
            y += kLineStep;
        } else {
            page.newPage();
            // This line and the next 20 fill the 21 lines of the new page.
            counter = kTreatmentLinesFirstPage - kRuledLines + 1;
            y = kWritingTop + kFirstLineOffset;
        }
        s.setPosition(fieldLeft(kTreatment), y);
        s.print(line, false);
    }
}

} // namespace lichuan
