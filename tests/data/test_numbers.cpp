#include "data/dates.h"
#include "data/numbers.h"

#include <QtTest>
#include <clocale>

using namespace lichuan;
using namespace lichuan::numbers;

class TestNumbers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void leadingNumber_data();
    void leadingNumber();
    void amountsRoundHalfAwayFromZero_data();
    void amountsRoundHalfAwayFromZero();
    void lineTotalsAddShownAmounts();
    void shortestDecimal_data();
    void shortestDecimal();
    void halfToEven();
    void typedDates_data();
    void typedDates();
};

void TestNumbers::initTestCase() {
    // A decimal comma in the user's locale must not change any number text.
    std::setlocale(LC_ALL, "de_DE.UTF-8");
}

void TestNumbers::leadingNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("readable");
    QTest::newRow("unit after number") << QStringLiteral("10g") << 10.0 << true;
    QTest::newRow("space inside") << QStringLiteral("1 000") << 1000.0 << true;
    QTest::newRow("leading point") << QStringLiteral(".5") << 0.5 << true;
    QTest::newRow("letters") << QStringLiteral("abc") << 0.0 << false;
    QTest::newRow("empty") << QString() << 0.0 << false;
    QTest::newRow("exponent") << QStringLiteral("1e3") << 1000.0 << true;
    QTest::newRow("D exponent") << QStringLiteral("2.5D2g") << 250.0 << true;
    QTest::newRow("letter without exponent digits") << QStringLiteral("1e") << 1.0 << true;
    QTest::newRow("negative") << QStringLiteral("-2") << -2.0 << true;
    QTest::newRow("spaced sign and breaks") << QStringLiteral(" \t- 2\r\n.5") << -2.5 << true;
    QTest::newRow("second point ends") << QStringLiteral("1.2.3") << 1.2 << true;
    QTest::newRow("sign alone") << QStringLiteral("-") << 0.0 << false;
    QTest::newRow("no hex") << QStringLiteral("&H10") << 0.0 << false;
    QTest::newRow("no inf") << QStringLiteral("inf") << 0.0 << false;
    QTest::newRow("full-width digits are not digits") << QStringLiteral("１０") << 0.0 << false;
    QTest::newRow("out of range reads 0") << QStringLiteral("1e999") << 0.0 << true;
}

void TestNumbers::leadingNumber() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(bool, readable);
    QCOMPARE(numbers::leadingNumber(text), value);
    QCOMPARE(hasLeadingNumber(text), readable);
}

void TestNumbers::amountsRoundHalfAwayFromZero_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text");
    QTest::newRow("60 x 0.05") << 60 * 0.05 << 3 << QStringLiteral("3.000");
    QTest::newRow("3 x 0.0005") << 3 * 0.0005 << 3 << QStringLiteral("0.002");
    QTest::newRow("2.5 x 0.125") << 2.5 * 0.125 << 3 << QStringLiteral("0.313");
    QTest::newRow("negative half") << -2.5 * 0.125 << 3 << QStringLiteral("-0.313");
    QTest::newRow("negative tiny is zero") << -0.0001 << 3 << QStringLiteral("0.000");
    QTest::newRow("minus zero") << -0.0 << 2 << QStringLiteral("0.00");
    QTest::newRow("carry") << 9.9995 << 3 << QStringLiteral("10.000");
    QTest::newRow("large") << 123456.789 << 2 << QStringLiteral("123456.79");
    QTest::newRow("no decimals") << 2.5 << 0 << QStringLiteral("3");
    QTest::newRow("small to two places") << 0.005 << 2 << QStringLiteral("0.01");
    QTest::newRow("1.005 is 1.01") << 1.005 << 2 << QStringLiteral("1.01");
}

void TestNumbers::amountsRoundHalfAwayFromZero() {
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, text);
    QCOMPARE(fixed(value, decimals), text);
}

void TestNumbers::lineTotalsAddShownAmounts() {
    // Amounts are added as shown with three decimals, the sum is shown with two.
    Decimal4 total;
    total += Decimal4::fromText(fixed(3 * 0.0005, 3));
    QCOMPARE(total.toFixed2(), QStringLiteral("0.00"));
    QVERIFY(numbers::leadingNumber(total.toFixed2()) == 0);

    Decimal4 sum;
    for (const char* amount : {"3.000", "2.700", "0.005", ""})
        sum += Decimal4::fromText(QString::fromLatin1(amount));
    QCOMPARE(sum.units(), 57050LL);
    QCOMPARE(sum.toFixed2(), QStringLiteral("5.71"));

    Decimal4 negative;
    negative += Decimal4::fromText(QStringLiteral("-0.004"));
    QCOMPARE(negative.toFixed2(), QStringLiteral("0.00"));
    negative += Decimal4::fromText(QStringLiteral("-1.001"));
    QCOMPARE(negative.toFixed2(), QStringLiteral("-1.01"));
    QVERIFY(Decimal4().isZero());
}

void TestNumbers::shortestDecimal_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("3 x 0.3") << 3 * 0.3 << QStringLiteral("0.9");
    QTest::newRow("integer") << 60.0 << QStringLiteral("60");
    QTest::newRow("fraction") << 1.5 << QStringLiteral("1.5");
    QTest::newRow("negative") << -0.25 << QStringLiteral("-0.25");
    QTest::newRow("zero") << -0.0 << QStringLiteral("0");
    QTest::newRow("small") << 0.0001 << QStringLiteral("0.0001");
    QTest::newRow("smaller") << 0.00001 << QStringLiteral("1E-05");
    QTest::newRow("fifteen digits") << 123456789012345.0 << QStringLiteral("123456789012345");
    QTest::newRow("sixteen digits") << 1234567890123456.0 << QStringLiteral("1.23456789012346E+15");
    QTest::newRow("year and a half") << 2024 - 34.5 << QStringLiteral("1989.5");
}

void TestNumbers::shortestDecimal() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(shortest(value), text);
}

void TestNumbers::halfToEven() {
    QCOMPARE(roundHalfEven(34.5), 34LL);
    QCOMPARE(roundHalfEven(35.5), 36LL);
    QCOMPARE(roundHalfEven(12.5), 12LL);
    QCOMPARE(roundHalfEven(12.51), 13LL);
    QCOMPARE(roundHalfEven(-0.5), 0LL);
    QCOMPARE(roundHalfEven(-1.5), -2LL);
    QCOMPARE(roundHalfEven(std::numeric_limits<double>::quiet_NaN()), 0LL);
}

void TestNumbers::typedDates_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");
    QTest::newRow("stored form") << QStringLiteral("2024-03-01") << QDate(2024, 3, 1);
    QTest::newRow("short") << QStringLiteral("2024-3-1") << QDate(2024, 3, 1);
    QTest::newRow("slashes") << QStringLiteral("2024/3/1") << QDate(2024, 3, 1);
    QTest::newRow("points") << QStringLiteral("2024.3.1") << QDate(2024, 3, 1);
    QTest::newRow("spaces") << QStringLiteral("  2024-02-29 ") << QDate(2024, 2, 29);
    QTest::newRow("impossible day") << QStringLiteral("2024-02-30") << QDate();
    QTest::newRow("not leap") << QStringLiteral("2023-02-29") << QDate();
    QTest::newRow("month 13") << QStringLiteral("2024-13-01") << QDate();
    QTest::newRow("mixed separators") << QStringLiteral("2024-3/1") << QDate();
    QTest::newRow("apostrophe") << QStringLiteral("2024-03-01' or '1'='1") << QDate();
    QTest::newRow("empty") << QString() << QDate();
    QTest::newRow("time") << QStringLiteral("2024-03-01 10:00") << QDate();
}

void TestNumbers::typedDates() {
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QCOMPARE(dates::parse(text), date);
    if (date.isValid())
        QCOMPARE(dates::parse(dates::format(date)), date);
    else
        QVERIFY(dates::format(dates::parse(text)).isEmpty());
}

QTEST_GUILESS_MAIN(TestNumbers)
#include "test_numbers.moc"
