#include "appfixtures.h"
#include "data/dbcheck.h"
#include "session/backup.h"
#include "session/state.h"

#include <QtTest>

using namespace lichuan;

namespace {

void addDiagnosis(Database& db, const QString& name) {
    Statement insert(db, QStringLiteral("insert into [诊断]([名称], [拼音], [序号]) values(?, ?, ?)"));
    insert.bind(1, name).bind(2, QStringLiteral("x")).bind(3, name + QStringLiteral("x"));
    insert.run();
}

QStringList diagnoses(const Database& db) {
    QStringList names;
    Statement select(db, QStringLiteral("select [名称] from [诊断] order by rowid"));
    while (select.next())
        names << select.text(0);
    return names;
}

QStringList diagnosesInCopy(const QString& path) {
    QString error;
    auto copy = Database::open(path, databaseKey(), Database::OpenMode::ExistingOnly, &error);
    if (!copy) {
        qWarning() << error;
        return {QStringLiteral("<unreadable>")};
    }
    return diagnoses(*copy);
}

} // namespace

class TestBackup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void dayFolders();
    void copyIsKeyedCompleteAndReplacedOnTheSameDay();
    void onlyAnAcceptedDatabaseReplacesTheCopy_data();
    void onlyAnAcceptedDatabaseReplacesTheCopy();
    void aCopyIsCheckedAgainstItsSource();
    void failuresAreReturnedNotThrown_data();
    void failuresAreReturnedNotThrown();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    ProcessState state_;
    QString root_;
};

void TestBackup::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    root_ = dir_->filePath(QStringLiteral("中医处方数据库备份"));
    state_.BackupSourcePath = dir_->filePath(QStringLiteral("中医处方数据库/数据库.dat"));
    state_.MainConnStr = state_.BackupSourcePath;
    test::makeMainFile(state_.BackupSourcePath, QStringLiteral("888"));
    state_.mainDb = Database::open(state_.BackupSourcePath, databaseKey(), Database::OpenMode::ExistingOnly);
    QVERIFY(state_.mainDb);
    addDiagnosis(*state_.mainDb, QStringLiteral("高血压病"));
}

void TestBackup::dayFolders() {
    QCOMPARE(dailyBackupFolder(QStringLiteral("/home/u/中医处方数据库备份"), QDate(2024, 3, 1)),
             QStringLiteral("/home/u/中医处方数据库备份/1日"));
    QCOMPARE(dailyBackupFolder(QStringLiteral("/home/u/中医处方数据库备份/"), QDate(2024, 1, 31)),
             QStringLiteral("/home/u/中医处方数据库备份/31日"));
}

void TestBackup::copyIsKeyedCompleteAndReplacedOnTheSameDay() {
    QString error;
    QVERIFY2(writeDailyBackup(state_, root_, QDate(2024, 5, 1), &error), qPrintable(error));
    QVERIFY2(writeDailyBackup(state_, root_, QDate(2024, 5, 31), &error), qPrintable(error));
    const QString first = root_ + QStringLiteral("/1日/数据库.dat");
    const QString last = root_ + QStringLiteral("/31日/数据库.dat");
    for (const QString& copy : {first, last}) {
        QVERIFY(!test::fileHeader(copy).startsWith("SQLite format 3"));
        QCOMPARE(diagnosesInCopy(copy), QStringList{QStringLiteral("高血压病")});
    }

    // Later the same day number (even of another month) the copy is replaced by the database as it is now.
    addDiagnosis(*state_.mainDb, QStringLiteral("慢性胃炎"));
    QVERIFY(writeDailyBackup(state_, root_, QDate(2024, 6, 1), &error));
    QCOMPARE(diagnosesInCopy(first), (QStringList{QStringLiteral("高血压病"), QStringLiteral("慢性胃炎")}));
    QCOMPARE(diagnosesInCopy(last), QStringList{QStringLiteral("高血压病")});
    QCOMPARE(QDir(root_ + QStringLiteral("/1日")).entryList(QDir::Files),
             QStringList{QStringLiteral("数据库.dat")});
    // The copy holds the settings row as well: the whole database, not a part of it.
    auto copy = Database::open(first, databaseKey(), Database::OpenMode::ExistingOnly);
    QVERIFY(copy);
    QCOMPARE(test::countRows(*copy, schema::kSettings), 1);
}

void TestBackup::onlyAnAcceptedDatabaseReplacesTheCopy_data() {
    QTest::addColumn<QString>("damage");
    QTest::newRow("main file emptied, no connection kept") << QStringLiteral("emptied");
    QTest::newRow("settings row gone") << QStringLiteral("no-settings");
    QTest::newRow("a table gone") << QStringLiteral("no-table");
}

void TestBackup::onlyAnAcceptedDatabaseReplacesTheCopy() {
    QFETCH(QString, damage);
    QString error;
    QVERIFY2(writeDailyBackup(state_, root_, QDate(2024, 5, 8), &error), qPrintable(error));
    const QString copy = root_ + QStringLiteral("/8日/数据库.dat");
    const QByteArray good = test::readBytes(copy);
    QVERIFY(!good.isEmpty());

    if (damage == QLatin1String("emptied")) {
        // Start-up kept no connection to an empty main file; the file itself must not be copied either.
        state_.mainDb.reset();
        QVERIFY(test::writeBytes(state_.BackupSourcePath, QByteArray()));
    } else if (damage == QLatin1String("no-settings")) {
        state_.mainDb->exec(QStringLiteral("delete from [设置]"));
    } else {
        state_.mainDb->exec(QStringLiteral("alter table [诊断] rename to [诊断旧]"));
    }
    error.clear();
    QVERIFY(!writeDailyBackup(state_, root_, QDate(2024, 6, 8), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(test::readBytes(copy), good);
    QCOMPARE(QDir(root_ + QStringLiteral("/8日")).entryList(QDir::Files),
             QStringList{QStringLiteral("数据库.dat")});
}

void TestBackup::aCopyIsCheckedAgainstItsSource() {
    QString error;
    QVERIFY2(writeDailyBackup(state_, root_, QDate(2024, 5, 8), &error), qPrintable(error));
    const QString copy = root_ + QStringLiteral("/8日/数据库.dat");
    std::map<QString, qint64> rows = rowCounts(*state_.mainDb);
    QCOMPARE(rows.at(QStringLiteral("诊断")), 1);
    QCOMPARE(backupCopyProblem(copy, rows), QString());

    // A row more in the source than in the copy, a copy that is no database, a copy without the key.
    rows[QStringLiteral("诊断")] = 2;
    QVERIFY(!backupCopyProblem(copy, rows).isEmpty());
    rows[QStringLiteral("诊断")] = 1;
    const QString garbage = dir_->filePath(QStringLiteral("garbage.dat"));
    QVERIFY(test::writeBytes(garbage, QByteArray(8192, '\x5a')));
    QVERIFY(!backupCopyProblem(garbage, rows).isEmpty());
    const QString otherKey = dir_->filePath(QStringLiteral("other-key.dat"));
    {
        auto db = Database::open(otherKey, "another", Database::OpenMode::CreateNew);
        QVERIFY(db);
        schema::createMain(*db);
    }
    QVERIFY(!backupCopyProblem(otherKey, rows).isEmpty());
}

void TestBackup::failuresAreReturnedNotThrown_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("backup root is a file") << QStringLiteral("root-file");
    QTest::newRow("day folder is a file") << QStringLiteral("day-file");
    QTest::newRow("copy name taken by a folder") << QStringLiteral("target-folder");
    QTest::newRow("folder that cannot be written") << QStringLiteral("read-only");
    QTest::newRow("no source at all") << QStringLiteral("no-source");
    QTest::newRow("no valid date") << QStringLiteral("no-date");
}

void TestBackup::failuresAreReturnedNotThrown() {
    QFETCH(QString, kind);
    QDate today(2024, 5, 8);
    QString root = root_;
    if (kind == QLatin1String("root-file"))
        QVERIFY(test::writeBytes(root_, "x"));
    if (kind == QLatin1String("day-file"))
        QVERIFY(test::writeBytes(root_ + QStringLiteral("/8日"), "x"));
    if (kind == QLatin1String("target-folder"))
        QDir().mkpath(root_ + QStringLiteral("/8日/数据库.dat/旧"));
    if (kind == QLatin1String("read-only")) {
        QDir().mkpath(root_);
        QFile::setPermissions(root_, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        // The super-user writes anywhere; a kernel folder stands in for a read-only drive then.
        if (QFileInfo(root_).isWritable())
            root = QStringLiteral("/proc/self/中医处方数据库备份");
    }
    if (kind == QLatin1String("no-source")) {
        state_.mainDb.reset();
        state_.BackupSourcePath = dir_->filePath(QStringLiteral("nowhere/数据库.dat"));
    }
    if (kind == QLatin1String("no-date"))
        today = QDate();

    QString error;
    QVERIFY(!writeDailyBackup(state_, root, today, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFileInfo::exists(root_ + QStringLiteral("/8日/数据库.dat.part")));
    if (kind == QLatin1String("read-only"))
        QFile::setPermissions(root_,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QTEST_GUILESS_MAIN(TestBackup)
#include "test_backup.moc"
