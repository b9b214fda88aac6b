// The queries of the log and the statistics on real database files written by the prescription save and
// the settlement.

#include "data/engine.h"
#include "data/reports.h"
#include "reportdata.h"

#include <QtTest>
#include <random>

using namespace lichuan;
using test::line;

namespace {

const QDate kJan1(2017, 1, 1);

QString text(const numbers::Decimal4& value) {
    return value.toFixed2();
}

} // namespace

class TestReportData : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void logListsRangeInKeyOrderWithBothEnds() {
        test::ClinicData clinic;
        clinic.addPrescription(QStringLiteral("2016-12-31"), QStringLiteral("早前"));
        clinic.addPrescription(QStringLiteral("2017-01-01"), QStringLiteral("张三"));
        clinic.addPrescription(QStringLiteral("2017-01-15"), QStringLiteral("O'Brien"), QString(),
                               QStringLiteral("高血压病"));
        clinic.addPrescription(QStringLiteral("2017-01-31"), QStringLiteral("李四"));
        clinic.addPrescription(QStringLiteral("2017-02-01"), QStringLiteral("之后"));

        const LogResult result = queryLog(*clinic.main, kJan1, QDate(2017, 1, 31), 100);
        QVERIFY(!result.tooMany && !result.failed);
        QCOMPARE(int(result.rows.size()), 3);
        QCOMPARE(result.rows[0].name, QStringLiteral("张三"));
        QCOMPARE(result.rows[1].name, QStringLiteral("O'Brien")); // an apostrophe is just a character
        QCOMPARE(result.rows[1].diagnosis, QStringLiteral("高血压病"));
        QCOMPARE(result.rows[1].sex, QStringLiteral("男"));
        QCOMPARE(result.rows[1].age, QStringLiteral("35岁"));
        QCOMPARE(result.rows[1].address, QStringLiteral("东街3号"));
        QCOMPARE(result.rows[1].date, QStringLiteral("2017-01-15"));
        QCOMPARE(result.rows[2].name, QStringLiteral("李四"));

        // A start after the end lists nothing; an invalid date lists nothing.
        QVERIFY(queryLog(*clinic.main, QDate(2017, 1, 31), kJan1, 100).rows.empty());
        QVERIFY(queryLog(*clinic.main, QDate(), kJan1, 100).rows.empty());
    }

    void logRefusesMoreRowsThanTheLimit() {
        test::ClinicData clinic;
        for (int i = 0; i < 5; ++i)
            clinic.addPrescription(QStringLiteral("2017-01-02"), QStringLiteral("患者%1").arg(i));
        const LogResult exact = queryLog(*clinic.main, kJan1, kJan1.addDays(5), 5);
        QVERIFY(!exact.tooMany);
        QCOMPARE(int(exact.rows.size()), 5);
        const LogResult over = queryLog(*clinic.main, kJan1, kJan1.addDays(5), 4);
        QVERIFY(over.tooMany);
        QVERIFY(over.rows.empty());
    }

    void businessTotalsCountEveryPrescriptionOfThePeriod() {
        test::ClinicData clinic;
        clinic.addPrescription(QStringLiteral("2017-01-05"), QStringLiteral("甲"), QStringLiteral("12.50"));
        clinic.addPrescription(QStringLiteral("2017-01-06"), QStringLiteral("乙"), QString()); // unsettled
        clinic.addPrescription(QStringLiteral("2017-01-07"), QStringLiteral("丙"), QStringLiteral("0.10"));
        clinic.addPrescription(QStringLiteral("2017-01-07"), QStringLiteral("丁"), QStringLiteral("0.20"));

        BusinessTotals period = businessTotals(*clinic.main, QDate(2017, 1, 5), QDate(2017, 1, 6));
        QCOMPARE(period.count, 2);
        QCOMPARE(text(period.takings), QStringLiteral("12.50"));
        // 0.1 + 0.2 summed exactly.
        BusinessTotals day = businessTotals(*clinic.main, QDate(2017, 1, 7), QDate(2017, 1, 7));
        QCOMPARE(day.count, 2);
        QCOMPARE(text(day.takings), QStringLiteral("0.30"));
        QCOMPARE(businessTotals(*clinic.main, QDate(2017, 2, 1), QDate(2017, 2, 1)).count, 0);
        QCOMPARE(businessTotals(*clinic.main, QDate(), QDate(2017, 2, 1)).count, 0);
    }

    void usageSumsByNameWithTheFirstUnit() {
        test::ClinicData clinic;
        QVERIFY(clinic.addLines(QDate(2017, 1, 3), {line(QStringLiteral("黄芪"), QStringLiteral("300"),
                                                         QStringLiteral("g"), QStringLiteral("3.000")),
                                                    line(QStringLiteral("石膏[先煎]"), QStringLiteral("1000"),
                                                         QStringLiteral("g"), QString()),
                                                    line(QStringLiteral("O'Hara草"), QStringLiteral("10"),
                                                         QStringLiteral("g"), QStringLiteral("1.000"))}));
        QVERIFY(clinic.addLines(QDate(2017, 1, 4), {line(QStringLiteral("黄芪"), QStringLiteral("300"),
                                                         QStringLiteral("g"), QStringLiteral("3.000")),
                                                    line(QStringLiteral("石膏[先煎]"), QStringLiteral("500"),
                                                         QStringLiteral("kg"), QString())}));
        QVERIFY(clinic.addLines(
            QDate(2017, 1, 5),
            {line(QStringLiteral("阿莫西林胶囊[0.25g*24]"), QStringLiteral("2"), QStringLiteral("盒"),
                  QStringLiteral("48.400"), QStringLiteral("西成药"))}));
        QVERIFY(clinic.addLines(
            QDate(2017, 1, 6),
            {line(QStringLiteral("阿莫西林胶囊[0.25g*24]"), QStringLiteral("3"), QStringLiteral("盒"),
                  QStringLiteral("72.600"), QStringLiteral("西成药"))}));
        // Outside the period.
        QVERIFY(clinic.addLines(QDate(2017, 2, 10), {line(QStringLiteral("黄芪"), QStringLiteral("999"),
                                                          QStringLiteral("g"), QStringLiteral("9.000"))}));

        const UsageResult herbs =
            usageTotals(*clinic.statistics, QStringLiteral("中药"), kJan1, QDate(2017, 1, 31));
        QVERIFY(!herbs.failed);
        QCOMPARE(int(herbs.totals.size()), 3);
        QStringList names;
        for (const UsageTotal& total : herbs.totals)
            names << total.name;
        // GBK order: the Latin letter first, then 黄 (h) before 石 (s).
        QCOMPARE(names, QStringList({QStringLiteral("O'Hara草"), QStringLiteral("黄芪"),
                                     QStringLiteral("石膏[先煎]")}));
        QCOMPARE(herbs.totals[1].quantity.units(), 600 * 10000LL);
        QCOMPARE(text(herbs.totals[1].amount), QStringLiteral("6.00"));
        // Quantities add whatever their unit; the unit is that of the first line.
        QCOMPARE(herbs.totals[2].quantity.units(), 1500 * 10000LL);
        QCOMPARE(herbs.totals[2].unit, QStringLiteral("g"));
        QVERIFY(herbs.totals[2].amount.isZero());

        const UsageResult western =
            usageTotals(*clinic.statistics, QStringLiteral("西成药"), kJan1, QDate(2017, 1, 31));
        QCOMPARE(int(western.totals.size()), 1);
        QCOMPARE(western.totals[0].quantity.units(), 5 * 10000LL);
        QCOMPARE(western.totals[0].unit, QStringLiteral("盒"));
        QCOMPARE(text(western.totals[0].amount), QStringLiteral("121.00"));

        // A start after the end is the same period read backwards: nothing, as the query finds nothing.
        QVERIFY(usageTotals(*clinic.statistics, QStringLiteral("中药"), QDate(2017, 1, 31), kJan1)
                    .totals.empty());
        QVERIFY(usageTotals(*clinic.statistics, QStringLiteral("中'药"), kJan1, QDate(2017, 1, 31))
                    .totals.empty());
    }

    void groupedUsageEqualsTheNameByNameQueries() {
        test::ClinicData clinic;
        std::mt19937 random(20170101);
        const QStringList names{QStringLiteral("黄芪"),       QStringLiteral("当归"),
                                QStringLiteral("O'Brien丸"),  QStringLiteral("甘草"),
                                QStringLiteral("阿胶[烊化]"), QStringLiteral("100%酒精"),
                                QStringLiteral("a_b"),        QStringLiteral("A_B"),
                                QStringLiteral("挂号费"),     QStringLiteral("针灸 理疗")};
        const QStringList quantities{
            QStringLiteral("10"),      QStringLiteral("1.5"),   QStringLiteral("10g"),
            QStringLiteral(""),        QStringLiteral("0.1"),   QStringLiteral("abc"),
            QStringLiteral("2"),       QStringLiteral("10."),   QStringLiteral(".5"),
            QStringLiteral("0.00005"), QStringLiteral("1 000"), QStringLiteral("-3"),
            QStringLiteral("1.23456"), QStringLiteral("007")};
        const QStringList units{QStringLiteral("g"), QStringLiteral("盒"), QStringLiteral("次"), QString()};
        const QStringList amounts{QStringLiteral("3.000"), QStringLiteral(""), QStringLiteral("0.125"),
                                  QStringLiteral("12.5"), QStringLiteral("0.1")};
        const QStringList categories{QStringLiteral("中药"), QStringLiteral("西成药"),
                                     QStringLiteral("收费项目")};
        auto pick = [&random](const QStringList& list) {
            return list.at(std::uniform_int_distribution<int>(0, int(list.size()) - 1)(random));
        };
        for (int prescription = 0; prescription < 150; ++prescription) {
            std::vector<PricedLine> lines;
            const int count = std::uniform_int_distribution<int>(1, 12)(random);
            for (int i = 0; i < count; ++i)
                lines.push_back(
                    line(pick(names), pick(quantities), pick(units), pick(amounts), pick(categories)));
            QVERIFY(clinic.addLines(kJan1.addDays(std::uniform_int_distribution<int>(0, 60)(random)), lines));
        }
        int compared = 0;
        for (const QString& category : categories) {
            for (const auto& [from, to] :
                 {std::pair{kJan1, kJan1.addDays(32)}, std::pair{kJan1.addDays(20), kJan1.addDays(40)},
                  std::pair{kJan1.addDays(5), kJan1.addDays(5)}}) {
                const UsageResult grouped = usageTotals(*clinic.statistics, category, from, to);
                const UsageResult byName = usageTotalsByName(*clinic.statistics, category, from, to);
                QVERIFY(!grouped.failed && !byName.failed);
                QCOMPARE(grouped.totals.size(), byName.totals.size());
                for (size_t i = 0; i < grouped.totals.size(); ++i) {
                    QCOMPARE(grouped.totals[i].name, byName.totals[i].name);
                    QCOMPARE(grouped.totals[i].unit, byName.totals[i].unit);
                    QCOMPARE(grouped.totals[i].quantity.units(), byName.totals[i].quantity.units());
                    QCOMPARE(grouped.totals[i].amount.units(), byName.totals[i].amount.units());
                }
                compared += int(grouped.totals.size());
            }
        }
        QVERIFY(compared > 40);
    }

    void linesWithoutANameAreOneGroup() {
        // Lines from older files may have a null or an empty name: to the clinic both are "no name", one row
        // with every such line summed.
        test::ClinicData clinic;
        QVERIFY(clinic.addLines(kJan1, {line(QStringLiteral("黄芪"), QStringLiteral("10"),
                                             QStringLiteral("g"), QStringLiteral("1.000"))}));
        {
            Statement insert(
                *clinic.statistics,
                QStringLiteral("insert into [统计] ([ID号],[名称],[数量],[单位],[金额],[分类],[日期]) "
                               "values (?, ?, ?, ?, ?, ?, ?)"));
            const std::vector<std::pair<QString, QString>> nameless{
                {QString(), QStringLiteral("盒")}, // written first: its unit is the group's
                {QStringLiteral(""), QStringLiteral("g")},
                {QString(), QStringLiteral("g")}};
            int n = 0;
            for (const auto& [name, unit] : nameless) {
                ++n;
                insert.reset();
                insert.bind(1, QStringLiteral("20170102080000z%1").arg(n))
                    .bind(2, name)
                    .bind(3, QString::number(n))
                    .bind(4, unit)
                    .bind(5, QStringLiteral("0.5"))
                    .bind(6, QStringLiteral("中药"))
                    .bind(7, QStringLiteral("2017-01-02"));
                insert.run();
            }
        }
        const UsageResult grouped =
            usageTotals(*clinic.statistics, QStringLiteral("中药"), kJan1, kJan1.addDays(5));
        QCOMPARE(int(grouped.totals.size()), 2);
        QVERIFY(grouped.totals[0].name.isEmpty());
        QCOMPARE(grouped.totals[0].quantity.units(), 6 * 10000LL);
        QCOMPARE(text(grouped.totals[0].amount), QStringLiteral("1.50"));
        QCOMPARE(grouped.totals[0].unit, QStringLiteral("盒"));
        QCOMPARE(grouped.totals[1].name, QStringLiteral("黄芪"));
        // The per-name queries count the same lines in the same row.
        const UsageResult byName =
            usageTotalsByName(*clinic.statistics, QStringLiteral("中药"), kJan1, kJan1.addDays(5));
        QCOMPARE(int(byName.totals.size()), 2);
        for (size_t i = 0; i < 2; ++i) {
            QCOMPARE(byName.totals[i].name, grouped.totals[i].name);
            QCOMPARE(byName.totals[i].unit, grouped.totals[i].unit);
            QCOMPARE(byName.totals[i].quantity.units(), grouped.totals[i].quantity.units());
            QCOMPARE(byName.totals[i].amount.units(), grouped.totals[i].amount.units());
        }
    }

    void logMarginsAreReadAndWritten() {
        test::ClinicData clinic;
        const LogMargins defaults = readLogMargins(*clinic.main);
        QCOMPARE(defaults.left, QStringLiteral("10"));
        QCOMPARE(defaults.top, QStringLiteral("20"));
        QVERIFY(writeLogMargins(*clinic.main, {QStringLiteral("12.5"), QStringLiteral("8")}));
        QCOMPARE(readLogMargins(*clinic.main).left, QStringLiteral("12.5"));
        QCOMPARE(readLogMargins(*clinic.main).top, QStringLiteral("8"));
        // Longer than the column's five characters: refused, the stored margin stays.
        QVERIFY(!writeLogMargins(*clinic.main, {QStringLiteral("123456"), QStringLiteral("8")}));
        QCOMPARE(readLogMargins(*clinic.main).left, QStringLiteral("12.5"));
    }
};

QTEST_GUILESS_MAIN(TestReportData)
#include "test_report_data.moc"
