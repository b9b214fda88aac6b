#include "data/catalog.h"
#include "data/engine.h"
#include "data/lookups.h"
#include "data/prescriptions.h"
#include "data/schema.h"
#include "testsupport.h"

#include <QtTest>
#include <random>

using namespace lichuan;

namespace {

const QDate kToday(2024, 3, 1);

SheetRecord herbalSheet(const QString& key = QStringLiteral("20240301100000A")) {
    SheetRecord sheet;
    sheet.key = key;
    const char* fields[kHeaderFieldCount] = {
        "张三",   "男",   "35岁", "中医科",      "东街3号",        "2024-03-01", "感冒", "王医师",
        "李药师", "5.70", "",     "13800000000", "20240301100000", "YB001",      "自费"};
    for (int i = 0; i < kHeaderFieldCount; ++i)
        sheet.fields[std::size_t(i)] = QString::fromUtf8(fields[i]);
    sheet.items = QStringLiteral("当归 10g     黄芪 15g     \r\n\r\n水煎服");
    sheet.settled = kSettledMarker;
    sheet.caseRecord = QStringLiteral("头痛$无$");
    sheet.lines[0] = PricedLine{QStringLiteral("当归"),
                                QStringLiteral("60"),
                                QStringLiteral("g"),
                                QStringLiteral("0.050"),
                                QStringLiteral("3.000"),
                                QStringLiteral("A1"),
                                QString()};
    sheet.lines[1] = PricedLine{QStringLiteral("黄芪"),
                                QStringLiteral("90"),
                                QStringLiteral("g"),
                                QStringLiteral("0.030"),
                                QStringLiteral("2.700"),
                                QStringLiteral("B2"),
                                QString()};
    return sheet;
}

int count(const Database& db, const QString& sql, const QString& value = QString()) {
    Statement select(db, sql);
    if (!value.isNull())
        select.bind(1, value);
    return select.next() ? int(select.integer(0)) : -1;
}

QString value(const Database& db, const QString& sql, const QString& key) {
    Statement select(db, sql);
    select.bind(1, key);
    return select.next() ? select.text(0) : QStringLiteral("<no row>");
}

void addCatalogItem(Database& db, const QString& name, const QString& code, const QString& category,
                    const QString& price = QStringLiteral("0.05")) {
    Statement insert(
        db,
        QStringLiteral("insert into [商品]([ID号],[名称],[查询],[分类],[常用量],[单位],[单价],[斗位],[用法]) "
                       "values(?,?,?,?,'10','g',?,'A1','')"));
    static int id = 0;
    insert.bind(1, QString::number(++id)).bind(2, name).bind(3, code).bind(4, category).bind(5, price);
    insert.run();
}

QStringList names(const std::vector<CatalogItem>& items) {
    QStringList list;
    for (const CatalogItem& item : items)
        list << item.name;
    return list;
}

} // namespace

class TestPrescriptions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void savingTwiceUpdatesOneRow();
    void everyFieldKeepsQuotesAndBreaks();
    void newSheetNeverOverwritesAnother();
    void unreadableDateWritesNothing();
    void patientRowFollowsTheSheet();
    void overLongValuesAreRefusedOneByOne();
    void failedSaveLeavesNothingBehind();
    void historyNewestFirstWithLiteralFilter();
    void deleteRemovesRowAndStatistics();
    void caseRecordIsStoredAlone();
    void statisticsAreReplacedAsAWhole();
    void statisticsRollBackOnFailure();
    void catalogSearch();
    void catalogCopyFollowsOtherConnections();
    void catalogCopyAgreesWithQuery();
    void catalogLookupIgnoresTrailingSpaces();
    void templatesInTheirOrder();
    void suggestionsMatchLiterally();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<Database> main_;
    std::unique_ptr<Database> stats_;
};

void TestPrescriptions::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    main_ = test::createDatabase(dir_->filePath(QStringLiteral("数据库.dat")));
    stats_ = test::createDatabase(dir_->filePath(QStringLiteral("用药统计.dat")));
    QVERIFY(main_ && stats_);
    schema::createMain(*main_);
    schema::createStatistics(*stats_);
}

void TestPrescriptions::cleanup() {
    main_.reset();
    stats_.reset();
    dir_.reset();
}

void TestPrescriptions::savingTwiceUpdatesOneRow() {
    SheetRecord sheet = herbalSheet();
    SaveOutcome first = savePrescription(*main_, sheet, true, kToday);
    QVERIFY2(first.saved, qPrintable(first.error));
    QCOMPARE(first.key, sheet.key);
    QVERIFY(first.refusedColumns.isEmpty());

    sheet.fields[kDiagnosis] = QStringLiteral("风寒感冒");
    sheet.herbal = false;
    sheet.settled.clear();
    sheet.lines = PricedLines();
    const SaveOutcome second = savePrescription(*main_, sheet, false, kToday);
    QVERIFY(second.saved);
    QCOMPARE(count(*main_, QStringLiteral("select count(*) from [档案]")), 1);
    QCOMPARE(value(*main_, QStringLiteral("select [计价] from [档案] where [序号] = ?"), sheet.key),
             QStringLiteral("$$$$$$"));
    QCOMPARE(value(*main_, QStringLiteral("select [类别] from [档案] where [序号] = ?"), sheet.key),
             QStringLiteral("西"));

    const std::optional<SheetRecord> loaded = loadPrescription(*main_, sheet.key);
    QVERIFY(loaded);
    QCOMPARE(loaded->fields, sheet.fields);
    QCOMPARE(loaded->herbal, false);
    QCOMPARE(loaded->settled, QString());
    QVERIFY(prescriptionExists(*main_, sheet.key));
    QVERIFY(!prescriptionExists(*main_, QStringLiteral("20240301100001A")));
    QVERIFY(!loadPrescription(*main_, QStringLiteral("20240301100001A")));
}

void TestPrescriptions::everyFieldKeepsQuotesAndBreaks() {
    SheetRecord sheet = herbalSheet(QStringLiteral("20240301100000'"));
    for (int i = 0; i < kHeaderFieldCount; ++i) {
        if (i != kDate)
            sheet.fields[std::size_t(i)] = QStringLiteral("O'B%_") + QString::number(i);
    }
    sheet.fields[kDate] = QStringLiteral("2024-3-1");
    sheet.items = QStringLiteral("'; drop table [档案];--\r\n\r\n当归'10g\r\n");
    sheet.caseRecord = QStringLiteral("it's$");
    sheet.lines[0].name = QStringLiteral("O'当归");
    QVERIFY(savePrescription(*main_, sheet, true, kToday).saved);

    const std::optional<SheetRecord> loaded = loadPrescription(*main_, sheet.key);
    QVERIFY(loaded);
    SheetRecord expected = sheet;
    expected.fields[kDate] = QStringLiteral("2024-03-01");
    for (PricedLine& l : expected.lines)
        l.category.clear();
    QCOMPARE(loaded->key, expected.key);
    QCOMPARE(loaded->fields, expected.fields);
    QCOMPARE(loaded->items, expected.items);
    QCOMPARE(loaded->caseRecord, expected.caseRecord);
    QCOMPARE(loaded->settled, expected.settled);
    QVERIFY(loaded->lines == expected.lines);

    // The stored item text holds "\r\n" as two characters, and the date its stored form.
    QCOMPARE(
        value(*main_, QStringLiteral("select [T1] from [档案] where [序号] = ?"), sheet.key).toUtf8().toHex(),
        sheet.items.toUtf8().toHex());
    QCOMPARE(value(*main_, QStringLiteral("select [5] from [档案] where [序号] = ?"), sheet.key),
             QStringLiteral("2024-03-01"));
}

void TestPrescriptions::newSheetNeverOverwritesAnother() {
    SheetRecord first = herbalSheet();
    SheetRecord second = herbalSheet();
    second.fields[kName] = QStringLiteral("李四");
    SheetRecord third = herbalSheet();
    third.fields[kName] = QStringLiteral("王五");
    QCOMPARE(savePrescription(*main_, first, true, kToday).key, QStringLiteral("20240301100000A"));
    QCOMPARE(savePrescription(*main_, second, true, kToday).key, QStringLiteral("20240301100001A"));
    QCOMPARE(savePrescription(*main_, third, true, kToday).key, QStringLiteral("20240301100002A"));
    QCOMPARE(value(*main_, QStringLiteral("select [0] from [档案] where [序号] = ?"), first.key),
             QStringLiteral("张三"));

    // A key at the end of a day moves on into the next day.
    SheetRecord late = herbalSheet(QStringLiteral("20240301235959A"));
    QVERIFY(savePrescription(*main_, late, true, kToday).saved);
    QCOMPARE(savePrescription(*main_, late, true, kToday).key, QStringLiteral("20240302000000A"));

    // A sheet saved before rewrites its own row.
    second.key = QStringLiteral("20240301100001A");
    second.fields[kDiagnosis] = QStringLiteral("咳嗽");
    QCOMPARE(savePrescription(*main_, second, false, kToday).key, second.key);
    QCOMPARE(count(*main_, QStringLiteral("select count(*) from [档案]")), 5);
    QCOMPARE(value(*main_, QStringLiteral("select [6] from [档案] where [序号] = ?"), second.key),
             QStringLiteral("咳嗽"));
}

void TestPrescriptions::unreadableDateWritesNothing() {
    for (const char* date : {"2024-02-30", "", "yesterday", "2024-03-01'"}) {
        SheetRecord sheet = herbalSheet();
        sheet.fields[kDate] = QString::fromUtf8(date);
        const SaveOutcome outcome = savePrescription(*main_, sheet, true, kToday);
        QVERIFY(!outcome.saved);
        QVERIFY(outcome.dateUnreadable);
    }
    QCOMPARE(count(*main_, QStringLiteral("select count(*) from [档案]")), 0);
    QCOMPARE(count(*main_, QStringLiteral("select count(*) from [患者信息]")), 0);
}

void TestPrescriptions::patientRowFollowsTheSheet() {
    SheetRecord sheet = herbalSheet();
    sheet.fields[kAge].clear();
    QVERIFY(savePrescription(*main_, sheet, true, kToday).saved);
    QCOMPARE(count(*main_, QStringLiteral("select count(*) from [档案]")), 1);
    QCOMPARE(count(*main_, QStringLiteral("select count(*) from [患者信息]")), 0);

    sheet.fields[kAge] = QStringLiteral("35岁");
    QVERIFY(savePrescription(*main_, sheet, false, kToday).saved);
    SheetRecord later = herbalSheet(QStringLiteral("20240301110000A"));
    later.fields[kAddress] = QStringLiteral("西街8号");
    later.fields[kAge] = QStringLiteral("35y");
    QVERIFY(savePrescription(*main_, later, true, kToday).saved);

    QCOMPARE(count(*main_, QStringLiteral("select count(*) from [患者信息]")), 1);
    Statement row(*main_,
                  QStringLiteral("select [序号],[姓名],[性别],[年龄],[医疗证号],[住址],[诊断],[费别],[电话],"
                                 "[备用1],[备用2] from [患者信息]"));
    QVERIFY(row.next());
    const QStringList stored{row.text(0), row.text(1), row.text(2), row.text(3), row.text(4), row.text(5),
                             row.text(6), row.text(7), row.text(8), row.text(9), row.text(10)};
    QCOMPARE(stored, (QStringList{QStringLiteral("张三zs1989"), QStringLiteral("张三"), QStringLiteral("男"),
                                  QStringLiteral("1989"), QStringLiteral("YB001"), QStringLiteral("西街8号"),
                                  QStringLiteral("感冒"), QStringLiteral("自费"),
                                  QStringLiteral("13800000000"), QString(), QString()}));

    const std::vector<PatientRow> found = suggestPatients(*main_, QStringLiteral("zs19"));
    QCOMPARE(found.size(), std::size_t(1));
    QCOMPARE(found[0].address, QStringLiteral("西街8号"));
    QCOMPARE(found[0].birthYear, QStringLiteral("1989"));
}

void TestPrescriptions::overLongValuesAreRefusedOneByOne() {
    SheetRecord sheet = herbalSheet();
    QVERIFY(savePrescription(*main_, sheet, true, kToday).saved);

    sheet.fields[kDepartment] = QStringLiteral("中西医结合内科门诊部"); // 10 characters fit
    sheet.fields[kDiagnosis] = QString(51, QChar(0x54B3));              // 51 characters do not
    sheet.fields[kPhone] = QStringLiteral("13900000000");
    sheet.fields[kName] = QString(21, QChar(0x5F20)); // too long for 患者信息.姓名 (20), fits 档案 column 0
    const SaveOutcome outcome = savePrescription(*main_, sheet, false, kToday);
    QVERIFY(outcome.saved);
    QCOMPARE(outcome.refusedColumns, (QStringList{QStringLiteral("6"), QStringLiteral("患者信息.姓名"),
                                                  QStringLiteral("患者信息.诊断")}));

    const std::optional<SheetRecord> loaded = loadPrescription(*main_, sheet.key);
    QVERIFY(loaded);
    QCOMPARE(loaded->fields[kDiagnosis], QStringLiteral("感冒")); // the old value stays
    QCOMPARE(loaded->fields[kDepartment], QStringLiteral("中西医结合内科门诊部"));
    QCOMPARE(loaded->fields[kPhone], QStringLiteral("13900000000"));
    QCOMPARE(loaded->fields[kName], sheet.fields[kName]);

    // In a new row the refused column stays empty.
    SheetRecord fresh = herbalSheet(QStringLiteral("20240301120000A"));
    fresh.fields[kDiagnosis] = QString(51, QChar(0x54B3));
    QCOMPARE(savePrescription(*main_, fresh, true, kToday).refusedColumns,
             (QStringList{QStringLiteral("6"), QStringLiteral("患者信息.诊断")}));
    QCOMPARE(loadPrescription(*main_, fresh.key)->fields[kDiagnosis], QString());
}

void TestPrescriptions::failedSaveLeavesNothingBehind() {
    test::refuseWrites(*main_, QStringLiteral("INSERT"), QStringLiteral("患者信息"), QString(),
                       QStringLiteral("patient refused"));
    const SaveOutcome outcome = savePrescription(*main_, herbalSheet(), true, kToday);
    QVERIFY(!outcome.saved);
    QVERIFY(outcome.error.contains(QStringLiteral("patient refused")));
    QCOMPARE(count(*main_, QStringLiteral("select count(*) from [档案]")), 0);
}

void TestPrescriptions::historyNewestFirstWithLiteralFilter() {
    const struct {
        const char* key;
        const char* name;
        const char* date;
    } rows[] = {
        {"20240301080000A", "张三", "2024-03-01"},  {"20240229080000A", "50%张", "2024-02-29"},
        {"20240302080000A", "张_三", "2024-03-02"}, {"20240101080000A", "李四", "2024-01-01"},
        {"20231231080000A", "张三", "2023-12-31"},  {"20240303080000A", "O'张", "2024-03-03"},
    };
    for (const auto& row : rows) {
        SheetRecord sheet = herbalSheet(QString::fromLatin1(row.key));
        sheet.fields[kName] = QString::fromUtf8(row.name);
        sheet.fields[kDate] = QString::fromLatin1(row.date);
        sheet.settled =
            QString::fromLatin1(row.key).startsWith(QStringLiteral("202403")) ? kSettledMarker : QString();
        QVERIFY(savePrescription(*main_, sheet, true, kToday).saved);
    }
    auto keys = [&](const QString& filter, const QString& from, const QString& to) {
        QStringList list;
        for (const HistoryRow& row : queryHistory(*main_, filter, from, to))
            list << row.key.left(8);
        return list;
    };
    QCOMPARE(keys(QString(), QStringLiteral("2024-01-01"), QStringLiteral("2024-03-03")),
             (QStringList{QStringLiteral("20240303"), QStringLiteral("20240302"), QStringLiteral("20240301"),
                          QStringLiteral("20240229"), QStringLiteral("20240101")}));
    QCOMPARE(
        keys(QStringLiteral("张"), QStringLiteral("2024-2-29"), QStringLiteral("2024/3/2")),
        (QStringList{QStringLiteral("20240302"), QStringLiteral("20240301"), QStringLiteral("20240229")}));
    QCOMPARE(keys(QStringLiteral("%"), QStringLiteral("2000-01-01"), QStringLiteral("2099-01-01")),
             QStringList{QStringLiteral("20240229")});
    QCOMPARE(keys(QStringLiteral("_"), QStringLiteral("2000-01-01"), QStringLiteral("2099-01-01")),
             QStringList{QStringLiteral("20240302")});
    QCOMPARE(keys(QStringLiteral("O'"), QStringLiteral("2000-01-01"), QStringLiteral("2099-01-01")),
             QStringList{QStringLiteral("20240303")});
    QVERIFY(keys(QString(), QStringLiteral("2024-02-30"), QStringLiteral("2024-03-03")).isEmpty());
    QVERIFY(keys(QString(), QStringLiteral("2024-01-01"), QStringLiteral("#2024-03-03#")).isEmpty());

    const std::vector<HistoryRow> today =
        queryHistory(*main_, QString(), QStringLiteral("2024-03-01"), QStringLiteral("2024-03-01"));
    QCOMPARE(today.size(), std::size_t(1));
    QCOMPARE(historyEntryText(today[0]), QStringLiteral("张三[男,35岁,2024-03-01]-已结算"));
}

void TestPrescriptions::deleteRemovesRowAndStatistics() {
    const SheetRecord sheet = herbalSheet();
    const SheetRecord other = herbalSheet(QStringLiteral("20240301100500A"));
    QVERIFY(savePrescription(*main_, sheet, true, kToday).saved);
    QVERIFY(savePrescription(*main_, other, true, kToday).saved);
    QVERIFY(replaceStatistics(*stats_, sheet.key, kToday, sheet.lines));
    QVERIFY(replaceStatistics(*stats_, other.key, kToday, other.lines));

    QVERIFY(deletePrescription(*main_, stats_.get(), sheet.key));
    QVERIFY(!prescriptionExists(*main_, sheet.key));
    QVERIFY(prescriptionExists(*main_, other.key));
    QCOMPARE(count(*stats_, QStringLiteral("select count(*) from [统计] where [ID号] = ?"), sheet.key), 0);
    QCOMPARE(count(*stats_, QStringLiteral("select count(*) from [统计] where [ID号] = ?"), other.key), 2);
    // Deleting a key that has no row deletes nothing and is no failure.
    QVERIFY(deletePrescription(*main_, stats_.get(), sheet.key));
    QVERIFY(deletePrescription(*main_, nullptr, other.key));
    QCOMPARE(count(*stats_, QStringLiteral("select count(*) from [统计]")), 2);

    // A row the database refuses to delete keeps its statistics lines.
    QVERIFY(savePrescription(*main_, other, true, kToday).saved);
    test::refuseWrites(*main_, QStringLiteral("DELETE"), QStringLiteral("档案"), QString(),
                       QStringLiteral("kept"));
    QVERIFY(!deletePrescription(*main_, stats_.get(), other.key));
    QVERIFY(prescriptionExists(*main_, other.key));
    QCOMPARE(count(*stats_, QStringLiteral("select count(*) from [统计] where [ID号] = ?"), other.key), 2);
}

void TestPrescriptions::caseRecordIsStoredAlone() {
    SheetRecord sheet = herbalSheet();
    QVERIFY(savePrescription(*main_, sheet, true, kToday).saved);
    // Only 病历 changes, the key compared as the unique index compares it; a key without a row adds none.
    QVERIFY(storeCaseRecord(*main_, sheet.key.toLower(), QStringLiteral("头痛三日$昨起$")));
    QVERIFY(storeCaseRecord(*main_, QStringLiteral("20240301109999A"), QStringLiteral("$")));
    sheet.caseRecord = QStringLiteral("头痛三日$昨起$");
    const std::optional<SheetRecord> stored = loadPrescription(*main_, sheet.key);
    QVERIFY(stored && stored->fields == sheet.fields && stored->items == sheet.items &&
            stored->lines == sheet.lines && stored->caseRecord == sheet.caseRecord);
    QCOMPARE(count(*main_, QStringLiteral("select count(*) from [档案]")), 1);
    test::refuseWrites(*main_, QStringLiteral("UPDATE"), QStringLiteral("档案"));
    QVERIFY(!storeCaseRecord(*main_, sheet.key, QStringLiteral("丢失")));
}

void TestPrescriptions::statisticsAreReplacedAsAWhole() {
    const QString key = QStringLiteral("20240301100000A");
    PricedLines lines = herbalSheet().lines;
    lines[0].category = QStringLiteral("中药");
    lines[3] = PricedLine{QStringLiteral("挂号费"),  QStringLiteral("1"),     QStringLiteral("次"),
                          QStringLiteral("1"),       QStringLiteral("1.000"), QString(),
                          QStringLiteral("收费项目")};
    QVERIFY(replaceStatistics(*stats_, key, kToday, lines));
    QCOMPARE(count(*stats_, QStringLiteral("select count(*) from [统计] where [ID号] = ?"), key), 3);

    Statement first(*stats_,
                    QStringLiteral("select [名称],[数量],[单位],[单价],[金额],[斗位],[分类],[备用1],[日期] "
                                   "from [统计] order by rowid"));
    QVERIFY(first.next());
    QStringList cells;
    for (int c = 0; c < 9; ++c)
        cells << first.text(c);
    QCOMPARE(cells, (QStringList{QStringLiteral("当归"), QStringLiteral("60"), QStringLiteral("g"),
                                 QStringLiteral("0.050"), QStringLiteral("3.000"), QStringLiteral("A1"),
                                 QStringLiteral("中药"), QString(), QStringLiteral("2024-03-01")}));

    PricedLines fewer;
    fewer[0] = lines[0];
    fewer[0].quantity = QStringLiteral("123456"); // 数量 holds five characters
    fewer[1].name = QStringLiteral("   ");        // a blank name is no line
    fewer[2] = lines[1];
    QStringList refused;
    QVERIFY(replaceStatistics(*stats_, key, kToday, fewer, &refused));
    QCOMPARE(refused, QStringList{QStringLiteral("数量：123456")});
    QCOMPARE(count(*stats_, QStringLiteral("select count(*) from [统计] where [ID号] = ?"), key), 2);
    QCOMPARE(count(*stats_, QStringLiteral("select count(*) from [统计] where [数量] is null and [名称] = ?"),
                   QStringLiteral("当归")),
             1);

    QVERIFY(replaceStatistics(*stats_, key, kToday, PricedLines()));
    QCOMPARE(count(*stats_, QStringLiteral("select count(*) from [统计]")), 0);
    QVERIFY(!replaceStatistics(*stats_, key, QDate(), lines));
}

void TestPrescriptions::statisticsRollBackOnFailure() {
    const QString key = QStringLiteral("20240301100000A");
    QVERIFY(replaceStatistics(*stats_, key, kToday, herbalSheet().lines));
    test::refuseWrites(*stats_, QStringLiteral("INSERT"), QStringLiteral("统计"),
                       QStringLiteral("NEW.[名称] = '坏'"));
    PricedLines lines;
    lines[0] = herbalSheet().lines[0];
    lines[1].name = QStringLiteral("坏");
    QVERIFY(!replaceStatistics(*stats_, key, kToday, lines));
    QCOMPARE(count(*stats_, QStringLiteral("select count(*) from [统计] where [ID号] = ?"), key), 2);
    QVERIFY(deleteStatistics(*stats_, key));
    QCOMPARE(count(*stats_, QStringLiteral("select count(*) from [统计]")), 0);
}

void TestPrescriptions::catalogSearch() {
    const QString herb = QStringLiteral("中药");
    addCatalogItem(*main_, QStringLiteral("甘草"), QStringLiteral("甘草gc"), herb);
    addCatalogItem(*main_, QStringLiteral("当归"), QStringLiteral("当归dg"), herb);
    addCatalogItem(*main_, QStringLiteral("白芍"), QStringLiteral("白芍bs"), herb);
    addCatalogItem(*main_, QStringLiteral("桂枝"), QStringLiteral("桂枝gz"), herb);
    addCatalogItem(*main_, QStringLiteral("Gz100%"), QStringLiteral("Gz100%"), herb);
    addCatalogItem(*main_, QStringLiteral("O'Neil"), QStringLiteral("O'Neil_x"), herb);
    addCatalogItem(*main_, QStringLiteral("阿莫西林胶囊{0.25g*24}"), QStringLiteral("阿莫西林胶囊amxljn"),
                   QStringLiteral("西成药"));

    QCOMPARE(names(searchCatalog(*main_, herb, QString())),
             (QStringList{QStringLiteral("Gz100%"), QStringLiteral("O'Neil"), QStringLiteral("白芍"),
                          QStringLiteral("当归"), QStringLiteral("甘草"), QStringLiteral("桂枝")}));
    QCOMPARE(names(searchCatalog(*main_, herb, QStringLiteral("G"))),
             (QStringList{QStringLiteral("Gz100%"), QStringLiteral("当归"), QStringLiteral("甘草"),
                          QStringLiteral("桂枝")}));
    QCOMPARE(names(searchCatalog(*main_, herb, QStringLiteral("GZ"))),
             (QStringList{QStringLiteral("Gz100%"), QStringLiteral("桂枝")}));
    QCOMPARE(names(searchCatalog(*main_, herb, QStringLiteral("0%"))), QStringList{QStringLiteral("Gz100%")});
    QCOMPARE(names(searchCatalog(*main_, herb, QStringLiteral("l_"))), QStringList{QStringLiteral("O'Neil")});
    QCOMPARE(names(searchCatalog(*main_, herb, QStringLiteral("'"))), QStringList{QStringLiteral("O'Neil")});
    QVERIFY(searchCatalog(*main_, herb, QStringLiteral("%%")).empty());
    QCOMPARE(names(searchCatalog(*main_, QStringLiteral("西成药"), QStringLiteral("胶囊"))),
             QStringList{QStringLiteral("阿莫西林胶囊{0.25g*24}")});
    const std::vector<CatalogItem> one = searchCatalog(*main_, herb, QStringLiteral("当归"));
    QCOMPARE(one.size(), std::size_t(1));
    QCOMPARE(one[0].usualQty, QStringLiteral("10"));
    QCOMPARE(one[0].price, QStringLiteral("0.05"));
    QCOMPARE(one[0].category, herb);

    QCOMPARE(catalogOfCategories(*main_, {herb, QStringLiteral("西成药")}).size(), std::size_t(7));
    QVERIFY(catalogOfCategories(*main_, {}).empty());
}

void TestPrescriptions::catalogCopyFollowsOtherConnections() {
    const QString herb = QStringLiteral("中药");
    addCatalogItem(*main_, QStringLiteral("桂枝"), QStringLiteral("桂枝gz"), herb);
    QCOMPARE(names(searchCatalog(*main_, herb, QStringLiteral("g"))), QStringList{QStringLiteral("桂枝")});

    {
        auto other = test::openDatabase(dir_->filePath(QStringLiteral("数据库.dat")));
        QVERIFY(other);
        addCatalogItem(*other, QStringLiteral("甘草"), QStringLiteral("甘草gc"), herb);
    }
    // A server announces another station's change a moment after its commit.
    QTRY_COMPARE(names(searchCatalog(*main_, herb, QStringLiteral("g"))),
                 (QStringList{QStringLiteral("甘草"), QStringLiteral("桂枝")}));

    {
        auto other = test::openDatabase(dir_->filePath(QStringLiteral("数据库.dat")));
        other->exec(QStringLiteral("update [商品] set [查询] = '桂枝xx' where [名称] = '桂枝'"));
    }
    QTRY_COMPARE(names(searchCatalog(*main_, herb, QStringLiteral("g"))),
                 QStringList{QStringLiteral("甘草")});

    // A change by this connection, and a reopened connection, read the file afresh as well.
    main_->exec(QStringLiteral("delete from [商品]"));
    QVERIFY(searchCatalog(*main_, herb, QStringLiteral("g")).empty());
    addCatalogItem(*main_, QStringLiteral("当归"), QStringLiteral("当归dg"), herb);
    main_.reset();
    main_ = test::openDatabase(dir_->filePath(QStringLiteral("数据库.dat")));
    QCOMPARE(names(searchCatalog(*main_, herb, QStringLiteral("g"))), QStringList{QStringLiteral("当归")});
}

void TestPrescriptions::catalogCopyAgreesWithQuery() {
    // Names and codes in mixed scripts and letter case, a few without code or name, in random order.
    const QStringList parts{QStringLiteral("当"), QStringLiteral("归"), QStringLiteral("A"),
                            QStringLiteral("a"),  QStringLiteral("b"),  QStringLiteral("B"),
                            QStringLiteral("%"),  QStringLiteral("_"),  QStringLiteral("1"),
                            QStringLiteral("€"),  QStringLiteral("😀"),  QStringLiteral("ｇ"),
                            QStringLiteral("G"),  QStringLiteral(" ")};
    std::mt19937 random(3);
    std::uniform_int_distribution<int> part(0, int(parts.size()) - 1);
    std::uniform_int_distribution<int> length(1, 5);
    Statement insert(*main_,
                     QStringLiteral("insert or ignore into [商品]([名称],[查询],[分类]) values(?,?,'中药')"));
    for (int i = 0; i < 400; ++i) {
        QString name;
        QString code;
        for (int n = length(random); n > 0; --n)
            name += parts.at(part(random));
        for (int n = length(random); n > 0; --n)
            code += parts.at(part(random));
        insert.reset();
        insert.bind(1, i % 97 == 0 ? QString() : name).bind(2, i % 89 == 0 ? QString() : code);
        insert.run();
    }
    const QStringList needles{
        QString(),           QStringLiteral("a"),    QStringLiteral("A"),  QStringLiteral("ab"),
        QStringLiteral("%"), QStringLiteral("_b"),   QStringLiteral("ｇ"), QStringLiteral("😀"),
        QStringLiteral(" "), QStringLiteral("当归"), QStringLiteral("zz")};
    qsizetype matched = 0;
    for (const QString& needle : needles) {
        QStringList expected;
        Statement select(*main_,
                         QStringLiteral("select [名称] from [商品] where [查询] like ? escape '\\' and "
                                        "[分类] = '中药' order by [名称] collate GBK, rowid"));
        select.bind(1, containsPattern(needle));
        while (select.next())
            expected << select.text(0);
        QCOMPARE(names(searchCatalog(*main_, QStringLiteral("中药"), needle)), expected);
        matched += expected.size();
    }
    QVERIFY(matched > 500);
}

void TestPrescriptions::catalogLookupIgnoresTrailingSpaces() {
    addCatalogItem(*main_, QStringLiteral("黄芪"), QStringLiteral("黄芪hq"), QStringLiteral("中药"),
                   QStringLiteral("0.03"));
    addCatalogItem(*main_, QStringLiteral("石膏{先煎} "), QStringLiteral("石膏sg"), QStringLiteral("中药"));
    addCatalogItem(*main_, QStringLiteral("Vitamin C"), QStringLiteral("vc"), QStringLiteral("西成药"));
    CatalogItem item;
    QVERIFY(findCatalogItem(*main_, QStringLiteral("中药"), QStringLiteral("黄芪 "), &item));
    QCOMPARE(item.price, QStringLiteral("0.03"));
    QVERIFY(findCatalogItem(*main_, QStringLiteral("中药"), QStringLiteral("石膏{先煎}"), &item));
    QCOMPARE(item.name, QStringLiteral("石膏{先煎} "));
    QVERIFY(findCatalogItem(*main_, QStringLiteral("西成药"), QStringLiteral("vitamin c"), &item));
    QVERIFY(!findCatalogItem(*main_, QStringLiteral("西成药"), QStringLiteral("黄芪"), &item));
    QVERIFY(!findCatalogItem(*main_, QStringLiteral("中药"), QStringLiteral("黄"), &item));
    QVERIFY(!findCatalogItem(*main_, QStringLiteral("中药"), QStringLiteral("黄芪x"), &item));
    QVERIFY(!findCatalogItem(*main_, QStringLiteral("中药"), QStringLiteral("黄芪'"), &item));
}

void TestPrescriptions::templatesInTheirOrder() {
    const struct {
        const char* name;
        const char* code;
        const char* order;
        const char* kind;
    } rows[] = {
        {"桂枝汤", "桂枝汤gzt275", "002", "中药方剂"},
        {"麻黄汤", "麻黄汤mht425", "001", "中药方剂"},
        {"感冒组", "感冒组gmz", "003", "西成药组套"},
    };
    for (const auto& row : rows) {
        Statement insert(*main_,
                         QStringLiteral("insert into [个人模板]([序号],[名称],[内容],[查询],[分类],[排序]) "
                                        "values('20171111225100',?,'内容',?,?,?)"));
        insert.bind(1, QString::fromUtf8(row.name))
            .bind(2, QString::fromUtf8(row.code))
            .bind(3, QString::fromUtf8(row.kind))
            .bind(4, QString::fromUtf8(row.order));
        insert.run();
    }
    auto templateNames = [&](const QString& kind, const QString& text) {
        QStringList list;
        for (const TemplateItem& item : searchTemplates(*main_, kind, text))
            list << item.name;
        return list;
    };
    QCOMPARE(templateNames(QStringLiteral("中药方剂"), QString()),
             (QStringList{QStringLiteral("麻黄汤"), QStringLiteral("桂枝汤")}));
    QCOMPARE(templateNames(QStringLiteral("中药方剂"), QStringLiteral("275")),
             QStringList{QStringLiteral("桂枝汤")});
    QCOMPARE(templateNames(QStringLiteral("西成药组套"), QStringLiteral("GM")),
             QStringList{QStringLiteral("感冒组")});
    QVERIFY(templateNames(QStringLiteral("中药方剂"), QStringLiteral("%")).isEmpty());
}

void TestPrescriptions::suggestionsMatchLiterally() {
    for (const char* name : {"2型糖尿病", "高血压病", "50%烧伤"}) {
        Statement insert(*main_, QStringLiteral("insert into [诊断]([名称],[序号]) values(?,?)"));
        insert.bind(1, QString::fromUtf8(name)).bind(2, QString::fromUtf8(name) + QStringLiteral("x"));
        insert.run();
    }
    Statement address(*main_, QStringLiteral("insert into [地址]([名称],[序号]) values('东街','东街dj')"));
    address.run();
    QCOMPARE(suggestDiagnoses(*main_, QStringLiteral("2型")), QStringList{QStringLiteral("2型糖尿病")});
    QCOMPARE(suggestDiagnoses(*main_, QStringLiteral("%")), QStringList{QStringLiteral("50%烧伤")});
    QCOMPARE(suggestDiagnoses(*main_, QString()).size(), 3);
    QCOMPARE(suggestAddresses(*main_, QStringLiteral("DJ")), QStringList{QStringLiteral("东街")});
    QCOMPARE(suggestAddresses(*main_, QStringLiteral("'")), QStringList());

    // Patients come in the order they were first stored.
    for (const char* name : {"赵六", "张三", "李四"}) {
        SheetRecord sheet = herbalSheet(); // the same key: each new sheet moves on to the next second
        sheet.fields[kName] = QString::fromUtf8(name);
        QVERIFY(savePrescription(*main_, sheet, true, kToday).saved);
    }
    QStringList patientNames;
    for (const PatientRow& row : suggestPatients(*main_, QStringLiteral("1989")))
        patientNames << row.name;
    QCOMPARE(patientNames,
             (QStringList{QStringLiteral("赵六"), QStringLiteral("张三"), QStringLiteral("李四")}));
}

QTEST_GUILESS_MAIN(TestPrescriptions)
#include "test_prescriptions.moc"
