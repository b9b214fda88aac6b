// The log of who changed, deleted, settled, printed and exported what: each action writes its one line in
// the transaction of its change, a change that fails writes none, and the window's filters find them.

#include "data/audit.h"
#include "data/catalogrows.h"
#include "data/clock.h"
#include "data/prescriptions.h"
#include "data/schema.h"
#include "data/serverdatabase.h"
#include "data/settingsrow.h"
#include "testsupport.h"

#include <QtTest>

using namespace lichuan;

namespace {

const QDate kToday(2024, 3, 1);
const QString kKey = QStringLiteral("20240301100000A");

SheetRecord sheet() {
    SheetRecord record;
    record.key = kKey;
    const char* fields[kHeaderFieldCount] = {
        "张三",   "男", "35岁", "中医科",      "东街3号",        "2024-03-01", "感冒", "王医师",
        "李药师", "",   "",     "13800000000", "20240301100000", "",           "自费"};
    for (int i = 0; i < kHeaderFieldCount; ++i)
        record.fields[std::size_t(i)] = QString::fromUtf8(fields[i]);
    record.items = QStringLiteral("当归 10g     黄芪 15g\r\n\r\n水煎服");
    record.caseRecord = QStringLiteral("头痛$$");
    return record;
}

void settle(SheetRecord& record) {
    record.settled = kSettledMarker;
    record.fields[kAmount] = QStringLiteral("5.70");
    record.lines[0] = {"当归", "60", "g", "0.050", "3.000", "A1", ""};
}

std::vector<audit::Line> allLines(const Database& db) {
    return audit::lines(db, {QDate(2000, 1, 1), QDate(2100, 1, 1), QString(), QString()});
}

// Does `action` to the prescription of sheet() (saved, and settled for "undo") or to the herb 黄芪 ("catalog"
// stores it at 0.030); true when the change was stored.
bool perform(Database& db, const QString& action) {
    SheetRecord record = sheet();
    if (action == QLatin1String("undo"))
        settle(record);
    const QDate today(2024, 3, 1);
    if (action == QLatin1String("diagnosis") || action == QLatin1String("same"))
        record.fields[kDiagnosis] =
            action == QLatin1String("same") ? QStringLiteral("感冒") : QStringLiteral("咳嗽");
    if (action == QLatin1String("same"))
        record.fields[kDate] = QStringLiteral("2024-3-1"); // the same date typed another way
    if (action == QLatin1String("items"))
        record.items = QStringLiteral("当归 12g");
    if (action == QLatin1String("settle"))
        settle(record);
    if (action == QLatin1String("undo"))
        record = sheet();
    CatalogRow herb;
    herb.key = QStringLiteral("1");
    herb.name = QStringLiteral("黄芪");
    herb.price = action == QLatin1String("price") ? QStringLiteral("0.045") : QStringLiteral("0.030");
    herb.category = QStringLiteral("中药");
    if (action == QLatin1String("delete"))
        return deletePrescription(db, nullptr, kKey);
    if (action == QLatin1String("password"))
        return writeSettingsRow(db, {{QStringLiteral("密码"), QStringLiteral("secret-1")}});
    if (action == QLatin1String("price") || action == QLatin1String("catalog"))
        return saveCatalogRow(db, herb, herb.category).stored;
    if (action == QLatin1String("print"))
        return audit::notePrint(db, audit::kPrescription, kKey, QStringLiteral("张三"),
                                QStringLiteral("诊室打印机"));
    if (action == QLatin1String("export"))
        return audit::noteExport(db, QStringLiteral("门诊日志"), QStringLiteral("/tmp/日志.xlsx"));
    return savePrescription(db, record, false, today).saved;
}

} // namespace

class TestAudit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void eachActionWritesItsLine_data();
    void eachActionWritesItsLine();
    void aRefusedChangeWritesNone_data();
    void aRefusedChangeWritesNone();
    void aDeletedPrescriptionIsReadBackFromItsLine();
    void theFiltersFindTheirLines_data();
    void theFiltersFindTheirLines();
    void anOlderDatabaseGetsTheLogOnce();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<Database> main_;
    FixedClock clock_{QDateTime(kToday, QTime(9, 30, 5))};
};

void TestAudit::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    main_ = test::createDatabase(dir_->filePath(QStringLiteral("数据库.dat")));
    QVERIFY(main_);
    schema::createMain(*main_);
    Statement settings(*main_, QStringLiteral("insert into [设置]([密码]) values('888')"));
    settings.run();
    audit::attach(*main_, QStringLiteral("ab12c"), &clock_);
}

void TestAudit::cleanup() {
    main_.reset();
    dir_.reset();
}

void TestAudit::eachActionWritesItsLine_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("expected"); // the line's action; empty: no line
    QTest::addColumn<QString>("textHas");
    QTest::newRow("header field changed")
        << "diagnosis" << audit::kChanged << "诊断：感冒→咳嗽；药品内容未改";
    QTest::newRow("item text changed") << "items" << audit::kChanged << "药品内容已改";
    QTest::newRow("saved again alike") << "same" << QString() << QString();
    QTest::newRow("settled") << "settle" << audit::kSettled << "合计 5.70";
    QTest::newRow("settlement undone") << "undo" << audit::kUnsettled << "合计 5.70";
    QTest::newRow("deleted") << "delete" << audit::kDeleted << "日期 2024-03-01";
    QTest::newRow("password changed") << "password" << audit::kPasswordChanged << "登录密码已修改";
    QTest::newRow("price changed") << "price" << audit::kPriceChanged << "黄芪：0.030→0.045";
    QTest::newRow("printed") << "print" << audit::kPrinted << "处方（诊室打印机）";
    QTest::newRow("exported") << "export" << audit::kExported << "门诊日志：/tmp/日志.xlsx";
}

void TestAudit::eachActionWritesItsLine() {
    QFETCH(QString, action);
    QFETCH(QString, expected);
    QFETCH(QString, textHas);
    // The first save of a new sheet and a new catalog row are no change; a first save settled is one.
    SheetRecord record = sheet();
    if (action == QLatin1String("undo"))
        settle(record);
    QVERIFY(savePrescription(*main_, record, true, kToday).saved);
    QVERIFY(perform(*main_, QStringLiteral("catalog")));
    const std::size_t before = allLines(*main_).size();
    QCOMPARE(before, std::size_t(action == QLatin1String("undo") ? 1 : 0));

    QVERIFY(perform(*main_, action));
    const std::vector<audit::Line> lines = allLines(*main_);
    QCOMPARE(lines.size(), before + (expected.isEmpty() ? 0 : 1));
    if (expected.isEmpty())
        return;
    const audit::Line& line = lines.front();
    QCOMPARE(line.action, expected);
    QCOMPARE(line.station, QStringLiteral("ab12c"));
    QCOMPARE(line.time, QStringLiteral("2024-03-01 09:30:05"));
    QVERIFY2(line.text.contains(textHas), qPrintable(line.text));
    QVERIFY(!line.text.contains(QStringLiteral("secret-1")));
    const bool ofThePrescription = action != QLatin1String("password") && action != QLatin1String("price") &&
                                   action != QLatin1String("export");
    QCOMPARE(line.key, ofThePrescription ? kKey : QString());
    QCOMPARE(line.name, ofThePrescription ? QStringLiteral("张三") : QString());
    // A change keeps the old item text in full.
    if (expected == audit::kChanged)
        QCOMPARE(audit::content(*main_, line.id), sheet().items);
}

void TestAudit::aRefusedChangeWritesNone_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QString>("table");
    QTest::newRow("save") << "diagnosis"
                          << "UPDATE" << schema::kArchive;
    QTest::newRow("delete") << "delete"
                            << "DELETE" << schema::kArchive;
    QTest::newRow("password") << "password"
                              << "UPDATE" << schema::kSettings;
    QTest::newRow("price") << "price"
                           << "UPDATE" << schema::kCatalog;
    // The line is written with the change: when it cannot be, the change is not stored either.
    QTest::newRow("save, its line refused") << "diagnosis"
                                            << "INSERT" << schema::kAuditLog;
    QTest::newRow("delete, its line refused") << "delete"
                                              << "INSERT" << schema::kAuditLog;
}

void TestAudit::aRefusedChangeWritesNone() {
    QFETCH(QString, action);
    QFETCH(QString, event);
    QFETCH(QString, table);
    QVERIFY(savePrescription(*main_, sheet(), true, kToday).saved);
    QVERIFY(perform(*main_, QStringLiteral("catalog")));
    test::refuseWrites(*main_, event, table);
    QVERIFY(!perform(*main_, action));
    QCOMPARE(allLines(*main_).size(), std::size_t(0));
    const std::optional<SheetRecord> stored = loadPrescription(*main_, kKey);
    QVERIFY(stored);
    QCOMPARE(stored->fields[kDiagnosis], QStringLiteral("感冒"));
}

void TestAudit::aDeletedPrescriptionIsReadBackFromItsLine() {
    SheetRecord record = sheet();
    settle(record);
    record.items = QStringLiteral("O'Brien 当归 10g\r\n\"水煎\" $ @");
    QVERIFY(savePrescription(*main_, record, true, kToday).saved);
    const SheetRecord stored = *loadPrescription(*main_, kKey);
    QVERIFY(deletePrescription(*main_, nullptr, kKey));
    QVERIFY(!prescriptionExists(*main_, kKey));

    const audit::Line line = allLines(*main_).front();
    const std::optional<SheetRecord> back = audit::recordFromRowText(audit::content(*main_, line.id));
    QVERIFY(back);
    QCOMPARE(QStringList({back->key, back->items, back->settled, back->caseRecord, pricingText(back->lines)}),
             QStringList(
                 {stored.key, stored.items, stored.settled, stored.caseRecord, pricingText(stored.lines)}));
    QCOMPARE(back->fields, stored.fields);
    QVERIFY(!audit::recordFromRowText(QStringLiteral("当归 10g")));
}

void TestAudit::theFiltersFindTheirLines_data() {
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("names");
    const QDate day(2024, 3, 1);
    QTest::newRow("today, newest first")
        << day << day << QString() << QString() << QStringList{"O'Neil", "张三", "李%四"};
    QTest::newRow("an apostrophe") << day << day << QString() << "O'" << QStringList{"O'Neil"};
    QTest::newRow("a percent sign is literal") << day << day << QString() << "%" << QStringList{"李%四"};
    QTest::newRow("an action") << day << day << audit::kSettled << QString() << QStringList{"张三"};
    QTest::newRow("the day before as well")
        << day.addDays(-1) << day << QString() << "四" << QStringList{"李%四", "赵四"};
    QTest::newRow("dates the wrong way round")
        << day << day.addDays(-1) << QString() << QString() << QStringList();
    QTest::newRow("no date") << QDate() << day << QString() << QString() << QStringList();
}

void TestAudit::theFiltersFindTheirLines() {
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QString, action);
    QFETCH(QString, name);
    QFETCH(QStringList, names);
    clock_.set(QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59)));
    audit::notePrint(*main_, audit::kPrescription, QStringLiteral("k0"), QStringLiteral("赵四"));
    clock_.set(QDateTime(QDate(2024, 3, 1), QTime(0, 0, 0)));
    audit::notePrint(*main_, audit::kCaseRecord, QStringLiteral("k1"), QStringLiteral("李%四"));
    clock_.set(QDateTime(QDate(2024, 3, 1), QTime(8, 0, 0)));
    audit::write(*main_, audit::kSettled, QStringLiteral("k2"), QStringLiteral("张三"),
                 QStringLiteral("合计 1.00"));
    // Two lines of one second: the one written last comes first.
    audit::notePrint(*main_, audit::kLogBook, QStringLiteral("k3"), QStringLiteral("O'Neil"));
    clock_.set(QDateTime(QDate(2024, 3, 2), QTime(0, 0, 0)));
    audit::notePrint(*main_, audit::kPrescription, QStringLiteral("k4"), QStringLiteral("明天"));

    QStringList found;
    for (const audit::Line& line : audit::lines(*main_, {from, to, action, name}))
        found << line.name;
    QCOMPARE(found, names);
}

void TestAudit::anOlderDatabaseGetsTheLogOnce() {
    std::unique_ptr<Database> older;
    if (test::onServer()) {
        // A server database that stations of an earlier version prepared: the next start adds the table.
        schema::createStatistics(*main_);
        main_->execNative(QStringLiteral("DROP TABLE \"操作记录\""));
        main_->setUserVersion(2); // the version of the release before
        QCOMPARE(prepareServerDatabase(*main_, QDateTime(kToday, QTime(8, 0))), QString());
        older = std::move(main_);
    } else {
        // A file of an earlier release, opened to work with, gets it in the same step as the rest.
        const QString path = dir_->filePath(QStringLiteral("earlier.dat"));
        QVERIFY(QFile::copy(QStringLiteral(LICHUAN_TEST_DATA "/old-main.dat"), path));
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        older = Database::open(path, databaseKey(), Database::OpenMode::ExistingOnly);
        QVERIFY(older);
    }
    QVERIFY(older->hasTable(schema::kAuditLog));
    QVERIFY(savePrescription(*older, sheet(), true, kToday).saved);
    SheetRecord changed = *loadPrescription(*older, kKey);
    changed.fields[kDiagnosis] = QStringLiteral("慢性胃炎");
    QVERIFY(savePrescription(*older, changed, false, kToday).saved);
    const std::vector<audit::Line> lines = allLines(*older);
    QCOMPARE(lines.size(), std::size_t(1));
    QCOMPARE(lines.front().action, audit::kChanged);
}

QTEST_GUILESS_MAIN(TestAudit)
#include "test_audit.moc"
