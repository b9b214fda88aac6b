// The rules of the report windows and the workbooks they export, read back from the written files.

#include "reports/reportexports.h"
#include "reports/reportrules.h"
#include "reports/reportwindow.h"
#include "session/messages.h"
#include "spreadsheet/workbookreader.h"
#include "zipentry.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace lichuan;
using namespace lichuan::reports;

namespace {

using test::zipEntry;

UsageTotal total(const QString& name, double quantity, const QString& unit, const QString& amount) {
    UsageTotal t;
    t.name = name;
    t.quantity = numbers::Decimal4::fromText(QString::number(quantity));
    t.unit = unit;
    t.amount = numbers::Decimal4::fromText(amount);
    return t;
}

QStringList rowTexts(const spreadsheet::Row& row, int columns) {
    QStringList texts;
    for (int c = 0; c < columns; ++c)
        texts << spreadsheet::cellAt(row, c).toText();
    return texts;
}

} // namespace

class TestReportRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void periodsAndCaptions() {
        QCOMPARE(defaultPeriod(QDate(2017, 3, 15)).from, QStringLiteral("2017-02-15"));
        QCOMPARE(defaultPeriod(QDate(2024, 3, 31)).from, QStringLiteral("2024-02-29"));
        QCOMPARE(defaultPeriod(QDate(2024, 3, 31)).to, QStringLiteral("2024-03-31"));
        QCOMPARE(logCountCaption(0), QStringLiteral("记录数：0"));
        QCOMPARE(logExportCountCaption(21), QStringLiteral("计录数：21"));

        BusinessTotals totals;
        QCOMPARE(businessLine(totals), QStringLiteral("无统计数字"));
        totals.count = 2;
        totals.takings = numbers::Decimal4::fromText(QStringLiteral("12.5"));
        QCOMPARE(businessLine(totals), QStringLiteral("门诊处方数：2张，业务额(￥)：12.50"));
    }

    void usagePeriodIsAtMostThirtyThreeDays() {
        QVERIFY(usageSpanAllowed(QDate(2017, 1, 1), QDate(2017, 2, 2)));
        QVERIFY(!usageSpanAllowed(QDate(2017, 1, 1), QDate(2017, 2, 3)));
        // The difference is taken without its sign.
        QVERIFY(usageSpanAllowed(QDate(2017, 2, 2), QDate(2017, 1, 1)));
        QVERIFY(!usageSpanAllowed(QDate(2017, 2, 3), QDate(2017, 1, 1)));
        QVERIFY(!usageSpanAllowed(QDate(), QDate(2017, 1, 1)));
    }

    void usageLinesShowGramsAsKilograms() {
        const std::vector<UsageLine> lines = usageLines({
            total(QStringLiteral("黄芪"), 600, QStringLiteral("g"), QStringLiteral("30.000")),
            total(QStringLiteral("石膏[先煎]"), 1500, QStringLiteral("g"), QString()),
            total(QStringLiteral("阿莫西林胶囊"), 5, QStringLiteral("盒"), QStringLiteral("121")),
            total(QStringLiteral("针灸"), 1.5, QStringLiteral("次"), QStringLiteral("0.004")),
            total(QStringLiteral("甘草"), 5, QStringLiteral("G"), QStringLiteral("1.005")),
        });
        QCOMPARE(lines[0], (UsageLine{QStringLiteral("黄芪"), QStringLiteral("0.60"), QStringLiteral("kg"),
                                      QStringLiteral("30.00")}));
        QCOMPARE(lines[1], (UsageLine{QStringLiteral("石膏[先煎]"), QStringLiteral("1.50"),
                                      QStringLiteral("kg"), QStringLiteral("0.00")}));
        QCOMPARE(lines[2], (UsageLine{QStringLiteral("阿莫西林胶囊"), QStringLiteral("5"),
                                      QStringLiteral("盒"), QStringLiteral("121.00")}));
        QCOMPARE(lines[3].quantity, QStringLiteral("1.5"));
        QCOMPARE(lines[3].amount, QStringLiteral("0.00"));
        // Only a unit of exactly "g" is converted; 1.005 rounds half away from zero.
        QCOMPARE(lines[4].unit, QStringLiteral("G"));
        QCOMPARE(lines[4].quantity, QStringLiteral("5"));
        QCOMPARE(lines[4].amount, QStringLiteral("1.01"));
        // The lines without a name are one row that says so.
        const std::vector<UsageLine> nameless =
            usageLines({total(QString(), 6, QStringLiteral("盒"), QStringLiteral("1.5"))});
        QCOMPARE(nameless[0], (UsageLine{QStringLiteral("（无名称）"), QStringLiteral("6"),
                                         QStringLiteral("盒"), QStringLiteral("1.50")}));
        QCOMPARE(usageGridAmount(QStringLiteral("0.00")), QString());
        QCOMPARE(usageGridAmount(QStringLiteral("0.01")), QStringLiteral("0.01"));
    }

    void logExportReadsBackCellByCell() {
        QTemporaryDir dir;
        const std::vector<LogRow> rows{
            {QStringLiteral("张三"), QStringLiteral("男"), QStringLiteral("35岁"), QStringLiteral("感冒"),
             QStringLiteral("东街3号"), QStringLiteral("2017-01-02")},
            {QStringLiteral("O'Brien"), QStringLiteral("女"), QStringLiteral("001"), QStringLiteral(""),
             QStringLiteral("13800000000"), QStringLiteral("2017-01-03")},
        };
        RecordingMessages messages;
        // The extension is added to a name without it, and only then.
        QVERIFY(exportWorkbook(logWorkbook(rows), dir.filePath(QStringLiteral("日志")), messages));
        QCOMPARE(messages.shown, QStringList{kExported});
        const QString path = dir.filePath(QStringLiteral("日志.xlsx"));
        QVERIFY(exportWorkbook(logWorkbook(rows), path, messages));
        QVERIFY(!QFile::exists(path + QStringLiteral(".xlsx")));

        const spreadsheet::ReadResult read = spreadsheet::readFirstSheet(path);
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(int(read.rows.size()), 4);
        QCOMPARE(rowTexts(read.rows[0], 7),
                 QStringList({"", "", "", QStringLiteral("门 诊 日 志 登 记 本"), "", "", ""}));
        QCOMPARE(rowTexts(read.rows[1], 7),
                 QStringList({QStringLiteral("姓名"), QStringLiteral("性别"), QStringLiteral("年龄"),
                              QStringLiteral("诊断"), QStringLiteral("住址/电话"), QStringLiteral("就诊日期"),
                              QStringLiteral("备注")}));
        QCOMPARE(rowTexts(read.rows[2], 7),
                 QStringList({QStringLiteral("张三"), QStringLiteral("男"), QStringLiteral("35岁"),
                              QStringLiteral("感冒"), QStringLiteral("东街3号"), QStringLiteral("2017-01-02"),
                              ""}));
        // Texts stay texts: a leading zero and a telephone number are kept as typed.
        QVERIFY(!spreadsheet::cellAt(read.rows[3], 2).isNumber());
        QCOMPARE(rowTexts(read.rows[3], 7),
                 QStringList({QStringLiteral("O'Brien"), QStringLiteral("女"), QStringLiteral("001"), "",
                              QStringLiteral("13800000000"), QStringLiteral("2017-01-03"), ""}));

        const QString sheet = QString::fromUtf8(zipEntry(path, "xl/worksheets/sheet1.xml"));
        QVERIFY(sheet.contains(QRegularExpression(QStringLiteral("<row r=\"1\"[^>]*ht=\"30\""))));
        QVERIFY(sheet.contains(QRegularExpression(QStringLiteral("<row r=\"2\"[^>]*ht=\"20\""))));
        QVERIFY(sheet.contains(QRegularExpression(QStringLiteral("<row r=\"4\"[^>]*ht=\"20\""))));
        for (const auto& [column, width] : {std::pair{1, 10}, {2, 5}, {3, 5}, {4, 25}, {5, 25}, {6, 10}})
            QVERIFY2(
                sheet.contains(QRegularExpression(
                    QStringLiteral("<col min=\"%1\" max=\"%1\" width=\"%2[.\"]").arg(column).arg(width))),
                qPrintable(QString::number(column)));
        QVERIFY(!sheet.contains(QStringLiteral("<col min=\"7\"")));
        const QString styles = QString::fromUtf8(zipEntry(path, "xl/styles.xml"));
        QVERIFY(styles.contains(QRegularExpression(QStringLiteral("<font><b/><sz val=\"20\"/>"))));
        QVERIFY(styles.contains(QStringLiteral("宋体")));
    }

    void usageExportWritesAmountsAsComputed() {
        QTemporaryDir dir;
        const std::vector<UsageLine> lines = usageLines({
            total(QStringLiteral("黄芪"), 600, QStringLiteral("g"), QStringLiteral("30.000")),
            total(QStringLiteral("大枣"), 90, QStringLiteral("g"), QString()),
        });
        RecordingMessages messages;
        const QString path = dir.filePath(QStringLiteral("用药.xlsx"));
        QVERIFY(exportWorkbook(usageWorkbook(lines), path, messages));
        const spreadsheet::ReadResult read = spreadsheet::readFirstSheet(path);
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(int(read.rows.size()), 4);
        QCOMPARE(rowTexts(read.rows[0], 4), QStringList({QStringLiteral("药品用量统计"), "", "", ""}));
        QCOMPARE(rowTexts(read.rows[1], 4), QStringList({QStringLiteral("名称"), QStringLiteral("数量"),
                                                         QStringLiteral("单位"), QStringLiteral("金额")}));
        QCOMPARE(rowTexts(read.rows[2], 4), QStringList({QStringLiteral("黄芪"), QStringLiteral("0.60"),
                                                         QStringLiteral("kg"), QStringLiteral("30.00")}));
        QCOMPARE(rowTexts(read.rows[3], 4), QStringList({QStringLiteral("大枣"), QStringLiteral("0.09"),
                                                         QStringLiteral("kg"), QStringLiteral("0.00")}));
        const QString sheet = QString::fromUtf8(zipEntry(path, "xl/worksheets/sheet1.xml"));
        QVERIFY(sheet.contains(QRegularExpression(QStringLiteral("<row r=\"1\"[^>]*ht=\"30\""))));
        for (const auto& [column, width] : {std::pair{1, 25}, {2, 10}, {3, 5}, {4, 10}})
            QVERIFY(sheet.contains(QRegularExpression(
                QStringLiteral("<col min=\"%1\" max=\"%1\" width=\"%2[.\"]").arg(column).arg(width))));
        const QString styles = QString::fromUtf8(zipEntry(path, "xl/styles.xml"));
        QVERIFY(styles.contains(QRegularExpression(QStringLiteral("<font><b/><sz val=\"16\"/>"))));
    }

    void failedExportSaysSoAndLeavesNoFile() {
        QTemporaryDir dir;
        RecordingMessages messages;
        const QString path = dir.filePath(QStringLiteral("没有的文件夹/日志.xlsx"));
        QVERIFY(!exportWorkbook(logWorkbook({}), path, messages));
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY(messages.shown.first() != kExported);
        QVERIFY(!messages.shown.first().isEmpty());
        QVERIFY(!QFile::exists(path));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestReportRules)
#include "test_report_rules.moc"
