// The pick-up ticket without a window: its lines in drawer order with the quantities per dose and in all,
// the notes gathered, and the layout on the recorded page for sheets and rolls, read back from its PDF.

#include "pdftext.h"
#include "prescription/ticket.h"
#include "prescription/ticketlayout.h"
#include "printing/fonts.h"
#include "printing/output.h"
#include "printing/surface.h"

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
const QString kLongName = QStringLiteral("复方丹参滴丸[27mg*180粒]加长名称的中成药品");

// Priced lines, each "名称/数量/单位/金额/斗位/分类".
ticket::PricedSheet sheetOf(const QString& itemText, const QString& doses, const QStringList& lines,
                            bool herbal = true) {
    ticket::PricedSheet sheet{{}, itemText, herbal, doses};
    for (const QString& line : lines) {
        const QStringList c = line.split(u'/');
        sheet.lines.push_back({c[0], c[1], c[2], QString(), c[3], c[4], c[5]});
    }
    return sheet;
}

// `herbs` herb lines of 7 doses (every fifth one 先煎) and a long Western name.
ticket::Content contentWith(int herbs) {
    ticket::Content c{QStringLiteral("栎川镇中心卫生院中医馆"),
                      QStringLiteral("20240301093000t1"),
                      QStringLiteral("2024-03-01"),
                      QStringLiteral("王五"),
                      QStringLiteral("男"),
                      QStringLiteral("45岁"),
                      QStringLiteral("7"),
                      {},
                      QStringLiteral("58.10"),
                      QStringLiteral("李明"),
                      QStringLiteral("王芳")};
    for (int i = 0; i < herbs; ++i)
        c.lines.push_back({QStringLiteral("%1%2").arg(QChar(u'A' + i % 8)).arg(i / 8 + 1),
                           QStringLiteral("金银花"), i % 5 == 2 ? QStringLiteral("先煎") : QString(), "12.5",
                           "87.5", "g"});
    c.lines.push_back({QString(), kLongName, QString(), QString(), "2", "盒"});
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

// Where a text ends to the right and at the bottom, in millimetres.
QPointF farEnd(const TextOp& op) {
    PrinterMetrics metrics;
    const QFont font = printerFont(op.font, op.points, op.bold);
    return QPointF(op.x + metrics.textWidth(font, op.text), op.y + metrics.lineHeight(font)) / kTwipsPerMm;
}

} // namespace

class TestTicket : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lines_data();
    void lines();
    void marginsMoveThePage_data();
    void marginsMoveThePage();
    void thePaper_data();
    void thePaper();
    void thePdfReadsBack_data();
    void thePdfReadsBack();
};

void TestTicket::lines_data() {
    QTest::addColumn<ticket::PricedSheet>("sheet");
    QTest::addColumn<QStringList>("expected"); // 斗位 名称[注] 每剂 总量单位
    QTest::addColumn<QString>("doses");
    QTest::addColumn<QString>("total");
    QTest::addColumn<QStringList>("notes");
    const QString herbs = QStringLiteral("巴戟10g      阿胶[烊化]6g  艾叶3g       ");
    const QStringList priced{"巴戟/70/g/37.800/C1/中药", "阿胶[烊化]/42/g/50.400/A2/中药",
                             "艾叶/21/g/0.231/B5/中药"};
    const QStringList ordered{"A2 阿胶[烊化] 6 42g", "B5 艾叶 3 21g", "C1 巴戟 10 70g"};
    QTest::newRow("drawer order, 7 doses") << sheetOf(herbs, "7", priced) << ordered << "7"
                                           << "88.43" << QStringList{"烊化：阿胶"};
    // The dose count is not stored: a reloaded sheet shows its own, the lines keep the one they were priced
    // for.
    QTest::newRow("reloaded onto 6 doses") << sheetOf(herbs, "6", priced) << ordered << "7"
                                           << "88.43" << QStringList{"烊化：阿胶"};
    QTest::newRow("a quantity changed by hand")
        << sheetOf(herbs, "7", {"巴戟/60/g/32.400/C1/中药", priced[1], priced[2]})
        << QStringList{ordered[0], ordered[1], "C1 巴戟 10 60g"} << "7"
        << "83.03" << QStringList{"烊化：阿胶"};
    // Stored lines carry no category; a herb no item names is read by its quantity and the dose count.
    QTest::newRow("no drawer last, in the sheet's order")
        << sheetOf(QStringLiteral("甘草6g       巴戟10g      \r\n挂号费 1"), "7",
                   {"甘草/42/g/2.100///", "白芨/35/g///中药", "巴戟/70/g/37.800/C1/", "挂号费/1/次/15.000//"})
        << QStringList{"C1 巴戟 10 70g", " 甘草 6 42g", " 白芨 5 35g", " 挂号费  1次"} << "7"
        << "54.90" << QStringList{};
    QTest::newRow("notes gathered in drawer order")
        << sheetOf(QStringLiteral("薄荷[后下]6g  石膏[先煎]30g 龙骨[先煎]15g"), "1",
                   {"薄荷[后下]/6/g//D1/", "石膏[先煎]/30/g//B2/", "龙骨[先煎]/15/g//C3/"})
        << QStringList{"B2 石膏[先煎] 30 30g", "C3 龙骨[先煎] 15 15g", "D1 薄荷[后下] 6 6g"} << "1"
        << "0.00" << QStringList{"先煎：石膏 龙骨", "后下：薄荷"};
    QTest::newRow("Western: no doses, brackets are no note")
        << sheetOf(QStringLiteral("阿莫西林胶囊[0.25g*24] 2盒"), "6",
                   {"阿莫西林胶囊[0.25g*24]/2/盒/48.400//西成药"}, false)
        << QStringList{" 阿莫西林胶囊[0.25g*24]  2盒"} << ""
        << "48.40" << QStringList{};
}

void TestTicket::lines() {
    QFETCH(ticket::PricedSheet, sheet);
    QFETCH(QStringList, expected);
    QFETCH(QString, doses);
    QFETCH(QString, total);
    QFETCH(QStringList, notes);
    const ticket::Lines got = ticket::ticketLines(sheet);
    QStringList shown;
    for (const ticket::Line& l : got.lines)
        shown << QStringList{l.drawer, l.note.isEmpty() ? l.name : l.name + u'[' + l.note + u']', l.perDose,
                             l.quantity + l.unit}
                     .join(u' ');
    QCOMPARE(shown, expected);
    QCOMPARE(got.doses, doses);
    QCOMPARE(got.total, total);
    QStringList groups;
    for (const ticket::NoteGroup& group : ticket::groupNotes(got.lines))
        groups << group.text();
    QCOMPARE(groups, notes);
}

void TestTicket::marginsMoveThePage_data() {
    QTest::addColumn<TicketPaper>("paper");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("top");
    QTest::newRow("A5, 15 and 13: 5 mm right, 3 mm down") << kA5 << "15"
                                                          << "13";
    QTest::newRow("A5, 7.5: 2.5 mm left") << kA5 << "7.5"
                                          << "10";
    QTest::newRow("80 mm roll, 12 and 14") << kRoll80 << "12"
                                           << "14";
}

void TestTicket::marginsMoveThePage() {
    QFETCH(TicketPaper, paper);
    QFETCH(QString, left);
    QFETCH(QString, top);
    const Document base = laidOut(contentWith(3), paper);
    const Document moved = laidOut(contentWith(3), paper, left, top);
    for (const QString& text :
         {QStringLiteral("处方号：20240301093000t1"), QStringLiteral("斗位"), QStringLiteral("A1")}) {
        const TextOp* a = find(base, text);
        const TextOp* b = find(moved, text);
        QVERIFY2(a && b, qPrintable(text));
        QCOMPARE(qRound((b->x - a->x) / kTwipsPerMm * 10), qRound((left.toDouble() - 10) * 10));
        QCOMPARE(qRound((b->y - a->y) / kTwipsPerMm * 10), qRound((top.toDouble() - 10) * 10));
    }
    // The column narrows: its right end stays inside the paper.
    for (const TextOp* op : moved.texts())
        QVERIFY2(farEnd(*op).x() <= paper.width, qPrintable(op->text));
}

void TestTicket::thePaper_data() {
    QTest::addColumn<TicketPaper>("paper");
    QTest::addColumn<int>("herbs");
    QTest::addColumn<int>("pages");
    QTest::newRow("A5, 3 herbs") << kA5 << 3 << 1;
    QTest::newRow("A5, 30 herbs: two pages") << kA5 << 30 << 2;
    QTest::newRow("80 mm roll, 30 herbs: one long page") << kRoll80 << 30 << 1;
    QTest::newRow("58 mm roll") << TicketPaper{58, 297, 0, 0} << 12 << 1;
    QTest::newRow("80 mm, a printable edge of 4 mm") << TicketPaper{80, 297, 4, 4} << 12 << 1;
}

void TestTicket::thePaper() {
    QFETCH(TicketPaper, paper);
    QFETCH(int, herbs);
    QFETCH(int, pages);
    const Document document = laidOut(contentWith(herbs), paper);
    QCOMPARE(int(document.pages.size()), pages);
    // Every text inside the printable area, the long name wrapped onto lines of its own.
    const double right = paper.width - 2 * paper.printableLeft;
    double bottom = 0;
    QString name;
    for (const TextOp* op : document.texts()) {
        QVERIFY2(op->x >= 0 && farEnd(*op).x() <= right, qPrintable(op->text));
        bottom = std::max(bottom, farEnd(*op).y());
        if (kLongName.contains(op->text) && !QStringList{"2", "g", "盒"}.contains(op->text))
            name += op->text;
    }
    QCOMPARE(name, kLongName);
    if (!isRoll(paper)) {
        QVERIFY(!document.paperSize.isValid()); // the printer's own paper
        QVERIFY(bottom <= paper.height - ticketlayout::kSheetBottom);
        if (pages > 1)
            QCOMPARE(std::get<TextOp>(document.pages[1].operations.front()).text,
                     QStringLiteral("取药单（续）  处方号：20240301093000t1"));
        return;
    }
    // A roll is cut as long as the lines and the cutter's feed need.
    QCOMPARE(document.paperSize.width(), paper.width);
    QVERIFY(qAbs(document.paperSize.height() - 2 * paper.printableTop - bottom - ticketlayout::kRollFeed) <
            3);
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
                                                {"巴戟/70/g//C1/中药", "阿胶[烊化]/42/g//A2/中药",
                                                 "艾叶/21/g//B5/中药", "挂号费/1/次///收费项目"}))
                        .lines;
    const PageSetup setup{QPageSize(QSizeF(paper.width, paper.height), QPageSize::Millimeter), QPointF()};
    QVERIFY(writePdf(laidOut(content, paper), pdf, setup).ok);
    QVERIFY2(test::pdfInfo(pdf).contains(size), qPrintable(test::pdfInfo(pdf)));
    const QString text = test::pdfLayoutText(pdf);
    for (const char* expected : {"栎川镇中心卫生院中医馆", "取药单", "剂数：7", "烊化：阿胶", "医师：李明"})
        QVERIFY2(text.contains(QString::fromUtf8(expected)), qPrintable(text));
    // The drawers read in order from the top, the item without a drawer last, every word on the paper.
    QStringList order;
    for (const test::PdfWord& word : test::pdfWords(pdf)) {
        if (QStringList{"A2", "B5", "C1", "挂号费"}.contains(word.text))
            order << word.text;
        QVERIFY2(word.xMax <= paper.width * 72 / 25.4, qPrintable(word.text));
    }
    QCOMPARE(order, (QStringList{"A2", "B5", "C1", "挂号费"}));
}

QTEST_MAIN(TestTicket)
#include "test_ticket.moc"
