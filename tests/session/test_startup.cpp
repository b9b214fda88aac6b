#include "appfixtures.h"
#include "data/defaults.h"
#include "data/settingsrow.h"
#include "session/messages.h"
#include "session/platform.h"
#include "session/startup.h"
#include "session/state.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <iconv.h>
#include <sqlite3.h>

using namespace lichuan;
using test::FakeMachine;

namespace {

const QDateTime kNow(QDate(2024, 3, 8), QTime(9, 30, 15));

QByteArray toGbk(const QString& text) {
    iconv_t cd = iconv_open("GBK", "UTF-8");
    QByteArray in = text.toUtf8();
    QByteArray out(in.size() * 2, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = in.size();
    size_t outLeft = out.size();
    iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    out.truncate(out.size() - qsizetype(outLeft));
    return out;
}

QString localFolder(const FakeMachine& machine) {
    return machine.platform.driveC + QStringLiteral("/中医处方数据库");
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void platformOfThisMachine();
    void shareCandidatesAndStationSuffix();
    void makePathCreatesEveryLevel();
    void dataFolderFollowsDriveD_data();
    void dataFolderFollowsDriveD();
    void firstStartWritesKeyedFilesWithDefaultRows();
    void existingMainFileIsNeverTouched();
    void fileNamesMatchWithoutCase();
    void dataFolderThatCannotBeWritten();
    void unopenableMainFileIsReportedAndKept_data();
    void unopenableMainFileIsReportedAndKept();
    void reachableShareTakesTheSharedRoad_data();
    void reachableShareTakesTheSharedRoad();
    void unreachableShareFallsBackOnce_data();
    void unreachableShareFallsBackOnce();
    void unopenableSharedFileFallsBackToLocal();
    void missingSharedStatisticsFileIsReported();
    void leftoversOfAKilledStartAreRemoved();
    void firstStartKilledAtAnyMomentLeavesCompleteFiles();
};

void TestStartup::platformOfThisMachine() {
    const Platform platform = Platform::system();
    QCOMPARE(platform.driveC, QDir::homePath());
    QVERIFY(platform.driveD.isEmpty());
    QVERIFY(platform.shareMountRoots.contains(QStringLiteral("/mnt")));
    QVERIFY(
        platform.shareMountRoots.filter(QRegularExpression(QStringLiteral("^/run/user/\\d+/gvfs$"))).size() ==
        1);
    QVERIFY(!platform.machineId.isEmpty());
    QVERIFY(platform.defaultPrinter.isEmpty());
    QCOMPARE(Platform::system().machineId, platform.machineId);
}

void TestStartup::shareCandidatesAndStationSuffix() {
    Platform platform;
    platform.shareMountRoots = {QStringLiteral("/mnt"), QStringLiteral("/run/user/1000/gvfs")};
    const QStringList candidates = shareFolderCandidates(platform, QStringLiteral("PC1"));
    QCOMPARE(candidates.first(), QStringLiteral("/mnt/PC1/中医处方数据库"));
    QVERIFY(
        candidates.contains(QStringLiteral("/run/user/1000/gvfs/smb-share:server=PC1,share=中医处方数据库")));
    QCOMPARE(shareFolderCandidates(platform, QStringLiteral("/srv/诊所/中医处方数据库/")),
             QStringList{QStringLiteral("/srv/诊所/中医处方数据库")});
    // A relative path is no computer name: it must not reach outside the mount roots.
    QVERIFY(shareFolderCandidates(platform, QStringLiteral("../etc")).isEmpty());
    QVERIFY(shareFolderCandidates(platform, QStringLiteral("..")).isEmpty());
    QVERIFY(shareFolderCandidates(platform, QString()).isEmpty());

    const QRegularExpression shape(QStringLiteral("^[a-z0-9]{4,6}$"));
    QStringList suffixes;
    for (const QString& id :
         {QStringLiteral("0123456789abcdef0123456789abcdef"),
          QStringLiteral("0123456789abcdef0123456789abcdee"), QStringLiteral("诊室二"), QString()}) {
        const QString suffix = stationSuffixFor(id);
        QVERIFY2(shape.match(suffix).hasMatch(), qPrintable(suffix));
        QCOMPARE(stationSuffixFor(id), suffix);
        suffixes << suffix;
    }
    suffixes.removeDuplicates();
    QCOMPARE(suffixes.size(), 4);
}

void TestStartup::makePathCreatesEveryLevel() {
    QTemporaryDir dir;
    const QString deep = dir.filePath(QStringLiteral("一/二/三"));
    MakePath(deep);
    QVERIFY(QFileInfo(deep).isDir());
    MakePath(deep); // an existing level is harmless
    QVERIFY(test::writeBytes(dir.filePath(QStringLiteral("文件")), "x"));
    MakePath(dir.filePath(QStringLiteral("文件/下级"))); // a level that is a file: ignored
    QVERIFY(!QFileInfo(dir.filePath(QStringLiteral("文件/下级"))).exists());
    MakePath(QString());
}

void TestStartup::dataFolderFollowsDriveD_data() {
    QTest::addColumn<QString>("driveD"); // "": no d:, "absent": named but missing, "empty", "file", "hidden"
    QTest::addColumn<bool>("expectOnD");
    QTest::newRow("no d:") << QString() << false;
    QTest::newRow("d: missing") << QStringLiteral("absent") << false;
    QTest::newRow("d: empty") << QStringLiteral("empty") << false;
    QTest::newRow("d: holds a file") << QStringLiteral("file") << true;
    QTest::newRow("d: holds a hidden folder") << QStringLiteral("hidden") << true;
}

void TestStartup::dataFolderFollowsDriveD() {
    QFETCH(QString, driveD);
    QFETCH(bool, expectOnD);
    FakeMachine machine;
    if (driveD.isEmpty())
        machine.platform.driveD.clear();
    if (driveD == QLatin1String("empty"))
        QDir().mkpath(machine.platform.driveD);
    if (driveD == QLatin1String("file"))
        QVERIFY(test::writeBytes(machine.platform.driveD + QStringLiteral("/readme.txt"), "x"));
    if (driveD == QLatin1String("hidden"))
        QDir().mkpath(machine.platform.driveD + QStringLiteral("/.cache"));

    ProcessState state;
    RecordingMessages messages;
    runStartup(state, machine.platform, messages, kNow);

    const QString expected =
        (expectOnD ? machine.platform.driveD : machine.platform.driveC) + QStringLiteral("/中医处方数据库");
    QCOMPARE(state.DataFolder, expected);
    QVERIFY(QFileInfo(expected).isDir());
    QVERIFY(QFileInfo::exists(expected + QStringLiteral("/数据库.dat")));
    if (!expectOnD && !machine.platform.driveD.isEmpty())
        QVERIFY(!QFileInfo::exists(machine.platform.driveD + QStringLiteral("/中医处方数据库")));
    QVERIFY(messages.shown.isEmpty());
}

void TestStartup::firstStartWritesKeyedFilesWithDefaultRows() {
    FakeMachine machine;
    ProcessState state;
    RecordingMessages messages;
    runStartup(state, machine.platform, messages, kNow);

    const QString folder = localFolder(machine);
    QCOMPARE(state.DataFolder, folder);
    QCOMPARE(state.MainConnStr, folder + QStringLiteral("/数据库.dat"));
    QCOMPARE(state.StatsConnStr, folder + QStringLiteral("/用药统计.dat"));
    QCOMPARE(state.BackupSourcePath, state.MainConnStr);
    QCOMPARE(state.StartupPrinter, QStringLiteral("前台打印机"));
    QCOMPARE(state.StationSuffix, stationSuffixFor(machine.platform.machineId));
    QVERIFY(messages.shown.isEmpty());

    for (const QString& file : {state.MainConnStr, state.StatsConnStr}) {
        QVERIFY(QFileInfo(file).size() > 0);
        QVERIFY(!test::fileHeader(file).startsWith("SQLite format 3"));
    }
    QVERIFY(state.mainDb);
    QVERIFY(state.statsDb);
    QCOMPARE(state.mainDb->path(), state.MainConnStr);
    QCOMPARE(state.statsDb->path(), state.StatsConnStr);

    QCOMPARE(state.LoginPassword, defaults::kPassword);
    QCOMPARE(test::countRows(*state.mainDb, schema::kCatalog), 447);
    QCOMPARE(test::countRows(*state.mainDb, schema::kTemplate), 13);
    QCOMPARE(test::countRows(*state.mainDb, schema::kDiagnosis), 7);
    QCOMPARE(test::countRows(*state.mainDb, schema::kSettings), 1);
    QCOMPARE(test::countRows(*state.statsDb, schema::kStatistics), 0);

    // A second start opens the same files and writes nothing.
    state.mainDb.reset();
    state.statsDb.reset();
    const QByteArray mainBytes = test::readBytes(state.MainConnStr);
    const QByteArray statsBytes = test::readBytes(state.StatsConnStr);
    ProcessState again;
    runStartup(again, machine.platform, messages, kNow.addDays(1));
    QVERIFY(again.mainDb && again.statsDb);
    QCOMPARE(again.LoginPassword, defaults::kPassword);
    again.mainDb.reset();
    again.statsDb.reset();
    QCOMPARE(test::readBytes(state.MainConnStr), mainBytes);
    QCOMPARE(test::readBytes(state.StatsConnStr), statsBytes);
}

void TestStartup::existingMainFileIsNeverTouched() {
    FakeMachine machine;
    const QString folder = localFolder(machine);
    test::makeMainFile(folder + QStringLiteral("/数据库.dat"), QStringLiteral("own-pass"));
    const QByteArray before = test::readBytes(folder + QStringLiteral("/数据库.dat"));

    ProcessState state;
    RecordingMessages messages;
    runStartup(state, machine.platform, messages, kNow);
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(state.LoginPassword, QStringLiteral("own-pass"));
    QVERIFY(state.mainDb);
    QCOMPARE(test::countRows(*state.mainDb, schema::kCatalog), 0); // no default rows added to it
    QVERIFY(state.statsDb);
    QVERIFY(!test::fileHeader(folder + QStringLiteral("/用药统计.dat")).startsWith("SQLite format 3"));

    QCOMPARE(test::readBytes(folder + QStringLiteral("/数据库.dat")), before);
    state.mainDb.reset();
    QCOMPARE(test::readBytes(folder + QStringLiteral("/数据库.dat")), before);
}

void TestStartup::fileNamesMatchWithoutCase() {
    FakeMachine machine;
    const QString folder = localFolder(machine);
    test::makeMainFile(folder + QStringLiteral("/数据库.DAT"), QStringLiteral("upper"));
    test::makeStatsFile(folder + QStringLiteral("/用药统计.Dat"));
    const QString shareFolder = machine.path(QStringLiteral("mnt/PC1/中医处方数据库"));
    test::makeMainFile(shareFolder + QStringLiteral("/数据库.DAT"), QStringLiteral("shared-upper"));
    test::makeStatsFile(shareFolder + QStringLiteral("/用药统计.DAT"));
    QVERIFY(test::writeBytes(folder + QStringLiteral("/计算机名.TXT"), "pc1\r\n"));

    ProcessState state;
    RecordingMessages messages;
    runStartup(state, machine.platform, messages, kNow);
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name),
             (QStringList{QStringLiteral("数据库.DAT"), QStringLiteral("用药统计.Dat"),
                          QStringLiteral("计算机名.TXT")}));
    QCOMPARE(state.MainConnStr, shareFolder + QStringLiteral("/数据库.DAT"));
    QCOMPARE(state.StatsConnStr, shareFolder + QStringLiteral("/用药统计.DAT"));
    QCOMPARE(state.LoginPassword, QStringLiteral("shared-upper"));
    QVERIFY(state.statsDb);
}

void TestStartup::dataFolderThatCannotBeWritten() {
    FakeMachine machine;
    // c: is a file here, so nothing can be created under it; start-up says so per file and goes on.
    machine.platform.driveC = machine.path(QStringLiteral("c-file"));
    QVERIFY(test::writeBytes(machine.platform.driveC, "x"));
    ProcessState state;
    RecordingMessages messages;
    runStartup(state, machine.platform, messages, kNow);
    QCOMPARE(messages.shown.size(), 2);
    QVERIFY(messages.shown.at(0).contains(state.MainConnStr));
    QVERIFY(messages.shown.at(1).contains(state.StatsConnStr));
    QVERIFY(!state.mainDb && !state.statsDb);
    QCOMPARE(state.LoginPassword, QString());
    QCOMPARE(state.StationSuffix, stationSuffixFor(machine.platform.machineId));
}

void TestStartup::unopenableMainFileIsReportedAndKept_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("wrong key") << QStringLiteral("key");
    QTest::newRow("not a database") << QStringLiteral("garbage");
    QTest::newRow("plain database without key") << QStringLiteral("plain");
    QTest::newRow("empty file") << QStringLiteral("empty");
    QTest::newRow("keyed but without tables") << QStringLiteral("no-tables");
    QTest::newRow("tables without the settings row") << QStringLiteral("no-settings");
}

void TestStartup::unopenableMainFileIsReportedAndKept() {
    QFETCH(QString, kind);
    FakeMachine machine;
    const QString path = localFolder(machine) + QStringLiteral("/数据库.dat");
    QDir().mkpath(localFolder(machine));
    if (kind == QLatin1String("key")) {
        auto db = Database::open(path, "another-key", Database::OpenMode::CreateNew);
        QVERIFY(db);
        schema::createMain(*db);
    } else if (kind == QLatin1String("plain")) {
        // A database without any key, as a foreign tool would write it.
        sqlite3* plain = nullptr;
        QCOMPARE(sqlite3_open(path.toUtf8().constData(), &plain), SQLITE_OK);
        QCOMPARE(sqlite3_exec(plain, "create table t(a text); insert into t values('x');", nullptr, nullptr,
                              nullptr),
                 SQLITE_OK);
        sqlite3_close(plain);
        QVERIFY(test::fileHeader(path).startsWith("SQLite format 3"));
    } else if (kind == QLatin1String("no-tables")) {
        auto db = test::createDatabase(path);
        QVERIFY(db);
        db->exec(QStringLiteral("PRAGMA user_version = 1")); // written, keyed, and still without a table
    } else if (kind == QLatin1String("no-settings")) {
        auto db = test::createDatabase(path);
        QVERIFY(db);
        schema::createMain(*db);
    } else if (kind == QLatin1String("garbage")) {
        QVERIFY(test::writeBytes(path, QByteArray(4096, '\x5a')));
    } else {
        QVERIFY(test::writeBytes(path, QByteArray()));
    }
    const QByteArray before = test::readBytes(path);

    ProcessState state;
    RecordingMessages messages;
    runStartup(state, machine.platform, messages, kNow);

    QCOMPARE(messages.shown.size(), 1);
    QVERIFY2(messages.shown.first().contains(path), qPrintable(messages.shown.first()));
    QVERIFY(!state.mainDb);
    QVERIFY(state.statsDb); // start-up went on
    QCOMPARE(state.MainConnStr, path);
    QCOMPARE(state.LoginPassword, QString());
    QCOMPARE(test::readBytes(path), before);
}

void TestStartup::reachableShareTakesTheSharedRoad_data() {
    QTest::addColumn<QByteArray>("nameFile");
    QTest::addColumn<QString>("share"); // relative to the temporary directory; "<abs>" is replaced
    QTest::newRow("plain name") << QByteArray("PC1") << QStringLiteral("mnt/PC1/中医处方数据库");
    QTest::newRow("spaces and more lines")
        << QByteArray("   PC1  \r\nPC2\r\n") << QStringLiteral("mnt/PC1/中医处方数据库");
    QTest::newRow("utf-8 with BOM") << QByteArray("\xEF\xBB\xBF诊室一\r\n")
                                    << QStringLiteral("mnt/诊室一/中医处方数据库");
    QTest::newRow("gbk") << toGbk(QStringLiteral(" 诊室一 \r\n"))
                         << QStringLiteral("mnt/诊室一/中医处方数据库");
    QTest::newRow("network prefix") << QByteArray("\\\\PC1") << QStringLiteral("mnt/PC1/中医处方数据库");
    QTest::newRow("other case") << QByteArray("pc1\n") << QStringLiteral("mnt/PC1/中医处方数据库");
    QTest::newRow("desktop mount") << QByteArray("server7")
                                   << QStringLiteral("gvfs/smb-share:server=server7,share=中医处方数据库");
    QTest::newRow("folder path") << QByteArray("<abs>/nfs/诊所数据") << QStringLiteral("nfs/诊所数据");
}

void TestStartup::reachableShareTakesTheSharedRoad() {
    QFETCH(QByteArray, nameFile);
    QFETCH(QString, share);
    FakeMachine machine;
    const QString shareFolder = machine.path(share);
    test::makeMainFile(shareFolder + QStringLiteral("/数据库.dat"), QStringLiteral("shared"));
    test::makeStatsFile(shareFolder + QStringLiteral("/用药统计.dat"));
    nameFile.replace("<abs>", machine.dir.path().toUtf8());
    QVERIFY(test::writeBytes(localFolder(machine) + QStringLiteral("/计算机名.txt"), nameFile));

    ProcessState state;
    RecordingMessages messages;
    runStartup(state, machine.platform, messages, kNow);

    QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.shown.join(QLatin1Char('|'))));
    QCOMPARE(state.MainConnStr, shareFolder + QStringLiteral("/数据库.dat"));
    QCOMPARE(state.StatsConnStr, shareFolder + QStringLiteral("/用药统计.dat"));
    QCOMPARE(state.BackupSourcePath, state.MainConnStr);
    QCOMPARE(state.LoginPassword, QStringLiteral("shared"));
    QVERIFY(state.mainDb && state.statsDb);
    QCOMPARE(state.mainDb->path(), state.MainConnStr);
    // The local files are still written on the way.
    QCOMPARE(state.DataFolder, localFolder(machine));
    QVERIFY(QFileInfo::exists(state.DataFolder + QStringLiteral("/数据库.dat")));
    QVERIFY(QFileInfo::exists(state.DataFolder + QStringLiteral("/用药统计.dat")));
}

void TestStartup::unreachableShareFallsBackOnce_data() {
    QTest::addColumn<QByteArray>("nameFile");
    QTest::newRow("unknown computer") << QByteArray("PC9\r\n");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("only spaces") << QByteArray("    \r\nPC1");
    QTest::newRow("empty first line") << QByteArray("\r\nPC1\r\n");
    QTest::newRow("relative path") << QByteArray("../mnt/PC1");
    QTest::newRow("share without database") << QByteArray("PC2");
    QTest::newRow("not text") << QByteArray("\xFF\x00\x81", 3);
}

void TestStartup::unreachableShareFallsBackOnce() {
    QFETCH(QByteArray, nameFile);
    FakeMachine machine;
    // PC1 holds a share; PC2 has the folder but no database in it.
    test::makeMainFile(machine.path(QStringLiteral("mnt/PC1/中医处方数据库/数据库.dat")),
                       QStringLiteral("shared"));
    QDir().mkpath(machine.path(QStringLiteral("mnt/PC2/中医处方数据库")));
    QVERIFY(test::writeBytes(localFolder(machine) + QStringLiteral("/计算机名.txt"), nameFile));

    ProcessState state;
    RecordingMessages messages;
    runStartup(state, machine.platform, messages, kNow);

    QCOMPARE(messages.shown, QStringList{kRemoteUnreachable});
    QCOMPARE(state.MainConnStr, localFolder(machine) + QStringLiteral("/数据库.dat"));
    QCOMPARE(state.StatsConnStr, localFolder(machine) + QStringLiteral("/用药统计.dat"));
    QCOMPARE(state.BackupSourcePath, state.MainConnStr);
    QVERIFY(state.mainDb && state.statsDb);
    QCOMPARE(state.LoginPassword, defaults::kPassword);
}

void TestStartup::unopenableSharedFileFallsBackToLocal() {
    FakeMachine machine;
    const QString sharedMain = machine.path(QStringLiteral("mnt/PC1/中医处方数据库/数据库.dat"));
    QVERIFY(test::writeBytes(sharedMain, QByteArray(2048, '\x11')));
    const QByteArray before = test::readBytes(sharedMain);
    QVERIFY(test::writeBytes(localFolder(machine) + QStringLiteral("/计算机名.txt"), "PC1"));

    ProcessState state;
    RecordingMessages messages;
    runStartup(state, machine.platform, messages, kNow);

    QCOMPARE(messages.shown.size(), 1);
    QVERIFY(messages.shown.first().contains(sharedMain));
    QCOMPARE(state.MainConnStr, localFolder(machine) + QStringLiteral("/数据库.dat"));
    QCOMPARE(state.BackupSourcePath, state.MainConnStr);
    QVERIFY(state.mainDb && state.statsDb);
    QCOMPARE(state.mainDb->path(), state.MainConnStr);
    QCOMPARE(test::readBytes(sharedMain), before);
}

void TestStartup::missingSharedStatisticsFileIsReported() {
    FakeMachine machine;
    const QString shareFolder = machine.path(QStringLiteral("mnt/PC1/中医处方数据库"));
    test::makeMainFile(shareFolder + QStringLiteral("/数据库.dat"), QStringLiteral("shared"));
    QVERIFY(test::writeBytes(localFolder(machine) + QStringLiteral("/计算机名.txt"), "PC1"));

    ProcessState state;
    RecordingMessages messages;
    runStartup(state, machine.platform, messages, kNow);

    // The prescriptions stay on the shared file; only the statistics connection is missing, and said so.
    QCOMPARE(state.MainConnStr, shareFolder + QStringLiteral("/数据库.dat"));
    QCOMPARE(state.StatsConnStr, shareFolder + QStringLiteral("/用药统计.dat"));
    QVERIFY(state.mainDb);
    QVERIFY(!state.statsDb);
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY(messages.shown.first().contains(state.StatsConnStr));
    QVERIFY(!QFileInfo::exists(state.StatsConnStr)); // nothing is created on the other computer
}

void TestStartup::leftoversOfAKilledStartAreRemoved() {
    FakeMachine machine;
    const QString folder = localFolder(machine);
    // A start killed while writing left its temporary file and journal; the main file itself is complete.
    test::makeMainFile(folder + QStringLiteral("/数据库.dat"), QStringLiteral("own-pass"));
    for (const QString& leftover :
         {QStringLiteral("/数据库.dat.creating"), QStringLiteral("/数据库.dat.creating-journal"),
          QStringLiteral("/用药统计.dat.creating")})
        QVERIFY(test::writeBytes(folder + leftover, QByteArray(512, '\x11')));

    ProcessState state;
    RecordingMessages messages;
    runStartup(state, machine.platform, messages, kNow);
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(state.LoginPassword, QStringLiteral("own-pass"));
    QVERIFY(state.statsDb);
    QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name),
             (QStringList{QStringLiteral("数据库.dat"), QStringLiteral("用药统计.dat")}));
}

void TestStartup::firstStartKilledAtAnyMomentLeavesCompleteFiles() {
    // Each first start runs in a child process and is killed at a moment it is seen to reach in the data
    // folder, however fast or slow the machine is: before any file, as the main file is opened under its
    // temporary name, once that file has grown (its pages written), with the main file in place, as the
    // statistics file is opened and once it has grown. Each time the next normal start finds both files
    // complete with their default rows, and no temporary file stays.
    struct Moment {
        const char* seen;
        QString file; // empty: at once
        qint64 grownTo;
    };
    const QString creatingMain = QStringLiteral("数据库.dat.creating");
    const QString creatingStatistics = QStringLiteral("用药统计.dat.creating");
    const std::vector<Moment> moments{
        {"before any file", QString(), 0},
        {"the main file opened", creatingMain, 0},
        {"the main file grown", creatingMain, 4096},
        {"the main file in place", QStringLiteral("数据库.dat"), 0},
        {"the statistics file opened", creatingStatistics, 0},
        {"the statistics file grown", creatingStatistics, 4096},
    };
    int interrupted = 0;
    for (const Moment& moment : moments) {
        FakeMachine machine;
        const QString folder = localFolder(machine);
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QString::fromUtf8(STARTUP_CHILD), {machine.platform.driveC});
        QVERIFY(child.waitForStarted());
        // Polled every millisecond while the child runs.
        auto reached = [&] {
            if (moment.file.isEmpty())
                return true;
            const QFileInfo file(folder + QLatin1Char('/') + moment.file);
            return file.exists() && file.size() >= moment.grownTo;
        };
        bool cut = false;
        while (!child.waitForFinished(1)) {
            if (reached()) {
                child.kill();
                child.waitForFinished();
                cut = true;
                break;
            }
        }
        if (cut)
            ++interrupted;
        else
            QCOMPARE(child.exitCode(), 0);

        ProcessState state;
        RecordingMessages messages;
        runStartup(state, machine.platform, messages, kNow);
        const QString at =
            QStringLiteral("killed at %1%2")
                .arg(QLatin1String(moment.seen), cut ? QString() : QStringLiteral(" (ended first)"));
        QVERIFY2(messages.shown.isEmpty(),
                 qPrintable(at + QLatin1Char(' ') + messages.shown.join(QLatin1Char(' '))));
        QVERIFY2(state.mainDb && state.statsDb, qPrintable(at));
        QCOMPARE(state.LoginPassword, defaults::kPassword);
        QCOMPARE(test::countRows(*state.mainDb, schema::kCatalog), 447);
        QCOMPARE(test::countRows(*state.mainDb, schema::kTemplate), 13);
        QCOMPARE(test::countRows(*state.mainDb, schema::kSettings), 1);
        QCOMPARE(test::countRows(*state.statsDb, schema::kStatistics), 0);
        QVERIFY2(
            QDir(folder).entryList(QDir::Files).size() == 2,
            qPrintable(at + QLatin1Char(' ') + QDir(folder).entryList(QDir::Files).join(QLatin1Char(' '))));
    }
    qInfo("%d of %zu first starts were cut short", interrupted, moments.size());
    // A moment passes between two looks only when it is very short: most kills must really have cut a start
    // short, or the test proved nothing.
    QVERIFY2(interrupted >= int(moments.size()) - 2, qPrintable(QString::number(interrupted)));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"
