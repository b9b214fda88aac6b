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
    record.fields = {QStringLiteral("张三"),
                     QStringLiteral("男"),
                     QStringLiteral("35岁"),
                     QStringLiteral("中医科"),
                     QStringLiteral("东街3号"),
                     QStringLiteral("2024-03-01"),
                     QStringLiteral("感冒"),
                     QStringLiteral("王医师"),
                     QStringLiteral("李药师"),
                     QString(),
                     QString(),
                     QStringLiteral("13800000000"),
                     QStringLiteral("20240301100000"),
                     QString(),
                     QStringLiteral("自费")};
    record.items = QStringLiteral("当归 10g     黄芪 15g\r\n\r\n水煎服");
    record.caseRecord = QStringLiteral("头痛$$");
    return record;
}

void settle(SheetRecord& record) {
    record.settled = kSettledMarker;
    record.fields[kAmount] = QStringLiteral("5.70");
    record.lines[0] = {QStringLiteral("当归"),
                       QStringLiteral("60"),
                       QStringLiteral("g"),
                       QStringLiteral("0.050"),
                       QStringLiteral("3.000"),
                       QStringLiteral("A1"),
                       QString()};
}

std::vector<audit::Line> allLines(const Database& db) {
    return audit::lines(db, {QDate(2000, 1, 1), QDate(2100, 1, 1), QString(), QString()});
}

QStringList actionsOf(const std::vector<audit::Line>& lines) {
    QStringList list;
    for (const audit::Line& line : lines)
        list << line.action;
    return list;
}

} // namespace

class TestAudit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void eachActionWritesItsLine_data();
    void eachActionWritesItsLine();
    void savesWithoutChangeWriteNone_data();
    void savesWithoutChangeWriteNone();
    void aRefusedChangeWritesNone_data();
    void aRefusedChangeWritesNone();
    void aLineThatCannotBeWrittenFailsItsChange();
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
    QTest::addColumn<QString>("expectedAction");
    QTest::addColumn<QString>("expectedKey");
    QTest::addColumn<QString>("textHas");
    QTest::addColumn<QString>("content");
    const QString key = kKey;
    const QString oldItems = sheet().items;
    QTest::newRow("header field changed")
        << "diagnosis" << audit::kChanged << key << "诊断：感冒→咳嗽；药品内容未改" << oldItems;
    QTest::newRow("item text changed") << "items" << audit::kChanged << key << "药品内容已改" << oldItems;
    QTest::newRow("settled") << "settle" << audit::kSettled << key << "合计 5.70" << QString();
    QTest::newRow("settlement undone") << "undo" << audit::kUnsettled << key << "合计 5.70" << QString();
    QTest::newRow("deleted") << "delete" << audit::kDeleted << key << "日期 2024-03-01" << QString();
    QTest::newRow("password changed")
        << "password" << audit::kPasswordChanged << QString() << "登录密码已修改" << QString();
    QTest::newRow("price changed") << "price" << audit::kPriceChanged << QString() << "黄芪：0.030→0.045"
                                   << QString();
    QTest::newRow("printed") << "print" << audit::kPrinted << key << "处方（诊室打印机）" << QString();
    QTest::newRow("exported") << "export" << audit::kExported << QString() << "门诊日志：/tmp/日志.xlsx"
                              << QString();
}

void TestAudit::eachActionWritesItsLine() {
    QFETCH(QString, action);
    QFETCH(QString, expectedAction);
    QFETCH(QString, expectedKey);
    QFETCH(QString, textHas);
    QFETCH(QString, content);
    SheetRecord record = sheet();
    if (action == QLatin1String("undo"))
        settle(record);
    QVERIFY(savePrescription(*main_, record, true, kToday).saved);
    CatalogRow herb{QStringLiteral("1"),    QStringLiteral("黄芪"),  QStringLiteral("10"),
                    QStringLiteral("g"),    QStringLiteral("0.030"), QString(),
                    QStringLiteral("B2"),   QStringLiteral("hq"),    QString(),
                    QStringLiteral("中药"), QStringLiteral("黄芪hq")};
    QVERIFY(saveCatalogRow(*main_, herb, herb.category).stored);
    const std::size_t before = allLines(*main_).size();
    QCOMPARE(before, std::size_t(action == QLatin1String("undo") ? 1 : 0)); // the first save's settlement

    if (action == QLatin1String("diagnosis")) {
        record.fields[kDiagnosis] = QStringLiteral("咳嗽");
    } else if (action == QLatin1String("items")) {
        record.items = QStringLiteral("当归 12g");
    } else if (action == QLatin1String("settle")) {
        settle(record);
    } else if (action == QLatin1String("undo")) {
        record.settled.clear();
        record.fields[kAmount].clear();
        record.lines = PricedLines();
    }
    if (action == QLatin1String("diagnosis") || action == QLatin1String("items") ||
        action == QLatin1String("settle") || action == QLatin1String("undo"))
        QVERIFY(savePrescription(*main_, record, false, kToday).saved);
    if (action == QLatin1String("delete"))
        QVERIFY(deletePrescription(*main_, nullptr, kKey));
    if (action == QLatin1String("password"))
        QVERIFY(writeSettingsRow(*main_, {{QStringLiteral("密码"), QStringLiteral("secret-1")}}));
    if (action == QLatin1String("price")) {
        herb.price = QStringLiteral("0.045");
        QVERIFY(saveCatalogRow(*main_, herb, herb.category).stored);
    }
    if (action == QLatin1String("print"))
        QVERIFY(audit::notePrint(*main_, audit::kPrescription, kKey, QStringLiteral("张三"),
                                 QStringLiteral("诊室打印机")));
    if (action == QLatin1String("export"))
        QVERIFY(audit::noteExport(*main_, QStringLiteral("门诊日志"), QStringLiteral("/tmp/日志.xlsx")));

    const std::vector<audit::Line> lines = allLines(*main_);
    QCOMPARE(lines.size(), before + 1);
    const audit::Line& line = lines.front();
    QCOMPARE(line.action, expectedAction);
    QCOMPARE(line.key, expectedKey);
    QCOMPARE(line.station, QStringLiteral("ab12c"));
    QCOMPARE(line.time, QStringLiteral("2024-03-01 09:30:05"));
    QVERIFY2(line.text.contains(textHas), qPrintable(line.text));
    QVERIFY(!line.text.contains(QStringLiteral("secret-1")));
    if (!expectedKey.isEmpty())
        QCOMPARE(line.name, QStringLiteral("张三"));
    if (action != QLatin1String("delete"))
        QCOMPARE(audit::content(*main_, line.id), content);
}

void TestAudit::savesWithoutChangeWriteNone_data() {
    QTest::addColumn<bool>("settled");
    QTest::newRow("a new prescription, saved twice alike") << false;
    QTest::newRow("a settled one, settled again alike") << true;
}

void TestAudit::savesWithoutChangeWriteNone() {
    QFETCH(bool, settled);
    SheetRecord record = sheet();
    if (settled)
        settle(record);
    QVERIFY(savePrescription(*main_, record, true, kToday).saved);
    QVERIFY(savePrescription(*main_, record, false, kToday).saved);
    // A date typed another way is the same date.
    record.fields[kDate] = QStringLiteral("2024-3-1");
    QVERIFY(savePrescription(*main_, record, false, kToday).saved);
    QCOMPARE(actionsOf(allLines(*main_)), settled ? QStringList{audit::kSettled} : QStringList());
}

void TestAudit::aRefusedChangeWritesNone_data() {
    QTest::addColumn<QString>("action");
    QTest::newRow("save") << "save";
    QTest::newRow("delete") << "delete";
    QTest::newRow("password") << "password";
    QTest::newRow("price") << "price";
}

void TestAudit::aRefusedChangeWritesNone() {
    QFETCH(QString, action);
    SheetRecord record = sheet();
    QVERIFY(savePrescription(*main_, record, true, kToday).saved);
    CatalogRow herb;
    herb.key = QStringLiteral("1");
    herb.name = QStringLiteral("黄芪");
    herb.price = QStringLiteral("0.030");
    herb.category = QStringLiteral("中药");
    QVERIFY(saveCatalogRow(*main_, herb, herb.category).stored);

    if (action == QLatin1String("save")) {
        test::refuseWrites(*main_, QStringLiteral("UPDATE"), schema::kArchive);
        record.fields[kDiagnosis] = QStringLiteral("咳嗽");
        QVERIFY(!savePrescription(*main_, record, false, kToday).saved);
        QCOMPARE(loadPrescription(*main_, kKey)->fields[kDiagnosis], QStringLiteral("感冒"));
    } else if (action == QLatin1String("delete")) {
        test::refuseWrites(*main_, QStringLiteral("DELETE"), schema::kArchive);
        QVERIFY(!deletePrescription(*main_, nullptr, kKey));
        QVERIFY(prescriptionExists(*main_, kKey));
    } else if (action == QLatin1String("password")) {
        test::refuseWrites(*main_, QStringLiteral("UPDATE"), schema::kSettings);
        QVERIFY(!writeSettingsRow(*main_, {{QStringLiteral("密码"), QStringLiteral("new")}}));
    } else {
        test::refuseWrites(*main_, QStringLiteral("UPDATE"), schema::kCatalog);
        herb.price = QStringLiteral("0.045");
        QVERIFY(!saveCatalogRow(*main_, herb, herb.category).stored);
    }
    QCOMPARE(allLines(*main_).size(), std::size_t(0));
}

void TestAudit::aLineThatCannotBeWrittenFailsItsChange() {
    SheetRecord record = sheet();
    QVERIFY(savePrescription(*main_, record, true, kToday).saved);
    test::refuseWrites(*main_, QStringLiteral("INSERT"), schema::kAuditLog);
    record.fields[kDiagnosis] = QStringLiteral("咳嗽");
    QVERIFY(!savePrescription(*main_, record, false, kToday).saved);
    QVERIFY(!deletePrescription(*main_, nullptr, kKey));
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
    QCOMPARE(line.action, audit::kDeleted);
    const std::optional<SheetRecord> back = audit::recordFromRowText(audit::content(*main_, line.id));
    QVERIFY(back);
    QCOMPARE(back->key, stored.key);
    QCOMPARE(back->fields, stored.fields);
    QCOMPARE(back->items, stored.items);
    QCOMPARE(back->settled, stored.settled);
    QCOMPARE(back->caseRecord, stored.caseRecord);
    QCOMPARE(pricingText(back->lines), pricingText(stored.lines));
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
    if (test::onServer()) {
        // A server database that stations of an earlier version prepared: the next start adds the table.
        schema::createStatistics(*main_);
        main_->execNative(QStringLiteral("DROP TABLE \"操作记录\""));
        QVERIFY(!main_->hasTable(schema::kAuditLog));
        QCOMPARE(prepareServerDatabase(*main_, QDateTime(kToday, QTime(8, 0))), QString());
        QVERIFY(main_->hasTable(schema::kAuditLog));
        QCOMPARE(prepareServerDatabase(*main_, QDateTime(kToday, QTime(8, 0))), QString());
        audit::attach(*main_, QStringLiteral("ab12c"), &clock_);
        QVERIFY(audit::noteExport(*main_, QStringLiteral("门诊日志"), QStringLiteral("a.xlsx")));
        QCOMPARE(allLines(*main_).size(), std::size_t(1));
        return;
    }
    // A file of an earlier release: opened to work with, it gets the table in the same step as the rest.
    const QString path = dir_->filePath(QStringLiteral("earlier.dat"));
    QVERIFY(QFile::copy(QStringLiteral(LICHUAN_TEST_DATA "/old-main.dat"), path));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    {
        auto readOnly = Database::open(path, databaseKey(), Database::OpenMode::ReadOnly);
        QVERIFY(readOnly);
        QVERIFY(!readOnly->hasTable(schema::kAuditLog));
        // A file without the table is no worse: its changes simply go unrecorded.
    }
    auto db = Database::open(path, databaseKey(), Database::OpenMode::ExistingOnly);
    QVERIFY(db);
    QVERIFY(db->hasTable(schema::kAuditLog));
    SheetRecord changed = *loadPrescription(*db, QStringLiteral("20240301080000ab12c"));
    changed.fields[kDiagnosis] = QStringLiteral("慢性胃炎");
    QVERIFY(savePrescription(*db, changed, false, kToday).saved);
    QCOMPARE(actionsOf(allLines(*db)), QStringList{audit::kChanged});
}

QTEST_GUILESS_MAIN(TestAudit)
#include "test_audit.moc"
