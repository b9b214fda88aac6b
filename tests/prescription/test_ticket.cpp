// The pick-up ticket without a window: its lines in drawer order, the quantities per dose and in all, the
// notes gathered, and the layout on the recorded page for a sheet and for a roll, read back from its PDF.

#include "pdftext.h"
#include "prescription/ticket.h"
#include "prescription/ticketlayout.h"
#include "printing/fonts.h"
#include "printing/output.h"
#include "printing/surface.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtTest>

using namespace lichuan;
using namespace lichuan::printing;

Q_DECLARE_METATYPE(lichuan::ticket::PricedSheet)
Q_DECLARE_METATYPE(lichuan::TicketPaper)

namespace {

constexpr double kTwipsPerMm = 1440 / 25.4;
const TicketPaper kA5{148, 210, 0, 0};
const TicketPaper kRoll80{80, 297, 0, 0};
const TicketPaper kRoll58{58, 297, 0, 0};

// "名称/数量/单位/金额/斗位/分类" → a priced line.
PricedLine priced(const QString& cells) {
    const QStringList c = cells.split(QLatin1Char('/'));
    PricedLine line;
    line.name = c.value(0);
    line.quantity = c.value(1);
    line.unit = c.value(2);
    line.amount = c.value(3);
    line.drawer = c.value(4);
    line.category = c.value(5);
    return line;
}

ticket::PricedSheet sheetOf(const QString& itemText, const QString& doses, const QStringList& lines,
                            bool herbal = true) {
    ticket::PricedSheet sheet;
    sheet.itemText = itemText;
    sheet.doses = doses;
    sheet.herbal = herbal;
    for (const QString& line : lines)
        sheet.lines.push_back(priced(line));
    return sheet;
}

// Each line as "斗位 名称[注] 每剂 总量单位".
QStringList shown(const std::vector<ticket::Line>& lines) {
    QStringList texts;
    for (const ticket::Line& l : lines) {
        const QString name = l.note.isEmpty() ? l.name : l.name + u'[' + l.note + u']';
        texts << QStringList{l.drawer, name, l.perDose, l.quantity + l.unit}.join(u' ');
    }
    return texts;
}

ticket::Content contentWith(int herbs, const QString& longName = QString()) {
    ticket::Content c;
    c.clinicName = QStringLiteral("栎川镇中心卫生院中医馆");
    c.key = QStringLiteral("20240301093000t1");
    c.date = QStringLiteral("2024-03-01");
    c.patient = QStringLiteral("王五");
    c.sex = QStringLiteral("男");
    c.age = QStringLiteral("45岁");
    c.doses = QStringLiteral("7");
    c.total = QStringLiteral("58.10");
    c.doctor = QStringLiteral("李明");
    c.dispenser = QStringLiteral("王芳");
    static const QStringList names{QStringLiteral("黄芪"), QStringLiteral("当归"), QStringLiteral("石膏"),
                                   QStringLiteral("白术"), QStringLiteral("茯苓"), QStringLiteral("金银花")};
    for (int i = 0; i < herbs; ++i) {
        c.lines.push_back({QStringLiteral("%1%2").arg(QChar(u'A' + i % 8)).arg(i / 8 + 1),
                           names.at(i % names.size()), i % 5 == 2 ? QStringLiteral("先煎") : QString(),
                           QStringLiteral("12.5"), QStringLiteral("87.5"), QStringLiteral("g")});
    }
    if (!longName.isEmpty())
        c.lines.push_back(
            {QString(), longName, QString(), QString(), QStringLiteral("2"), QStringLiteral("盒")});
    return c;
}

Document laidOut(const ticket::Content& content, const TicketPaper& paper, const QString& left = "10",
                 const QString& top = "10") {
    Surface surface;
    layOutTicket(surface, content, {left, top}, paper);
    return surface.endDocument();
}

const TextOp* find(const Document& document, const QString& text) {
    for (const TextOp* op : document.texts()) {
        if (op->text == text)
            return op;
    }
    return nullptr;
}

// Where a text ends on the page, in millimetres.
double rightEnd(const TextOp& op) {
    PrinterMetrics metrics;
    return (op.x + metrics.textWidth(printerFont(op.font, op.points, op.bold), op.text)) / kTwipsPerMm;
}

double bottomOf(const Document& document) {
    PrinterMetrics metrics;
    double bottom = 0;
    for (const TextOp* op : document.texts())
        bottom = std::max(bottom, (op->y + metrics.lineHeight(printerFont(op->font, op->points, op->bold))) /
                                      kTwipsPerMm);
    return bottom;
}

} // namespace

class TestTicket : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lines_data();
    void lines();
    void notesAreGathered();
    void marginsMoveThePage_data();
    void marginsMoveThePage();
    void aRollIsAsLongAsItsLinesAndAsWideAsItsPaper_data();
    void aRollIsAsLongAsItsLinesAndAsWideAsItsPaper();
    void aSheetRunsOntoMorePages();
    void thePdfReadsBack_data();
    void thePdfReadsBack();
};

void TestTicket::lines_data() {
    QTest::addColumn<ticket::PricedSheet>("sheet");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("doses");
    QTest::addColumn<QString>("total");
    const QString herbs = QStringLiteral("巴戟10g      阿胶[烊化]6g  艾叶3g       ");
    const QStringList threeHerbs{"巴戟/70/g/37.800/C1/中药", "阿胶[烊化]/42/g/50.400/A2/中药",
                                 "艾叶/21/g/0.231/B5/中药"};
    QTest::newRow("drawer order, not the sheet's")
        << sheetOf(herbs, "7", threeHerbs)
        << QStringList{"A2 阿胶[烊化] 6 42g", "B5 艾叶 3 21g", "C1 巴戟 10 70g"} << "7"
        << "88.43";
    QTest::newRow("without a drawer last, in the sheet's order")
        << sheetOf(QStringLiteral("甘草6g       巴戟10g      大枣3枚      \r\n挂号费 1"), "7",
                   {"甘草/42/g/2.100//中药", "巴戟/70/g/37.800/C1/中药", "大枣/21/枚///中药",
                    "挂号费/1/次/15.000//收费项目"})
        << QStringList{"C1 巴戟 10 70g", " 甘草 6 42g", " 大枣 3 21枚", " 挂号费  1次"} << "7"
        << "54.90";
    // The dose count is not stored: a reloaded sheet shows its own, the lines keep the one they were
    // priced for.
    QTest::newRow("reloaded onto a sheet of 6 doses")
        << sheetOf(herbs, "6", threeHerbs)
        << QStringList{"A2 阿胶[烊化] 6 42g", "B5 艾叶 3 21g", "C1 巴戟 10 70g"} << "7"
        << "88.43";
    QTest::newRow("a quantity changed by hand keeps the sheet's dose count")
        << sheetOf(herbs, "7",
                   {"巴戟/60/g/32.400/C1/中药", "阿胶[烊化]/42/g/50.400/A2/中药", "艾叶/21/g/0.231/B5/中药"})
        << QStringList{"A2 阿胶[烊化] 6 42g", "B5 艾叶 3 21g", "C1 巴戟 10 60g"} << "7"
        << "83.03";
    // Stored lines carry no category; a herb no item names is read by its quantity and the dose count.
    QTest::newRow("a herb the item text no longer names")
        << sheetOf(QStringLiteral("巴戟10g      "), "7", {"巴戟/70/g//C1/", "白芨/35/g///中药"})
        << QStringList{"C1 巴戟 10 70g", " 白芨 5 35g"} << "7"
        << "0.00";
    QTest::newRow("Western: quantities, no doses, brackets are no note")
        << sheetOf(QStringLiteral("阿莫西林胶囊[0.25g*24] 2盒\r\n用法：2粒 每日3次 口服"), "6",
                   {"阿莫西林胶囊[0.25g*24]/2/盒/48.400//西成药"}, false)
        << QStringList{" 阿莫西林胶囊[0.25g*24]  2盒"} << ""
        << "48.40";
    QTest::newRow("blank lines are left out")
        << sheetOf(QString(), "7", {"  /1/g///", "//"}) << QStringList{} << "7"
        << "0.00";
}

void TestTicket::lines() {
    QFETCH(ticket::PricedSheet, sheet);
    QFETCH(QStringList, expected);
    QFETCH(QString, doses);
    QFETCH(QString, total);
    const ticket::Lines got = ticket::ticketLines(sheet);
    QCOMPARE(shown(got.lines), expected);
    QCOMPARE(got.doses, doses);
    QCOMPARE(got.total, total);
}

void TestTicket::notesAreGathered() {
    const ticket::Lines got =
        ticket::ticketLines(sheetOf(QStringLiteral("薄荷[后下]6g  石膏[先煎]30g 龙骨[先煎]15g 当归10g"), "7",
                                    {"薄荷[后下]/42/g//D1/中药", "石膏[先煎]/210/g//B2/中药",
                                     "龙骨[先煎]/105/g//C3/中药", "当归/70/g//A1/中药"}));
    QStringList groups;
    for (const ticket::NoteGroup& group : ticket::groupNotes(got.lines))
        groups << group.text();
    QCOMPARE(groups, (QStringList{"先煎：石膏 龙骨", "后下：薄荷"}));

    // Printed under the total, each group on its own line.
    ticket::Content content = contentWith(0);
    content.lines = got.lines;
    const Document document = laidOut(content, kA5);
    const TextOp* total = find(document, QStringLiteral("合计金额：58.10元"));
    const TextOp* boiled = find(document, QStringLiteral("先煎：石膏 龙骨"));
    const TextOp* late = find(document, QStringLiteral("后下：薄荷"));
    QVERIFY(total && boiled && late);
    QVERIFY(total->y < boiled->y && boiled->y < late->y);
    QVERIFY(find(document, QStringLiteral("石膏[先煎]")));
}

void TestTicket::marginsMoveThePage_data() {
    QTest::addColumn<TicketPaper>("paper");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("top");
    QTest::addColumn<double>("right");
    QTest::addColumn<double>("down");
    QTest::newRow("A5, 15 and 13: 5 mm right, 3 mm down") << kA5 << "15"
                                                          << "13" << 5.0 << 3.0;
    QTest::newRow("A5, 7.5 and 10: 2.5 mm left") << kA5 << "7.5"
                                                 << "10" << -2.5 << 0.0;
    QTest::newRow("80 mm roll, 12 and 14") << kRoll80 << "12"
                                           << "14" << 2.0 << 4.0;
}

void TestTicket::marginsMoveThePage() {
    QFETCH(TicketPaper, paper);
    QFETCH(QString, left);
    QFETCH(QString, top);
    QFETCH(double, right);
    QFETCH(double, down);
    const ticket::Content content = contentWith(3);
    const Document base = laidOut(content, paper);
    const Document moved = laidOut(content, paper, left, top);
    for (const QString& text : {QStringLiteral("取药单"), QStringLiteral("处方号：20240301093000t1"),
                                QStringLiteral("斗位"), QStringLiteral("A1")}) {
        const TextOp* a = find(base, text);
        const TextOp* b = find(moved, text);
        QVERIFY2(a && b, qPrintable(text));
        if (text != QStringLiteral("取药单")) // centred in a column that narrows
            QVERIFY2(qAbs(b->x - a->x - right * kTwipsPerMm) < 0.5, qPrintable(text));
        QVERIFY2(qAbs(b->y - a->y - down * kTwipsPerMm) < 0.5, qPrintable(text));
    }
    // The right end of the column stays inside the paper.
    for (const TextOp* op : moved.texts())
        QVERIFY2(rightEnd(*op) <= paper.width + 1e-6, qPrintable(op->text));
}

void TestTicket::aRollIsAsLongAsItsLinesAndAsWideAsItsPaper_data() {
    QTest::addColumn<TicketPaper>("paper");
    QTest::addColumn<int>("herbs");
    QTest::newRow("80 mm, 3 herbs") << kRoll80 << 3;
    QTest::newRow("80 mm, 30 herbs") << kRoll80 << 30;
    QTest::newRow("58 mm, 12 herbs") << kRoll58 << 12;
    QTest::newRow("80 mm with a printable edge of 4 mm") << TicketPaper{80, 297, 4, 4} << 12;
}

void TestTicket::aRollIsAsLongAsItsLinesAndAsWideAsItsPaper() {
    QFETCH(TicketPaper, paper);
    QFETCH(int, herbs);
    const QString longName = QStringLiteral("复方丹参滴丸[27mg*180粒]加长名称的中成药品");
    const Document document = laidOut(contentWith(herbs, longName), paper);
    QCOMPARE(document.pages.size(), std::size_t(1));
    // Every text inside the printable width, the long name wrapped onto lines of its own.
    const double printable = paper.width - 2 * paper.printableLeft;
    for (const TextOp* op : document.texts()) {
        QVERIFY2(op->x >= 0 && rightEnd(*op) <= printable - ticketlayout::kRollInset + 1e-6,
                 qPrintable(QStringLiteral("%1 ends at %2 mm").arg(op->text).arg(rightEnd(*op))));
    }
    QStringList nameLines;
    for (const TextOp* op : document.texts()) {
        if (longName.contains(op->text) && op->text.size() > 1)
            nameLines << op->text;
    }
    QVERIFY2(nameLines.size() >= 2 && nameLines.join(QString()) == longName, qPrintable(nameLines.join('|')));
    // As long as the lines and the cutter's feed, no longer.
    const double length = paper.printableTop * 2 + bottomOf(document) + ticketlayout::kRollFeed;
    QCOMPARE(document.paperSize.width(), paper.width);
    QVERIFY2(qAbs(document.paperSize.height() - length) < 3,
             qPrintable(QStringLiteral("%1 for %2").arg(document.paperSize.height()).arg(length)));
}

void TestTicket::aSheetRunsOntoMorePages() {
    const Document document = laidOut(contentWith(30), kA5);
    QVERIFY2(document.pages.size() == 2, qPrintable(QString::number(document.pages.size())));
    QVERIFY(!document.paperSize.isValid()); // the printer's own paper
    // The second page says whose ticket it continues and repeats the headings; nothing runs off a page.
    QStringList second;
    for (const Operation& op : document.pages.back().operations) {
        if (const auto* text = std::get_if<TextOp>(&op)) {
            second << text->text;
            QVERIFY(text->y / kTwipsPerMm < kA5.height - ticketlayout::kSheetBottom);
        }
    }
    QCOMPARE(second.value(0), QStringLiteral("取药单（续）  处方号：20240301093000t1"));
    QVERIFY(second.contains(QStringLiteral("斗位")) && second.contains(QStringLiteral("医师：李明")));
}

void TestTicket::thePdfReadsBack_data() {
    QTest::addColumn<TicketPaper>("paper");
    QTest::addColumn<QString>("size");
    QTest::newRow("A5") << kA5 << "420 x 595 pts (A5)";
    QTest::newRow("80 mm roll") << kRoll80 << "227 x";
}

void TestTicket::thePdfReadsBack() {
    QFETCH(TicketPaper, paper);
    QFETCH(QString, size);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("ticket.pdf"));
    ticket::Content content = contentWith(0);
    content.lines = ticket::ticketLines(sheetOf(QStringLiteral("巴戟10g      阿胶[烊化]6g  艾叶3g"), "7",
                                                {"巴戟/70/g/37.800/C1/中药", "阿胶[烊化]/42/g/50.400/A2/中药",
                                                 "艾叶/21/g/0.231/B5/中药", "挂号费/1/次/15.000//收费项目"}))
                        .lines;
    const Document document = laidOut(content, paper);
    QVERIFY(
        writePdf(document, pdf,
                 PageSetup{QPageSize(QSizeF(paper.width, paper.height), QPageSize::Millimeter), QPointF()})
            .ok);
    const QString info = test::pdfInfo(pdf);
    QVERIFY2(info.contains(size), qPrintable(info));
    const QString text = test::pdfLayoutText(pdf);
    for (const QString& expected : {QStringLiteral("栎川镇中心卫生院中医馆"), QStringLiteral("取药单"),
                                    QStringLiteral("剂数：7"), QStringLiteral("医师：李明")})
        QVERIFY2(text.contains(expected), qPrintable(text));
    // The drawers read in order from the top, the item without a drawer last.
    const std::vector<test::PdfWord> words = test::pdfWords(pdf);
    QStringList order;
    for (const test::PdfWord& word : words) {
        if (QStringList{"A2", "B5", "C1", "挂号费"}.contains(word.text))
            order << word.text;
        QVERIFY2(word.xMax <= paper.width * 72 / 25.4 + 0.5, qPrintable(word.text));
    }
    QCOMPARE(order, (QStringList{"A2", "B5", "C1", "挂号费"}));
}

QTEST_MAIN(TestTicket)
#include "test_ticket.moc"
