// The printed medical record, read from the recorded document: the header copy, the writing lines and
// their budgets, the treatment running onto further pages, the footer on every page, the margins.

#include "printing/surface.h"
#include "records/recordgeometry.h"
#include "records/recordprint.h"

#include <QGuiApplication>
#include <QtTest>
#include <algorithm>

using namespace lichuan;
using printing::Document;
using printing::TextOp;

namespace {

constexpr double kStep = 396.9;
constexpr double kFirstLine = 1710 + 113.4;

RecordPrintInput input() {
    RecordPrintInput in;
    in.header = {QStringLiteral("栎川中医诊所门诊病历"), QStringLiteral("就诊时间：2024年03月05日14时30分"),
                 QStringLiteral("姓名：张三"),           QStringLiteral("性别：男"),
                 QStringLiteral("年龄：35岁"),           QStringLiteral("科别：中医科"),
                 QStringLiteral("住址/电话：东关村")};
    in.doctor = QStringLiteral("李明");
    in.leftMargin = QStringLiteral("5");
    in.topMargin = QStringLiteral("5");
    return in;
}

Document print(const RecordPrintInput& in) {
    printing::Surface surface;
    layOutCaseRecord(surface, in);
    return surface.endDocument();
}

// The texts of one page.
std::vector<TextOp> texts(const Document& document, size_t page) {
    std::vector<TextOp> out;
    for (const auto& operation : document.pages.at(page).operations) {
        if (const auto* text = std::get_if<TextOp>(&operation))
            out.push_back(*text);
    }
    return out;
}

const TextOp* find(const std::vector<TextOp>& texts, const QString& text) {
    for (const TextOp& op : texts) {
        if (op.text == text)
            return &op;
    }
    return nullptr;
}

QStringList lines(const QString& prefix, int count) {
    QStringList out;
    for (int i = 1; i <= count; ++i)
        out << QStringLiteral("%1%2").arg(prefix).arg(i);
    return out;
}

} // namespace

class TestRecordPrint : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sectionsSitOnTheirLinesWithTheirBudgets();
    void treatmentRunsOntoFurtherPages();
    void longFieldsWrapAndPushTheRestDown_data();
    void longFieldsWrapAndPushTheRestDown();
    void everyPageHasHeaderRulesAndFooter();
    void marginsShiftThePage();
};

void TestRecordPrint::sectionsSitOnTheirLinesWithTheirBudgets() {
    RecordPrintInput in = input();
    in.fields[0] = QStringLiteral("头痛\r\n三天");
    in.fields[1] = lines(QStringLiteral("现"), 3).join(QStringLiteral("\r\n"));
    in.fields[5] = QStringLiteral("体温正常");
    in.fields[7] = QStringLiteral("感冒");
    in.fields[9] = lines(QStringLiteral("治"), 8).join(QStringLiteral("\r\n"));
    const Document document = print(in);
    QCOMPARE(document.pages.size(), size_t(1));
    const std::vector<TextOp> page = texts(document, 0);

    // Labels one per writing line: 主诉 1, 现病史 3, 既往史, 个人史, 过敏史 1 each, 体检 3, then 1 each,
    // 处理.
    const std::array<int, kRecordFieldCount> line = {0, 1, 4, 5, 6, 7, 10, 11, 12, 13};
    for (int field = 0; field < kRecordFieldCount; ++field) {
        const TextOp* label = find(page, recordFieldLabel(field));
        QVERIFY2(label, qPrintable(recordFieldLabel(field)));
        QCOMPARE(label->x, 120.0);
        QVERIFY(qAbs(label->y - (kFirstLine + line[static_cast<size_t>(field)] * kStep)) < 0.01);
    }
    // A field printed as one text: its line break becomes a space, at the field's left edge.
    const TextOp* complaint = find(page, QStringLiteral("头痛 三天"));
    QVERIFY(complaint);
    QCOMPARE(complaint->x, double(recordgeometry::kFields[0].left));
    QVERIFY(qAbs(complaint->y - kFirstLine) < 0.01);
    // Three lines of 现病史; one line of 体检 and two empty ones.
    const TextOp* third = find(page, QStringLiteral("现3"));
    QVERIFY(third && qAbs(third->y - (kFirstLine + 3 * kStep)) < 0.01);
    const TextOp* exam = find(page, QStringLiteral("体温正常"));
    QVERIFY(exam && qAbs(exam->y - (kFirstLine + 7 * kStep)) < 0.01);
    // The eighth treatment line sits on the last ruled line.
    const TextOp* last = find(page, QStringLiteral("治8"));
    QVERIFY(last && qAbs(last->y - (kFirstLine + 20 * kStep)) < 0.01);
    // The record is written in the font of the address label.
    QCOMPARE(exam->font, QStringLiteral("宋体"));
    QCOMPARE(exam->points, recordgeometry::kHeaderLabels[6].points);
    QVERIFY(!exam->bold);
}

void TestRecordPrint::treatmentRunsOntoFurtherPages() {
    RecordPrintInput in = input();
    in.fields[9] = lines(QStringLiteral("治"), 30).join(QStringLiteral("\r\n"));
    const Document document = print(in);
    QCOMPARE(document.pages.size(), size_t(3));
    QVERIFY(find(texts(document, 0), QStringLiteral("治8")));
    QVERIFY(!find(texts(document, 0), QStringLiteral("治9")));
    const std::vector<TextOp> second = texts(document, 1);
    const TextOp* ninth = find(second, QStringLiteral("治9"));
    QVERIFY(ninth && qAbs(ninth->y - kFirstLine) < 0.01);
    const TextOp* last = find(second, QStringLiteral("治29"));
    QVERIFY(last && qAbs(last->y - (kFirstLine + 20 * kStep)) < 0.01);
    const TextOp* thirtieth = find(texts(document, 2), QStringLiteral("治30"));
    QVERIFY(thirtieth && qAbs(thirtieth->y - kFirstLine) < 0.01);
    // Further pages hold the treatment only, no section labels.
    QVERIFY(!find(second, recordFieldLabel(0)));

    // A long line wraps as the window wraps it, and each piece takes a line of the budget.
    RecordPrintInput wide = input();
    wide.fields[9] = QString(60, QChar(0x6CBB));
    const QStringList pieces = recordFieldLines(wide.fields[9], kTreatment);
    QVERIFY(pieces.size() >= 2);
    QCOMPARE(pieces.join(QString()), wide.fields[9]);
    const std::vector<TextOp> page = texts(print(wide), 0);
    QVERIFY(find(page, pieces.at(1)));
}

void TestRecordPrint::longFieldsWrapAndPushTheRestDown_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QList<int>>("labelLines"); // the writing line of each label, counted over the pages
    QTest::addColumn<int>("pages");
    const QString crlf = QStringLiteral("\r\n");
    QStringList past(10);
    past[2] = QString(60, QChar(u'既')); // 26 characters to a line
    past[9] = lines(QStringLiteral("治"), 8).join(crlf);
    QTest::newRow("既往史 of 60") << past << QList<int>{0, 1, 4, 7, 8, 9, 12, 13, 14, 15} << 2;
    // A 主诉 printed as one text wraps too; 22 characters to a line of 中医诊断及证型.
    QStringList several(10);
    several[0] = QString(20, QChar(u'主')) + crlf + QString(20, QChar(u'诉'));
    several[5] = lines(QStringLiteral("体"), 5).join(crlf);
    several[7] = QString(40, QChar(u'证'));
    QTest::newRow("主诉, 体检, 诊断") << several << QList<int>{0, 2, 5, 6, 7, 8, 13, 14, 16, 17} << 1;
    QStringList longest = past;
    longest[1] = lines(QStringLiteral("现"), 25).join(crlf);
    QTest::newRow("现病史 of 25 lines") << longest << QList<int>{0, 1, 26, 29, 30, 31, 34, 35, 36, 37} << 3;
}

void TestRecordPrint::longFieldsWrapAndPushTheRestDown() {
    QFETCH(QStringList, fields);
    QFETCH(QList<int>, labelLines);
    QFETCH(int, pages);
    RecordPrintInput in = input();
    std::copy(fields.begin(), fields.end(), in.fields.begin());
    const Document document = print(in);
    QCOMPARE(int(document.pages.size()), pages);
    printing::Surface ruler;
    ruler.setUnit(printing::Unit::Twips);
    ruler.setFont(QStringLiteral("宋体"), recordgeometry::kFieldPoints, false);
    QString written;
    QList<int> labels;
    for (size_t p = 0; p < document.pages.size(); ++p) {
        QVERIFY(find(texts(document, p), QStringLiteral("第 %1 页").arg(p + 1)));
        for (const TextOp& op : texts(document, p)) {
            if (op.y <= 1710 || op.y > kFirstLine + 20 * kStep + 1)
                continue; // the header and the footer
            if (op.x == 120.0 && op.text == recordFieldLabel(int(labels.size())))
                labels << int(p) * 21 + qRound((op.y - kFirstLine) / kStep);
            else
                written += op.text;
            QVERIFY2(op.x + ruler.textWidth(op.text) <= 6780 + 0.01, qPrintable(op.text));
        }
    }
    QCOMPARE(labels, labelLines);
    // Every character, in order (a field printed as one text has its line breaks as spaces).
    QString expected;
    for (int i = 0; i < kRecordFieldCount; ++i) {
        const bool asLines = i == kPresentIllness || i == kExamination || i == kTreatment;
        expected +=
            QString(fields.at(i)).replace(QStringLiteral("\r\n"), asLines ? QString() : QStringLiteral(" "));
    }
    QCOMPARE(written, expected);
}

void TestRecordPrint::everyPageHasHeaderRulesAndFooter() {
    RecordPrintInput in = input();
    in.fields[9] = lines(QStringLiteral("治"), 12).join(QStringLiteral("\r\n"));
    const Document document = print(in);
    QCOMPARE(document.pages.size(), size_t(2));
    const double footerY = 1710 + 22 * kStep - 6 * 56.7;
    for (size_t p = 0; p < document.pages.size(); ++p) {
        const std::vector<TextOp> page = texts(document, p);
        for (const QString& caption : in.header)
            QVERIFY2(find(page, caption), qPrintable(caption));
        const TextOp* title = find(page, in.header[0]);
        QVERIFY(title->bold);
        QCOMPARE(title->points, 15.75);
        // Centred over the panel.
        QVERIFY(title->x > 120 && title->x < recordgeometry::kPanelWidth / 2);
        const TextOp* doctor = find(page, QStringLiteral("医师：李明"));
        QVERIFY(doctor && doctor->x == 120.0 && qAbs(doctor->y - footerY) < 0.01);
        const TextOp* number = find(page, QStringLiteral("第 %1 页").arg(p + 1));
        QVERIFY(number && number->x == 6000.0 && qAbs(number->y - footerY) < 0.01);

        int ruled = 0;
        for (const auto& operation : document.pages[p].operations) {
            if (const auto* line = std::get_if<printing::LineOp>(&operation)) {
                if (line->x1 == 120.0 && line->x2 == 6780.0 && line->y1 > 1710)
                    ++ruled;
            }
        }
        QCOMPARE(ruled, 21);
    }
}

void TestRecordPrint::marginsShiftThePage() {
    RecordPrintInput in = input();
    in.leftMargin = QStringLiteral("15");
    in.topMargin = QStringLiteral("7mm");
    const std::vector<TextOp> page = texts(print(in), 0);
    const TextOp* label = find(page, recordFieldLabel(0));
    QVERIFY(qAbs(label->x - (120 + 567)) < 0.01);
    QVERIFY(qAbs(label->y - (kFirstLine + 2 * 56.7)) < 0.01);
}

QTEST_MAIN(TestRecordPrint)
#include "test_recordprint.moc"
