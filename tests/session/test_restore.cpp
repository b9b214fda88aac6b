// Restoring a daily copy over the main database: the replaced file is kept and opens, a bad copy or a failing
// step leaves the current file as it was, and a restore killed at any moment leaves a main file that opens.

#include "appfixtures.h"
#include "data/audit.h"
#include "data/clock.h"
#include "data/dbcheck.h"
#include "data/prescriptions.h"
#include "data/settingsrow.h"
#include "session/backup.h"
#include "session/restore.h"
#include "session/state.h"

#include <QProcess>
#include <QtTest>
#include <limits>
#include <random>

using namespace lichuan;

namespace {

const QDateTime kNow(QDate(2024, 5, 8), QTime(18, 30, 15));

// Adds prescriptions dated from 2024-05-01 on, one a day, with a long item text each.
void addPrescriptions(Database& db, int count, int first = 0) {
    Transaction transaction(db);
    Statement insert(db, QStringLiteral("insert into [档案]([序号],[0],[5],[T1],[发药]) values(?,?,?,?,'')"));
    for (int i = first; i < first + count; ++i) {
        insert.reset();
        insert.bind(1, QStringLiteral("2024050%1%2A").arg(i % 9 + 1).arg(i, 7, 10, QLatin1Char('0')))
            .bind(2, QStringLiteral("患者%1").arg(i))
            .bind(3, QDate(2024, 5, 1).addDays(i).toString(QStringLiteral("yyyy-MM-dd")))
            .bind(4, QStringLiteral("当归 10g     黄芪 15g     ").repeated(20));
        insert.run();
    }
    transaction.commit();
}

qint64 prescriptionsIn(const QString& path) {
    auto db = Database::open(path, databaseKey(), Database::OpenMode::ReadOnly);
    return db ? test::countRows(*db, schema::kArchive) : -1;
}

struct Clinic {
    QTemporaryDir dir;
    QString main = dir.filePath(QStringLiteral("中医处方数据库/数据库.dat"));
    QString root = dir.filePath(QStringLiteral("中医处方数据库备份"));
    ProcessState state;
    FixedClock clock{kNow};

    // A main file with `older` prescriptions when the day's copy was made and `newer` added since.
    Clinic(int older, int newer) {
        test::makeMainFile(main, QStringLiteral("old-pass"));
        state.MainConnStr = main;
        state.StationSuffix = QStringLiteral("ab12c");
        state.mainDb = Database::open(main, databaseKey(), Database::OpenMode::ExistingOnly);
        addPrescriptions(*state.mainDb, older);
        QString error;
        if (!writeDailyBackup(state, root, QDate(2024, 5, 7), &error))
            qFatal("no backup: %s", qPrintable(error));
        addPrescriptions(*state.mainDb, newer, older);
        Statement password(*state.mainDb, QStringLiteral("update [设置] set [密码] = 'new-pass'"));
        password.run();
    }
    QString dayCopy() const { return root + QStringLiteral("/7日/数据库.dat"); }
};

} // namespace

class TestRestore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aSmallerCopyReplacesALargerFileThatIsKept();
    void aBadCopyOrAFailedStepLeavesTheCurrentFile_data();
    void aBadCopyOrAFailedStepLeavesTheCurrentFile();
    void aRestoreKilledAtAnyMomentLeavesAFileThatOpens();
};

void TestRestore::aSmallerCopyReplacesALargerFileThatIsKept() {
    Clinic clinic(3, 2);
    const RestoreOutcome outcome = restoreCopy(clinic.state, clinic.dayCopy(), clinic.root, clinic.clock);
    QVERIFY2(outcome.failed == RestoreStep::Done, qPrintable(outcome.message()));
    QCOMPARE(outcome.keptAs, clinic.root + QStringLiteral("/恢复前/数据库-20240508-183015.dat"));

    // The connection works on the copy now, with its password; the restore is noted in it.
    QCOMPARE(test::countRows(*clinic.state.mainDb, schema::kArchive), 3);
    QCOMPARE(readSettingsRow(*clinic.state.mainDb)->value(QStringLiteral("密码")),
             QStringLiteral("old-pass"));
    const std::vector<audit::Line> lines =
        audit::lines(*clinic.state.mainDb, {kNow.date(), kNow.date(), audit::kRestored, QString()});
    QCOMPARE(lines.size(), std::size_t(1));
    QCOMPARE(lines.front().station, QStringLiteral("ab12c"));
    QVERIFY2(lines.front().text.contains(QStringLiteral("处方 5 张，最新处方日期 2024-05-05")),
             qPrintable(lines.front().text));
    // The kept file opens and holds the newer rows and password; it is listed first and can be restored.
    auto kept = Database::open(outcome.keptAs, databaseKey(), Database::OpenMode::ReadOnly);
    QVERIFY(kept);
    QCOMPARE(summarize(*kept).newestDate, QStringLiteral("2024-05-05"));
    QCOMPARE(readSettingsRow(*kept)->value(QStringLiteral("密码")), QStringLiteral("new-pass"));
    QCOMPARE(QDir(QFileInfo(clinic.main).path()).entryList(QDir::Files), QStringList{"数据库.dat"});
    std::vector<CopyInfo> copies = listBackupCopies(clinic.root);
    QCOMPARE(copies.size(), std::size_t(2));
    QCOMPARE(copies.front().place, kBeforeRestoreFolderName);
    clinic.clock.advanceSeconds(60);
    QVERIFY(restoreCopy(clinic.state, outcome.keptAs, clinic.root, clinic.clock).failed == RestoreStep::Done);
    QCOMPARE(test::countRows(*clinic.state.mainDb, schema::kArchive), 5);

    // A copy of an earlier release is looked at without being written, and upgraded once restored.
    const QString day = clinic.root + QStringLiteral("/3日/数据库.dat");
    QDir().mkpath(QFileInfo(day).path());
    QVERIFY(QFile::copy(QStringLiteral(LICHUAN_TEST_DATA "/old-main.dat"), day));
    QFile::setPermissions(day, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QByteArray bytes = test::readBytes(day);
    CopyInfo older = listCopiesIn(QFileInfo(day).path()).front();
    inspect(older);
    QCOMPARE(older.problem, QString());
    QCOMPARE(older.summary.newestDate, QStringLiteral("2024-03-01"));
    QVERIFY(restoreCopy(clinic.state, day, clinic.root, clinic.clock).failed == RestoreStep::Done);
    QVERIFY(clinic.state.mainDb->hasTable(schema::kAuditLog));
    QCOMPARE(test::countRows(*clinic.state.mainDb, schema::kArchive), 1);
    QCOMPARE(test::readBytes(day), bytes);
}

void TestRestore::aBadCopyOrAFailedStepLeavesTheCurrentFile_data() {
    QTest::addColumn<QString>("failure");
    QTest::addColumn<int>("step");
    const int check = int(RestoreStep::CheckCopy);
    QTest::newRow("not a database") << "garbage" << check;
    QTest::newRow("cut short") << "truncated" << check;
    QTest::newRow("another key") << "key" << check;
    QTest::newRow("settings row gone") << "no-settings" << check;
    QTest::newRow("a table gone") << "no-table" << check;
    QTest::newRow("the main file itself") << "same" << check;
    QTest::newRow("no database in use") << "none" << check;
    QTest::newRow("the current file cannot be kept") << "root" << int(RestoreStep::KeepCurrent);
    QTest::newRow("the copy's new name is taken") << "restoring" << int(RestoreStep::WriteCopy);
    QTest::newRow("a write to the main file is under way") << "journal" << int(RestoreStep::Replace);
}

void TestRestore::aBadCopyOrAFailedStepLeavesTheCurrentFile() {
    QFETCH(QString, failure);
    QFETCH(int, step);
    Clinic clinic(3, 2);
    QString copy = clinic.dayCopy();
    QString root = clinic.root;
    if (failure == QLatin1String("garbage"))
        QVERIFY(test::writeBytes(copy, QByteArray(64 * 1024, '\x5a')));
    if (failure == QLatin1String("truncated"))
        QVERIFY(test::writeBytes(copy, test::readBytes(copy).left(6 * 1024)));
    if (failure == QLatin1String("key")) {
        QFile::remove(copy);
        schema::createMain(*Database::open(copy, "another", Database::OpenMode::CreateNew));
    }
    if (failure == QLatin1String("no-settings") || failure == QLatin1String("no-table"))
        Database::open(copy, databaseKey(), Database::OpenMode::ExistingOnly)
            ->exec(failure == QLatin1String("no-settings")
                       ? QStringLiteral("delete from [设置]")
                       : QStringLiteral("alter table [诊断] rename to [旧诊断]"));
    if (failure == QLatin1String("same"))
        copy = clinic.main;
    if (failure == QLatin1String("none"))
        clinic.state.mainDb.reset();
    if (failure == QLatin1String("root"))
        root =
            QStringLiteral("/proc/self/中医处方数据库备份"); // no one writes there, not even the super-user
    if (failure == QLatin1String("restoring"))
        QDir().mkpath(clinic.main + QStringLiteral(".restoring/占用"));
    if (failure == QLatin1String("journal"))
        QVERIFY(test::writeBytes(clinic.main + QStringLiteral("-journal"), QByteArray()));
    const QByteArray current = test::readBytes(clinic.main);

    const RestoreOutcome outcome = restoreCopy(clinic.state, copy, root, clinic.clock);
    QCOMPARE(int(outcome.failed), step);
    QVERIFY2(outcome.message().contains(stepName(outcome.failed) + QStringLiteral("失败")) &&
                 outcome.message().contains(QStringLiteral("当前的数据库文件没有改动")),
             qPrintable(outcome.message()));
    QCOMPARE(test::readBytes(clinic.main), current);
    if (failure != QLatin1String("none"))
        QCOMPARE(test::countRows(*clinic.state.mainDb, schema::kArchive), 5);
    QVERIFY(!QFileInfo(clinic.main + QStringLiteral(".restoring")).isFile());
}

void TestRestore::aRestoreKilledAtAnyMomentLeavesAFileThatOpens() {
    // Files of a few megabytes, so that every step takes a while.
    constexpr int kOlder = 2000;
    constexpr int kNewer = 1000;
    auto start = [](const Clinic& clinic) {
        auto child = std::make_unique<QProcess>();
        child->setProcessChannelMode(QProcess::ForwardedChannels);
        child->start(QString::fromUtf8(RESTORE_CHILD), {clinic.main, clinic.dayCopy(), clinic.root});
        return child;
    };
    QElapsedTimer timer;
    qint64 whole = std::numeric_limits<qint64>::max();
    for (int run = 0; run < 2; ++run) {
        Clinic clinic(kOlder, kNewer);
        clinic.state.mainDb.reset(); // the child process works on the file
        auto child = start(clinic);
        QVERIFY(child->waitForStarted());
        timer.start();
        QVERIFY(child->waitForFinished(120000));
        whole = std::min(whole, timer.elapsed());
        QCOMPARE(child->exitCode(), 0);
        QCOMPARE(prescriptionsIn(clinic.main), kOlder);
    }

    constexpr int kKills = 8;
    std::mt19937 jitter(26);
    int interrupted = 0;
    for (int i = 0; i < kKills; ++i) {
        Clinic clinic(kOlder, kNewer);
        clinic.state.mainDb.reset(); // the child process works on the file
        const int delay = int(whole * (i + 0.5) / kKills) + int(jitter() % 7) - 3;
        auto child = start(clinic);
        QVERIFY(child->waitForStarted());
        if (!child->waitForFinished(std::max(delay, 0))) {
            child->kill();
            child->waitForFinished();
            ++interrupted;
        }
        // The main file opens as the next start opens it, whole: the old one or the copy.
        const QString at = QStringLiteral("killed after %1 of %2 ms").arg(delay).arg(whole);
        QString error;
        auto db = Database::open(clinic.main, databaseKey(), Database::OpenMode::ExistingOnly, &error);
        QVERIFY2(db, qPrintable(at + QLatin1Char(' ') + error));
        QVERIFY2(integrityOk(*db) && mainDatabaseProblem(*db).isEmpty(), qPrintable(at));
        const qint64 rows = test::countRows(*db, schema::kArchive);
        QVERIFY2(rows == kOlder || rows == kOlder + kNewer, qPrintable(at + QString::number(rows)));
    }
    qInfo("%d of %d restores (%lld ms each) were cut short", interrupted, kKills, whole);
    QVERIFY2(interrupted >= kKills / 2, qPrintable(QString::number(interrupted)));
}

QTEST_GUILESS_MAIN(TestRestore)
#include "test_restore.moc"
