// Moving a clinic's files onto its server and the daily backup of a server: the file written by an earlier
// release loaded with its row numbers and read back through the data functions, text the server cannot take
// refused with its row named, a server database already in use refused, the backup file of the server road
// checked and read, and the command-line tool run as a clinic runs it. Runs against the test cluster.

#include "data/catalog.h"
#include "data/dbcheck.h"
#include "data/engine.h"
#include "data/prescriptions.h"
#include "data/schema.h"
#include "data/serverdatabase.h"
#include "data/transfer.h"
#include "session/backup.h"
#include "session/state.h"
#include "testsupport.h"

#include <QProcess>
#include <QtTest>

using namespace lichuan;

namespace {

const QString kOldKey = QStringLiteral("20240301080000ab12c"); // the settled prescription of the old file
const QString kHerbs = QStringLiteral("中药");

// A server database of its own for each case: a schema nobody else uses.
QString freshSchema() {
    static int count = 0;
    const QString name = QStringLiteral("mig_%1_%2").arg(QCoreApplication::applicationPid()).arg(++count);
    auto admin = Database::connect(test::testServer());
    if (!admin)
        qFatal("no test server");
    admin->execNative(QStringLiteral("DROP SCHEMA IF EXISTS \"%1\" CASCADE; CREATE SCHEMA \"%1\"").arg(name));
    return name;
}

qint64 number(const Database& db, const QString& sql) {
    Statement select(db, sql);
    return select.next() ? select.integer(0) : -1;
}

// Rows of a table as "rowid:value" in row order.
QStringList rowsOf(const Database& db, const QString& table, const QString& column) {
    QStringList rows;
    Statement select(
        db, QStringLiteral("select rowid, %1 from %2 order by rowid").arg(quoted(column), quoted(table)));
    while (select.next())
        rows << QString::number(select.integer(0)) + QLatin1Char(':') + select.text(1);
    return rows;
}

QStringList names(const std::vector<CatalogItem>& items) {
    QStringList list;
    for (const CatalogItem& item : items)
        list << item.name;
    return list;
}

} // namespace

class TestMigration : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void anEarlierFileMovesOntoTheServerWithItsRowNumbers();
    void textTheServerCannotTakeIsRefusedWithItsRow_data();
    void textTheServerCannotTakeIsRefusedWithItsRow();
    void aServerDatabaseInUseIsRefused();
    void theServersBackupIsAKeyedFileThatPassesTheChecks();
    void theToolMovesAClinicAndRefusesToDoItTwice();

private:
    void migrate();

    std::unique_ptr<QTemporaryDir> dir_;
    QString folder_;
    std::unique_ptr<Database> main_;
    std::unique_ptr<Database> statistics_;
    std::unique_ptr<Database> server_;
    QString schema_;
};

void TestMigration::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    folder_ = dir_->filePath(QStringLiteral("中医处方数据库"));
    QVERIFY(QDir().mkpath(folder_));
    const QString mainPath = folder_ + QStringLiteral("/数据库.dat");
    QVERIFY(QFile::copy(QStringLiteral(LICHUAN_TEST_DATA "/old-main.dat"), mainPath));
    QFile::setPermissions(mainPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    main_ = Database::open(mainPath, databaseKey(), Database::OpenMode::ExistingOnly);
    QVERIFY(main_);
    statistics_ = Database::open(folder_ + QStringLiteral("/用药统计.dat"), databaseKey(),
                                 Database::OpenMode::CreateNew);
    QVERIFY(statistics_);
    schema::createStatistics(*statistics_);
    Statement used(*statistics_,
                   QStringLiteral("insert into [统计]([ID号], [名称], [数量], [日期]) values(?, ?, ?, ?)"));
    used.bind(1, QStringLiteral("0001")).bind(2, QStringLiteral("黄芪")).bind(3, QStringLiteral("30"));
    used.bind(4, QStringLiteral("2024-03-01")).run();
    // Row numbers with a gap, as deletions leave them: the server keeps them.
    for (const char* name : {"胃痛", "咳嗽", "头痛"}) {
        Statement add(*main_, QStringLiteral("insert into [诊断]([名称], [拼音], [序号]) values(?, 'x', ?)"));
        add.bind(1, QString::fromUtf8(name)).bind(2, QString::fromUtf8(name) + QStringLiteral("号")).run();
    }
    main_->exec(QStringLiteral("delete from [诊断] where [名称] = '咳嗽'"));
    schema_ = freshSchema();
    server_ = Database::connect(test::testServer(), schema_);
    QVERIFY(server_);
}

void TestMigration::migrate() {
    try {
        transfer::copyFilesToServer(*main_, *statistics_, *server_);
    } catch (const DbError& e) {
        QFAIL(qPrintable(e.message()));
    }
}

void TestMigration::anEarlierFileMovesOntoTheServerWithItsRowNumbers() {
    transfer::TableCounts counts;
    try {
        counts = transfer::copyFilesToServer(*main_, *statistics_, *server_);
    } catch (const DbError& e) {
        QFAIL(qPrintable(e.message()));
    }
    QCOMPARE(counts.size(), schema::mainTables().size() + schema::statisticsTables().size());
    const auto inFile = rowCounts(*main_, schema::mainTables());
    for (const auto& [table, rows] : counts) {
        QCOMPARE(rows, table == schema::kStatistics ? qint64(1) : inFile.at(table));
        QCOMPARE(number(*server_, QStringLiteral("select count(*) from ") + quoted(table)), rows);
    }
    QVERIFY(counts.front().second > 0);
    QCOMPARE(rowsOf(*server_, schema::kDiagnosis, QStringLiteral("名称")),
             rowsOf(*main_, schema::kDiagnosis, QStringLiteral("名称")));
    QCOMPARE(rowsOf(*server_, schema::kCatalog, QStringLiteral("名称")),
             rowsOf(*main_, schema::kCatalog, QStringLiteral("名称")));

    // The data functions read the same things there.
    const std::optional<SheetRecord> record = loadPrescription(*server_, kOldKey);
    QVERIFY(record);
    QCOMPARE(record->fields[kName], QStringLiteral("张三"));
    QCOMPARE(record->lines[0].amount, QStringLiteral("3.000"));
    QCOMPARE(record->settled, kSettledMarker);
    QCOMPARE(record->lines.size(), loadPrescription(*main_, kOldKey)->lines.size());
    QCOMPARE(
        queryHistory(*server_, QStringLiteral("张"), QStringLiteral("2024-3-1"), QStringLiteral("2024-3-1"))
            .size(),
        std::size_t(1));
    QCOMPARE(number(*server_, QStringLiteral("select count(*) from [档案姓名]")),
             number(*main_, QStringLiteral("select count(distinct [0]) from [档案]")));
    QVERIFY(!searchCatalog(*server_, kHerbs, QStringLiteral("hq")).empty());
    QCOMPARE(names(searchCatalog(*server_, kHerbs, QStringLiteral("hq"))),
             names(searchCatalog(*main_, kHerbs, QStringLiteral("hq"))));

    // New rows are numbered after the ones carried over, and every station sees them.
    SheetRecord next = *record;
    next.key = QStringLiteral("20240302080000ab12c");
    QVERIFY(savePrescription(*server_, next, false, QDate(2024, 3, 2)).saved);
    QVERIFY(number(*server_, QStringLiteral("select max(rowid) from [档案]")) >
            number(*main_, QStringLiteral("select max(rowid) from [档案]")));
    Statement add(*server_,
                  QStringLiteral("insert into [诊断]([名称], [拼音], [序号]) values('眩晕', 'x', 'xy')"));
    add.run();
    QCOMPARE(
        rowsOf(*server_, schema::kDiagnosis, QStringLiteral("名称")).last(),
        QStringLiteral("%1:眩晕").arg(number(*main_, QStringLiteral("select max(rowid) from [诊断]")) + 1));
}

void TestMigration::textTheServerCannotTakeIsRefusedWithItsRow_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("value"); // an SQL expression
    QTest::addColumn<QString>("reason");
    QTest::newRow("NUL in a diagnosis") << schema::kDiagnosis << QStringLiteral("名称")
                                        << QStringLiteral("'胃' || char(0) || '痛'") << QStringLiteral("NUL");
    QTest::newRow("half a character in a prescription")
        << schema::kArchive << QStringLiteral("病历") << QStringLiteral("cast(X'E5BD' as text)")
        << QStringLiteral("UTF-8");
    QTest::newRow("Latin-1 in the statistics")
        << schema::kStatistics << QStringLiteral("名称") << QStringLiteral("cast(X'E96C' as text)")
        << QStringLiteral("UTF-8");
    QTest::newRow("an encoded surrogate")
        << schema::kCatalog << QStringLiteral("用法") << QStringLiteral("cast(X'EDA080' as text)")
        << QStringLiteral("UTF-8");
}

void TestMigration::textTheServerCannotTakeIsRefusedWithItsRow() {
    QFETCH(QString, table);
    QFETCH(QString, column);
    QFETCH(QString, value);
    QFETCH(QString, reason);
    Database& file = table == schema::kStatistics ? *statistics_ : *main_;
    file.exec(QStringLiteral("update %1 set %2 = %3 where rowid = (select max(rowid) from %1)")
                  .arg(quoted(table), quoted(column), value));
    QCOMPARE(file.changes(), 1);
    const qint64 row = number(file, QStringLiteral("select max(rowid) from ") + quoted(table));
    QString message;
    try {
        transfer::copyFilesToServer(*main_, *statistics_, *server_);
    } catch (const DbError& e) {
        message = e.message();
    }
    QVERIFY2(message.contains(QStringLiteral("表“%1”第 %2 行").arg(table).arg(row)), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("列“%1”").arg(column)), qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
    // Nothing was left on the server.
    QCOMPARE(server_->tableNames(), QStringList());
}

void TestMigration::aServerDatabaseInUseIsRefused() {
    QCOMPARE(prepareServerDatabase(*server_, QDateTime(QDate(2024, 3, 1), QTime(9, 0))), QString());
    const auto before = rowCounts(*server_, schema::mainTables());
    QString message;
    try {
        transfer::copyFilesToServer(*main_, *statistics_, *server_);
    } catch (const DbError& e) {
        message = e.message();
    }
    QVERIFY2(message.contains(QStringLiteral("已有本程序的表")), qPrintable(message));
    QCOMPARE(rowCounts(*server_, schema::mainTables()), before);
    QVERIFY(!loadPrescription(*server_, kOldKey));
}

void TestMigration::theServersBackupIsAKeyedFileThatPassesTheChecks() {
    migrate();
    ProcessState state;
    state.mainDb = Database::connect(test::testServer(), schema_);
    QVERIFY(state.mainDb);
    const QString root = dir_->filePath(QStringLiteral("中医处方数据库备份"));
    QString error;
    QVERIFY2(writeDailyBackup(state, root, QDate(2024, 3, 5), &error), qPrintable(error));
    const QString copyPath = root + QStringLiteral("/5日/数据库.dat");
    QVERIFY(!test::fileHeader(copyPath).startsWith("SQLite format 3"));
    QVERIFY(!QFile::exists(copyPath + QStringLiteral(".new")));
    const auto rows = rowCounts(*server_, schema::mainTables());
    QCOMPARE(backupCopyProblem(copyPath, rows), QString());
    auto copy = Database::open(copyPath, databaseKey(), Database::OpenMode::ExistingOnly);
    QVERIFY(copy);
    QCOMPARE(rowCounts(*copy, schema::mainTables()), rows);
    QCOMPARE(rowsOf(*copy, schema::kDiagnosis, QStringLiteral("名称")),
             rowsOf(*main_, schema::kDiagnosis, QStringLiteral("名称")));
    QCOMPARE(loadPrescription(*copy, kOldKey)->fields[kName], QStringLiteral("张三"));
    QCOMPARE(queryHistory(*copy, QStringLiteral("张"), QStringLiteral("2024-3-1"), QStringLiteral("2024-3-1"))
                 .size(),
             std::size_t(1));
    // A copy that lost a row of a program table is no copy of the server.
    copy->exec(QStringLiteral("delete from [诊断] where rowid = (select max(rowid) from [诊断])"));
    copy.reset();
    QVERIFY(!backupCopyProblem(copyPath, rows).isEmpty());
    // The server connection is free for work afterwards (no snapshot left open).
    QVERIFY(!state.mainDb->inTransaction());
}

void TestMigration::theToolMovesAClinicAndRefusesToDoItTwice() {
    main_.reset();
    statistics_.reset();
    const QString address = test::testServer() + QStringLiteral("&options=-csearch_path%3D") + schema_;
    auto run = [&](const QStringList& arguments, QString* out, QString* err) {
        QProcess tool;
        tool.start(QStringLiteral(LICHUAN_MIGRATE), arguments);
        if (!tool.waitForFinished(120000))
            return -1;
        *out = QString::fromUtf8(tool.readAllStandardOutput());
        *err = QString::fromUtf8(tool.readAllStandardError());
        return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    };
    QString out;
    QString err;
    QCOMPARE(run({QStringLiteral("--data-folder"), folder_, address}, &out, &err), 0);
    QVERIFY2(out.contains(QStringLiteral("档案\t1 行")), qPrintable(out));
    QVERIFY2(out.contains(QStringLiteral("统计\t1 行")), qPrintable(out));
    QVERIFY2(err.isEmpty(), qPrintable(err));
    QVERIFY(loadPrescription(*server_, kOldKey));

    QCOMPARE(run({QStringLiteral("--data-folder"), folder_, address}, &out, &err), 1);
    QVERIFY2(err.contains(QStringLiteral("已有本程序的表")), qPrintable(err));
    QCOMPARE(number(*server_, QStringLiteral("select count(*) from [档案]")), 1);

    QCOMPARE(
        run({QStringLiteral("--data-folder"), dir_->filePath(QStringLiteral("无")), address}, &out, &err), 1);
    QVERIFY2(err.contains(QStringLiteral("无法打开数据库文件")), qPrintable(err));
    QCOMPARE(run({folder_}, &out, &err), 2);
}

QTEST_GUILESS_MAIN(TestMigration)
#include "test_migration.moc"
