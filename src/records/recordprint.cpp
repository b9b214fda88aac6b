#include "records/recordprint.h"

#include "data/numbers.h"
#include "printing/fonts.h"
#include "printing/surface.h"
#include "printing/textboxlines.h"
#include "records/recordgeometry.h"

#include <algorithm>

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
constexpr int kBudgetedLines = 3; // 现病史 and 体检

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

std::vector<RecordLine> recordLines(const CaseRecordFields& fields) {
    std::vector<RecordLine> lines;
    auto add = [&lines](int field, const QStringList& texts, int budget) {
        const int count = std::max(budget, int(texts.size()));
        for (int n = 0; n < count; ++n)
            lines.push_back({field, n == 0, n < texts.size() ? texts.at(n) : QString()});
    };
    for (int field = 0; field < kTreatment; ++field) {
        const QString& text = fields[static_cast<size_t>(field)];
        if (field == kPresentIllness || field == kExamination)
            add(field, recordFieldLines(text, field), kBudgetedLines);
        else
            add(field, recordFieldLines(oneLine(text), field), 1);
    }
    // The treatment runs on as long as it is; its label stands on a line even when it is empty.
    add(kTreatment, recordFieldLines(fields[kTreatment], kTreatment), 1);
    return lines;
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

    // One written line per ruled line: a record that fits takes the first page's 21 lines (主诉 1, 现病史 3,
    // 既往史 1, 个人史 1, 过敏史 1, 体检 3, 辅检 1, 中医诊断及证型 1, 西医诊断 1, up to 8 of 处理); what a
    // field wraps onto beyond its budget pushes the sections after it down, and the lines go on over further
    // pages, 21 to a page, under the header copy.
    int row = 0;
    for (const RecordLine& line : recordLines(input.fields)) {
        if (row == kRuledLines) {
            page.newPage();
            row = 0;
        }
        const double y = kWritingTop + kFirstLineOffset + row * kLineStep;
        if (line.first) {
            s.setPosition(kLabelColumn, y);
            s.print(recordFieldLabel(line.field), false);
        }
        if (!line.text.isEmpty()) {
            s.setPosition(fieldLeft(line.field), y);
            s.print(line.text, false);
        }
        ++row;
    }
}

} // namespace lichuan
