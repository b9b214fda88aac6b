// The rules behind the pricing and history panels: amounts and totals, the drawer order, the history
// date ranges and the record menu's place. No display needed.

#include "prescription/drawersort.h"
#include "prescription/historyrules.h"
#include "prescription/totals.h"

#include <QtTest>

using namespace lichuan;

namespace {

PricedLine line(const QString& name, const QString& drawer, const QString& quantity = QStringLiteral("10"),
                const QString& amount = QString()) {
    PricedLine l;
    l.name = name;
    l.quantity = quantity;
    l.unit = QStringLiteral("g");
    l.price = QStringLiteral("0.05");
    l.amount = amount;
    l.drawer = drawer;
    l.category = QStringLiteral("中药");
    return l;
}

QStringList names(const PricedLines& lines) {
    QStringList out;
    for (const PricedLine& l : lines)
        out << l.name;
    while (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

} // namespace

class TestTotalsRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lineAmounts_data();
    void lineAmounts();
    void totalsAddTheAmountsAsShown();
    void recalculateCoversEveryLine();
    void scrollingPutsLinesBetweenHeadersAndTotals();
    void drawerOrderIsTextOrder();
    void drawerSortPacksAndMovesWholeLines();
    void historyRanges();
    void recordMenuStaysAboveTheBottom();
};

void TestTotalsRules::lineAmounts_data() {
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("amount");
    QTest::newRow("herb") << QStringLiteral("60") << QStringLiteral("0.05") << QStringLiteral("3.000");
    QTest::newRow("tiny") << QStringLiteral("3") << QStringLiteral("0.0005") << QStringLiteral("0.002");
    QTest::newRow("half away from zero")
        << QStringLiteral("2.5") << QStringLiteral("0.125") << QStringLiteral("0.313");
    QTest::newRow("unit after quantity")
        << QStringLiteral("10g") << QStringLiteral("0.3") << QStringLiteral("3.000");
    QTest::newRow("no quantity") << QString() << QStringLiteral("0.05") << QString();
    QTest::newRow("unreadable price") << QStringLiteral("10") << QStringLiteral("abc") << QString();
    QTest::newRow("rounds to zero") << QStringLiteral("1") << QStringLiteral("0.0004") << QString();
    QTest::newRow("negative rounds to zero") << QStringLiteral("-1") << QStringLiteral("0.0004") << QString();
    QTest::newRow("negative quantity")
        << QStringLiteral("-2") << QStringLiteral("1.5") << QStringLiteral("-3.000");
    QTest::newRow("negative price") << QStringLiteral("3") << QStringLiteral("-0.125")
                                    << QStringLiteral("-0.375");
}

void TestTotalsRules::lineAmounts() {
    QFETCH(QString, quantity);
    QFETCH(QString, price);
    QFETCH(QString, amount);
    QCOMPARE(totals::lineAmount(quantity, price), amount);
}

void TestTotalsRules::totalsAddTheAmountsAsShown() {
    QCOMPARE(totals::sheetTotal(QStringList{QStringLiteral("3.000")}), QStringLiteral("3.00"));
    // 0.002 adds up to 0.00: the total reads zero and stays empty.
    QCOMPARE(totals::sheetTotal(QStringList{QStringLiteral("0.002"), QString()}), QString());
    QCOMPARE(totals::sheetTotal(QStringList{}), QString());
    // Three shown amounts of 0.005 make 0.015, which rounds to 0.02 (not 0.01 as binary sums would).
    QCOMPARE(totals::sheetTotal(
                 QStringList{QStringLiteral("0.005"), QStringLiteral("0.005"), QStringLiteral("0.005")}),
             QStringLiteral("0.02"));
    // Many small amounts sum exactly: 0.1 × 30 = 3.00.
    QStringList tenths;
    for (int i = 0; i < 30; ++i)
        tenths << QStringLiteral("0.100");
    QCOMPARE(totals::sheetTotal(tenths), QStringLiteral("3.00"));
    QCOMPARE(totals::sheetTotal(QStringList{QStringLiteral("3.000"), QStringLiteral("-4.500")}),
             QStringLiteral("-1.50"));
    QCOMPARE(totals::sheetTotal(QStringList{QStringLiteral("-0.004")}), QString());
}

void TestTotalsRules::recalculateCoversEveryLine() {
    PricedLines lines;
    lines[0] = line(QStringLiteral("当归"), QStringLiteral("A1"), QStringLiteral("60"));
    lines[0].amount = QStringLiteral("99.000"); // typed by hand; recomputed
    lines[1] = line(QStringLiteral("黄芪"), QStringLiteral("B2"), QStringLiteral("90"));
    lines[1].price = QStringLiteral("0.03");
    // A line without a name still counts: the amount follows quantity and price alone.
    lines[35].quantity = QStringLiteral("1");
    lines[35].price = QStringLiteral("0.5");
    const totals::Recalculated r = totals::recalculate(lines);
    QCOMPARE(r.amounts[0], QStringLiteral("3.000"));
    QCOMPARE(r.amounts[1], QStringLiteral("2.700"));
    QCOMPARE(r.amounts[35], QStringLiteral("0.500"));
    for (size_t i = 2; i < 35; ++i)
        QVERIFY(r.amounts[i].isEmpty());
    QCOMPARE(r.total, QStringLiteral("6.20"));
}

void TestTotalsRules::scrollingPutsLinesBetweenHeadersAndTotals() {
    // Value 0: the container starts right under the 275-twip headers.
    QCOMPARE(totals::linesContainerTop(0, 35), 275);
    // The maximum lifts the container by its height less the panel plus headers and totals bar, so the
    // bottom of line 35 (11295 within the container) ends at the totals bar (7500) or just below its top
    // edge.
    const int top = totals::linesContainerTop(35, 35);
    QCOMPARE(top, -(11295 - 7845 + 275 + 315) + 275);
    QVERIFY(qAbs(top + 11295 - 7500) <= 45);
    QVERIFY(totals::linesContainerTop(10, 35) < 275 && totals::linesContainerTop(10, 35) > top);
    QCOMPARE(totals::linesContainerTop(0, 0), 275);
}

void TestTotalsRules::drawerOrderIsTextOrder() {
    using drawersort::entryLess;
    const auto entry = [](const QString& drawer, const QString& name) {
        return drawersort::sortEntry(line(name, drawer));
    };
    QCOMPARE(entry(QStringLiteral("A1"), QStringLiteral("当归")), QStringLiteral("A1$当归$10$g$0.05$$A1$"));
    // An empty drawer first, then text order: "10" before "2", "A10" before "A2", digits before letters.
    QVERIFY(entryLess(entry(QString(), QStringLiteral("甘草")),
                      entry(QStringLiteral("1"), QStringLiteral("甘草"))));
    QVERIFY(entryLess(entry(QStringLiteral("10"), QStringLiteral("x")),
                      entry(QStringLiteral("2"), QStringLiteral("x"))));
    QVERIFY(entryLess(entry(QStringLiteral("A10"), QStringLiteral("x")),
                      entry(QStringLiteral("A2"), QStringLiteral("x"))));
    QVERIFY(entryLess(entry(QStringLiteral("9"), QStringLiteral("x")),
                      entry(QStringLiteral("A"), QStringLiteral("x"))));
    // A drawer that is the start of another comes first ("$" sorts before digits).
    QVERIFY(entryLess(entry(QStringLiteral("A"), QStringLiteral("x")),
                      entry(QStringLiteral("A1"), QStringLiteral("x"))));
    // Letter case does not count; equal drawers go by name.
    QVERIFY(!entryLess(entry(QStringLiteral("b2"), QStringLiteral("x")),
                       entry(QStringLiteral("B2"), QStringLiteral("x"))));
    QVERIFY(!entryLess(entry(QStringLiteral("B2"), QStringLiteral("x")),
                       entry(QStringLiteral("b2"), QStringLiteral("x"))));
    QVERIFY(entryLess(entry(QStringLiteral("a3"), QStringLiteral("x")),
                      entry(QStringLiteral("B1"), QStringLiteral("x"))));
    QVERIFY(entryLess(entry(QStringLiteral("C1"), QStringLiteral("白术")),
                      entry(QStringLiteral("C1"), QStringLiteral("川芎"))));
}

void TestTotalsRules::drawerSortPacksAndMovesWholeLines() {
    PricedLines lines;
    lines[0] =
        line(QStringLiteral("黄芪"), QStringLiteral("B2"), QStringLiteral("30"), QStringLiteral("1.500"));
    lines[1] =
        line(QStringLiteral("当归"), QStringLiteral("A10"), QStringLiteral("20"), QStringLiteral("1.000"));
    lines[2] = line(QStringLiteral("  "), QStringLiteral("A0")); // a blank name is no line
    lines[3] =
        line(QStringLiteral("甘草"), QStringLiteral("A2"), QStringLiteral("6"), QStringLiteral("0.300"));
    lines[5] = line(QStringLiteral("大枣"), QString(), QStringLiteral("3个"), QStringLiteral("0.150"));
    lines[5].category = QStringLiteral("收费项目");
    lines[5].drawer = QStringLiteral("$"); // a separator inside a cell does not cut the line apart

    const PricedLines sorted = drawersort::sortByDrawer(lines);
    QCOMPARE(names(sorted), (QStringList{QStringLiteral("大枣"), QStringLiteral("当归"),
                                         QStringLiteral("甘草"), QStringLiteral("黄芪")}));
    QCOMPARE(sorted[0], lines[5]);
    QCOMPARE(sorted[1], lines[1]);
    QCOMPARE(sorted[2], lines[3]);
    QCOMPARE(sorted[3], lines[0]);
    for (size_t i = 4; i < kPricedLineCount; ++i)
        QCOMPARE(sorted[i], PricedLine());
    QCOMPARE(drawersort::sortByDrawer(sorted), sorted);
    QCOMPARE(drawersort::sortByDrawer(PricedLines()), PricedLines());

    // Lines with equal entries keep their order.
    PricedLines twins;
    twins[0] = line(QStringLiteral("当归"), QStringLiteral("a1"));
    twins[1] = line(QStringLiteral("当归"), QStringLiteral("A1"));
    const PricedLines t = drawersort::sortByDrawer(twins);
    QCOMPARE(t[0].drawer, QStringLiteral("a1"));
    QCOMPARE(t[1].drawer, QStringLiteral("A1"));
}

void TestTotalsRules::historyRanges() {
    using namespace historyrules;
    const auto pair = [](const DateRange& r) { return QStringList{r.from, r.to}; };
    QCOMPARE(pair(monthBack(QDate(2024, 3, 1))), (QStringList{"2024-02-01", "2024-03-01"}));
    QCOMPARE(pair(monthBack(QDate(2024, 3, 31))), (QStringList{"2024-02-29", "2024-03-31"}));
    QCOMPARE(pair(monthBack(QDate(2024, 1, 15))), (QStringList{"2023-12-15", "2024-01-15"}));
    QCOMPARE(pair(todayOnly(QDate(2024, 3, 1))), (QStringList{"2024-03-01", "2024-03-01"}));
    QCOMPARE(pair(tenYearsBack(QDate(2024, 2, 29))), (QStringList{"2014-02-28", "2024-02-29"}));
    QCOMPARE(pair(tenYearsBack(QDate(2024, 3, 1))), (QStringList{"2014-03-01", "2024-03-01"}));

    QCOMPARE(pair(*dayNextTo(QStringLiteral("2024-03-01"), -1)), (QStringList{"2024-02-29", "2024-02-29"}));
    QCOMPARE(pair(*dayNextTo(QStringLiteral("2024-02-29"), 1)), (QStringList{"2024-03-01", "2024-03-01"}));
    QCOMPARE(pair(*dayNextTo(QStringLiteral("2023-12-31"), 1)), (QStringList{"2024-01-01", "2024-01-01"}));
    // A date as a person types it counts; an unreadable one leaves the dates alone.
    QCOMPARE(pair(*dayNextTo(QStringLiteral("2024-3-1"), -1)), (QStringList{"2024-02-29", "2024-02-29"}));
    QVERIFY(!dayNextTo(QStringLiteral("2024-02-30"), -1));
    QVERIFY(!dayNextTo(QString(), 1));

    QVERIFY(filterWidensRange(QStringLiteral(" 张")));
    QVERIFY(!filterWidensRange(QStringLiteral("   ")));
    QVERIFY(!filterWidensRange(QString()));
}

void TestTotalsRules::recordMenuStaysAboveTheBottom() {
    using historyrules::recordMenuPosition;
    QCOMPARE(recordMenuPosition(QPoint(60, 7230), QPoint(300, 150)), QPoint(420, 7440));
    QCOMPARE(recordMenuPosition(QPoint(60, 7230), QPoint(300, 2000)), QPoint(420, 8580));
}

QTEST_GUILESS_MAIN(TestTotalsRules)
#include "test_totals_rules.moc"
