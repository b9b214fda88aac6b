#include "data/prescriptions.h"
#include "data/record.h"

#include <QtTest>

using namespace lichuan;

namespace {

PricedLine line(const char* name, const char* quantity, const char* price, const char* amount,
                const char* drawer) {
    return PricedLine{QString::fromUtf8(name),  QString::fromUtf8(quantity), QStringLiteral("g"),
                      QString::fromUtf8(price), QString::fromUtf8(amount),   QString::fromUtf8(drawer),
                      QStringLiteral("中药")};
}

} // namespace

class TestRecord : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pricingTextOfTwoLines();
    void pricingTextStopsAtFirstEmptyName();
    void pricingTextWithoutLines();
    void readingDropsPiecesBeyondLastLine();
    void readingIncompleteText();
    void separatorsInCellsKeepLinesApart();
    void patientKeyAndBirthYear_data();
    void patientKeyAndBirthYear();
    void ageFromStoredBirthYear();
    void historyEntry();
    void recordKeysNeverRepeat();
};

void TestRecord::pricingTextOfTwoLines() {
    PricedLines lines;
    lines[0] = line("当归", "60", "0.050", "3.000", "A1");
    lines[1] = line("黄芪", "90", "0.030", "2.700", "B2");
    const QString text = pricingText(lines);
    QCOMPARE(text, QStringLiteral("当归@黄芪@$60@90@$g@g@$0.050@0.030@$3.000@2.700@$A1@B2@$"));

    // The category is not stored; everything else comes back.
    PricedLines expected = lines;
    expected[0].category.clear();
    expected[1].category.clear();
    QVERIFY(readPricingText(text) == expected);
}

void TestRecord::pricingTextStopsAtFirstEmptyName() {
    PricedLines lines;
    lines[0] = line("当归", "60", "0.050", "3.000", "A1");
    lines[1] = line("黄芪", "90", "0.030", "2.700", "B2");
    lines[2].quantity = QStringLiteral("5"); // a line without a name ends the walk
    lines[3] = line("甘草", "30", "0.040", "1.200", "C3");
    const QString text = pricingText(lines);
    QCOMPARE(text, QStringLiteral("当归@黄芪@$60@90@$g@g@$0.050@0.030@$3.000@2.700@$A1@B2@$"));
    const PricedLines read = readPricingText(text);
    QCOMPARE(read[1].name, QStringLiteral("黄芪"));
    QVERIFY(read[2] == PricedLine());
    QVERIFY(read[3] == PricedLine());
}

void TestRecord::pricingTextWithoutLines() {
    QCOMPARE(pricingText(PricedLines()), QStringLiteral("$$$$$$"));
    for (const PricedLine& read : readPricingText(QStringLiteral("$$$$$$")))
        QVERIFY(read == PricedLine());
    for (const PricedLine& read : readPricingText(QString()))
        QVERIFY(read == PricedLine());
}

void TestRecord::readingDropsPiecesBeyondLastLine() {
    QString names;
    QString quantities;
    for (int i = 0; i < 40; ++i) {
        names += QStringLiteral("药%1@").arg(i);
        quantities += QStringLiteral("%1@").arg(i);
    }
    const PricedLines read = readPricingText(names + QLatin1Char('$') + quantities + QStringLiteral("$$$$$"));
    QCOMPARE(read[35].name, QStringLiteral("药35"));
    QCOMPARE(read[35].quantity, QStringLiteral("35"));
    QCOMPARE(read[0].unit, QString());
}

void TestRecord::readingIncompleteText() {
    // An old text cut short keeps what it holds: a last cell without its "@" and a last column without its
    // "$" are read as the stored format is split.
    PricedLines read = readPricingText(QStringLiteral("当归@黄芪$60@90@"));
    QCOMPARE(read[0].name, QStringLiteral("当归"));
    QCOMPARE(read[1].name, QStringLiteral("黄芪"));
    QCOMPARE(read[0].quantity, QStringLiteral("60"));
    QCOMPARE(read[1].quantity, QStringLiteral("90"));
    QCOMPARE(read[2].name, QString());

    read = readPricingText(QStringLiteral("当归@黄芪@$60@90@$g@g@$0.050@0.030@$3.000@2.700@$A1@B2"));
    QCOMPARE(read[1].drawer, QStringLiteral("B2"));
    QCOMPARE(read[0].drawer, QStringLiteral("A1"));
    QCOMPARE(read[1].amount, QStringLiteral("2.700"));
    QCOMPARE(read[2].drawer, QString());
}

void TestRecord::separatorsInCellsKeepLinesApart() {
    // A "@" or "$" typed into a cell would start another cell or column and shift every later line;
    // it is stored in its full-width form instead.
    PricedLines lines;
    lines[0] = line("当归", "60@", "0.050", "3.000", "A1");
    lines[1] = line("黄芪$", "90", "0.030", "2.700", "B@2");
    lines[2] = line("甘草", "30", "0.040", "1.200", "$");
    const QString text = pricingText(lines);
    QCOMPARE(text.count(QLatin1Char('$')), 6);
    QCOMPARE(text.count(QLatin1Char('@')), 18);
    const PricedLines read = readPricingText(text);
    QCOMPARE(read[0].quantity, QStringLiteral("60＠"));
    QCOMPARE(read[1].name, QStringLiteral("黄芪＄"));
    QCOMPARE(read[1].quantity, QStringLiteral("90"));
    QCOMPARE(read[1].drawer, QStringLiteral("B＠2"));
    QCOMPARE(read[2].name, QStringLiteral("甘草"));
    QCOMPARE(read[2].quantity, QStringLiteral("30"));
    QCOMPARE(read[2].drawer, QStringLiteral("＄"));
    QVERIFY(read[3] == PricedLine());
}

void TestRecord::patientKeyAndBirthYear_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("age");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("key");
    QTest::newRow("years") << QStringLiteral("张三") << QStringLiteral("35岁") << QStringLiteral("1989")
                           << QStringLiteral("张三zs1989");
    QTest::newRow("Y") << QStringLiteral("张三") << QStringLiteral("35Y") << QStringLiteral("1989")
                       << QStringLiteral("张三zs1989");
    QTest::newRow("y") << QStringLiteral("张三") << QStringLiteral("35y") << QStringLiteral("1989")
                       << QStringLiteral("张三zs1989");
    QTest::newRow("plain") << QStringLiteral("张三") << QStringLiteral("35") << QStringLiteral("1989")
                           << QStringLiteral("张三zs1989");
    QTest::newRow("not a number") << QStringLiteral("张三") << QStringLiteral("abc") << QStringLiteral("2024")
                                  << QStringLiteral("张三zs2024");
    QTest::newRow("and a half") << QStringLiteral("张三") << QStringLiteral("35岁半")
                                << QStringLiteral("1989") << QStringLiteral("张三zs1989");
    QTest::newRow("fraction") << QStringLiteral("李四") << QStringLiteral("0.5") << QStringLiteral("2023.5")
                              << QStringLiteral("李四ls2023.5");
    QTest::newRow("name as typed") << QStringLiteral(" 张三 ") << QStringLiteral("35岁")
                                   << QStringLiteral("1989") << QStringLiteral(" 张三 zs1989");
}

void TestRecord::patientKeyAndBirthYear() {
    QFETCH(QString, name);
    QFETCH(QString, age);
    QFETCH(QString, year);
    QFETCH(QString, key);
    QCOMPARE(birthYear(age, 2024), year);
    QCOMPARE(patientKey(name, age, 2024), key);
}

void TestRecord::ageFromStoredBirthYear() {
    int age = -1;
    QVERIFY(ageFromBirthYear(QStringLiteral("1989"), 2024, &age));
    QCOMPARE(age, 35);
    QVERIFY(ageFromBirthYear(QStringLiteral("1989.5"), 2024, &age));
    QCOMPARE(age, 34); // 34.5 goes to the even neighbour
    QVERIFY(ageFromBirthYear(QStringLiteral("1988.5"), 2024, &age));
    QCOMPARE(age, 36);
    // A whole number with blanks around it, a sign, a point or an exponent (e or d) still counts.
    for (const char* stored : {" 1989 ", "+1989", "1989.", ".5e3", "1.989E3", "19890d-1", "\t1989\r\n"})
        QVERIFY2(ageFromBirthYear(QString::fromLatin1(stored), 2024, &age), stored);
    QVERIFY(ageFromBirthYear(QStringLiteral("19890d-1"), 2024, &age));
    QCOMPARE(age, 35);
    age = -1;
    for (const char* stored :
         {"", "abc", "1989abc", "-", ".", "1e", "e3", "1 989", "19-89", "1989.5.0", "++1"}) {
        QVERIFY2(!ageFromBirthYear(QString::fromLatin1(stored), 2024, &age), stored);
        QCOMPARE(age, -1);
    }
    QVERIFY(!ageFromBirthYear(QStringLiteral("\u00a01989"), 2024, &age)); // only ASCII blanks
    QVERIFY(!ageFromBirthYear(QStringLiteral("１９８９"), 2024, &age));   // nor wide digits
}

void TestRecord::historyEntry() {
    HistoryRow row{QStringLiteral("20240301100000"), QStringLiteral("张三"),       QStringLiteral("男"),
                   QStringLiteral("35岁"),           QStringLiteral("2024-03-01"), kSettledMarker};
    QCOMPARE(historyEntryText(row), QStringLiteral("张三[男,35岁,2024-03-01]-已结算"));
    row.settled.clear();
    QCOMPARE(historyEntryText(row), QStringLiteral("张三[男,35岁,2024-03-01]"));
}

void TestRecord::recordKeysNeverRepeat() {
    const QDateTime start(QDate(2024, 3, 1), QTime(23, 59, 59, 300));
    QCOMPARE(timestamp14(start), QStringLiteral("20240301235959"));
    RecordKeys keys(QStringLiteral("A"));
    QCOMPARE(keys.next(start), QStringLiteral("20240301235959A"));
    QCOMPARE(keys.next(start.addMSecs(500)), QStringLiteral("20240302000000A"));
    QCOMPARE(keys.next(start), QStringLiteral("20240302000001A"));
    // Once the clock has passed the last key, keys follow the clock again.
    QCOMPARE(keys.next(start.addSecs(10)), QStringLiteral("20240302000009A"));
}

QTEST_GUILESS_MAIN(TestRecord)
#include "test_record.moc"
