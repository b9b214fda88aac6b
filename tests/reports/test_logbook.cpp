// The printed log book, read from the recorded document: pages of 14 entries, the frame, the margins.

#include "printing/output.h"
#include "printing/surface.h"
#include "reports/logbook.h"

#include <QtTest>

using namespace lichuan;
using printing::LineOp;
using printing::TextOp;

namespace {

constexpr double kTwipsPerMm = 1440.0 / 25.4;

std::vector<LogRow> rows(int count) {
    std::vector<LogRow> list;
    for (int i = 1; i <= count; ++i)
        list.push_back({QStringLiteral("患者%1").arg(i), QStringLiteral("男"), QStringLiteral("35岁"),
                        QStringLiteral("感冒"), QStringLiteral("东街%1号").arg(i),
                        QStringLiteral("2017-01-02")});
    return list;
}

printing::Document logBook(int count, const QString& left = QStringLiteral("10"),
                           const QString& top = QStringLiteral("10")) {
    printing::Surface surface;
    reports::layOutLogBook(surface, {rows(count), left, top, QStringLiteral("王医师")});
    return surface.endDocument();
}

const TextOp* findText(const printing::Page& page, const QString& text) {
    for (const auto& operation : page.operations) {
        if (const auto* op = std::get_if<TextOp>(&operation); op && op->text == text)
            return op;
    }
    return nullptr;
}

int countTexts(const printing::Page& page, const QString& prefix) {
    int n = 0;
    for (const auto& operation : page.operations) {
        if (const auto* op = std::get_if<TextOp>(&operation); op && op->text.startsWith(prefix))
            ++n;
    }
    return n;
}

bool near(double actual, double expectedMm) {
    return std::abs(actual - expectedMm * kTwipsPerMm) < 0.01;
}

} // namespace

class TestLogBook : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fourteenEntriesFillAPage() {
        const printing::Document one = logBook(14);
        QCOMPARE(one.orientation, printing::Orientation::Landscape);
        QCOMPARE(int(one.pages.size()), 1);
        QCOMPARE(countTexts(one.pages[0], QStringLiteral("患者")), 14);

        // The 15th entry opens page 2 at y 28: margins 10/10 put y at 28 mm from the top edge.
        const printing::Document two = logBook(15);
        QCOMPARE(int(two.pages.size()), 2);
        const TextOp* fifteenth = findText(two.pages[1], QStringLiteral("患者15"));
        QVERIFY(fifteenth);
        QVERIFY(near(fifteenth->y, 28));
        QVERIFY(near(fifteenth->x, 10 + 2));
        const TextOp* fourteenth = findText(two.pages[0], QStringLiteral("患者14"));
        QVERIFY(near(fourteenth->y, 28 + 13 * 10));
    }

    void twentyNineEntriesGiveThreeNumberedPages() {
        const printing::Document book = logBook(29);
        QCOMPARE(int(book.pages.size()), 3);
        for (int page = 0; page < 3; ++page) {
            const TextOp* number =
                findText(book.pages[size_t(page)], QStringLiteral("第 %1 页").arg(page + 1));
            QVERIFY2(number, qPrintable(QStringLiteral("page %1").arg(page + 1)));
            QVERIFY(near(number->x, 10 + 240));
            QVERIFY(near(number->y, 166));
            // Every page has its frame: title, physician, 16 row lines and 8 column lines, double underline.
            QVERIFY(findText(book.pages[size_t(page)], QStringLiteral("门 诊 日 志 登 记 本")));
            QVERIFY(findText(book.pages[size_t(page)], QStringLiteral("医师：王医师")));
            QVERIFY(findText(book.pages[size_t(page)], QStringLiteral("住       址\\电      话")));
            int lines = 0;
            for (const auto& operation : book.pages[size_t(page)].operations)
                lines += std::holds_alternative<LineOp>(operation) ? 1 : 0;
            QCOMPARE(lines, 2 + 16 + 8);
        }
        QCOMPARE(countTexts(book.pages[2], QStringLiteral("患者")), 1);
        QVERIFY(findText(book.pages[2], QStringLiteral("患者29")));
    }

    void entryValuesStandInTheirColumns() {
        const printing::Document book = logBook(1);
        const printing::Page& page = book.pages[0];
        const std::pair<QString, double> columns[] = {
            {QStringLiteral("患者1"), 2},     {QStringLiteral("男"), 27},
            {QStringLiteral("35岁"), 37},     {QStringLiteral("感冒"), 50},
            {QStringLiteral("东街1号"), 102}, {QStringLiteral("2017-01-02"), 172}};
        for (const auto& [text, x] : columns) {
            const TextOp* op = findText(page, text);
            QVERIFY2(op, qPrintable(text));
            QVERIFY2(near(op->x, 10 + x), qPrintable(text));
            QVERIFY(near(op->y, 28));
            QCOMPARE(op->points, 11.0);
            QVERIFY(!op->bold);
        }
        const TextOp* title = findText(page, QStringLiteral("门 诊 日 志 登 记 本"));
        QCOMPARE(title->points, 26.0);
        QVERIFY(title->bold);
        QVERIFY(near(title->x, 10 + 90));
        QVERIFY(near(title->y, 0));
    }

    void marginsMoveTheFrame() {
        // Left 10, top 10: the frame's corner (0, 15) lands 10 mm from the left and 15 mm from the top.
        auto firstRowLine = [](const printing::Document& book) {
            for (const auto& operation : book.pages[0].operations) {
                if (const auto* op = std::get_if<LineOp>(&operation);
                    op && op->x2 - op->x1 > 200 * kTwipsPerMm)
                    return *op;
            }
            return LineOp{};
        };
        const LineOp corner = firstRowLine(logBook(3, QStringLiteral("10"), QStringLiteral("10")));
        QVERIFY(near(corner.x1, 10));
        QVERIFY(near(corner.y1, 15));
        QVERIFY(near(corner.x2, 10 + 260));
        // Top 20 moves everything 10 mm down; left 20 moves it 10 mm right.
        const LineOp moved = firstRowLine(logBook(3, QStringLiteral("20"), QStringLiteral("20")));
        QVERIFY(near(moved.x1, 20));
        QVERIFY(near(moved.y1, 25));
    }

    void aPageWrittenAsPdfReadsBack() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("日志.pdf"));
        printing::Surface surface;
        reports::layOutLogBook(
            surface, {rows(16), QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("王医师")});
        const printing::OutputResult written = printing::writePdf(surface.endDocument(), path);
        QVERIFY2(written.ok, qPrintable(written.message));
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(30000));
        const QString pages = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(pages.contains(QStringLiteral("患者14")), qPrintable(pages));
        QVERIFY(pages.contains(QStringLiteral("患者16")));
        QVERIFY(pages.contains(QStringLiteral("医师：王医师")));
        QCOMPARE(pages.count(QLatin1Char('\f')), 2);
    }

    void emptyRangePrintsNothingAndLeavesTwips() {
        printing::Surface surface;
        reports::layOutLogBook(surface, {{}, QStringLiteral("10"), QStringLiteral("20"), QString()});
        QCOMPARE(surface.unit(), printing::Unit::Twips);
        QVERIFY(surface.endDocument().isEmpty());
    }

    void aPrintAfterTheLogIsUprightAndInTwips() {
        printing::Surface surface;
        reports::layOutLogBook(surface, {rows(2), QStringLiteral("10"), QStringLiteral("20"), QString()});
        QCOMPARE(surface.unit(), printing::Unit::Twips);
        QCOMPARE(surface.endDocument().orientation, printing::Orientation::Landscape);
        // The next document, drawn as the prescription print draws (twips, no orientation of its own).
        surface.setFont(QStringLiteral("宋体"), 14, false);
        surface.setPosition(567, 567);
        surface.print(QStringLiteral("黄芪10g"), true);
        const printing::Document next = surface.endDocument();
        QCOMPARE(next.orientation, printing::Orientation::Portrait);
        QCOMPARE(std::get<TextOp>(next.pages[0].operations[0]).x, 567.0);
    }
};

QTEST_MAIN(TestLogBook)
#include "test_logbook.moc"
