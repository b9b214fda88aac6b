// Start-up on the server road: a computer-name file whose first line names a PostgreSQL server. Runs against
// the test cluster (its database's own schema), once the other server tests have their schemas.

#include "appfixtures.h"
#include "data/settingsrow.h"
#include "session/backup.h"
#include "session/messages.h"
#include "session/startup.h"
#include "session/state.h"

#include <QtTest>

using namespace lichuan;
using lichuan::test::FakeMachine;

namespace {

const QDateTime kNow(QDate(2024, 3, 8), QTime(9, 30, 15));

QString nameFile(const FakeMachine& machine) {
    return machine.platform.driveC + QStringLiteral("/中医处方数据库/计算机名.txt");
}

} // namespace

class TestStartupServer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void theFirstStationWritesTheTablesAndOthersFindThem();
    void anUnreachableServerSendsTheStationToItsFiles();
    void theDailyBackupIsAFileOfTheServersData();

private:
    QString address_;
};

void TestStartupServer::initTestCase() {
    // A schema of its own, named in the address as a clinic's role would find it by its search path.
    const QString schema = QStringLiteral("startup_road");
    auto admin = Database::connect(test::testServer());
    QVERIFY(admin);
    admin->execNative(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE; CREATE SCHEMA %1").arg(schema));
    address_ = test::testServer() + QStringLiteral("&options=-csearch_path%3D") + schema;
}

void TestStartupServer::theFirstStationWritesTheTablesAndOthersFindThem() {
    for (int station = 0; station < 2; ++station) {
        FakeMachine machine;
        QVERIFY(test::writeBytes(nameFile(machine), address_.toUtf8() + "\r\n"));
        ProcessState state;
        RecordingMessages messages;
        runStartup(state, machine.platform, messages, kNow);
        QCOMPARE(messages.shown, QStringList());
        QVERIFY(state.mainDb && state.statsDb);
        QCOMPARE(state.mainDb->engine(), Database::Engine::Server);
        QCOMPARE(state.statsDb->engine(), Database::Engine::Server);
        QCOMPARE(state.MainConnStr, address_);
        QCOMPARE(state.LoginPassword, QStringLiteral("888"));
        QCOMPARE(test::countRows(*state.mainDb, schema::kSettings), 1);
        QVERIFY(state.statsDb->hasTable(schema::kStatistics));
    }
}

void TestStartupServer::anUnreachableServerSendsTheStationToItsFiles() {
    FakeMachine machine;
    QVERIFY(test::writeBytes(nameFile(machine), "postgresql:///lichuan?host=/nonexistent\n"));
    ProcessState state;
    RecordingMessages messages;
    runStartup(state, machine.platform, messages, kNow);
    QCOMPARE(messages.shown, QStringList{kRemoteUnreachable});
    QVERIFY(state.mainDb);
    QCOMPARE(state.mainDb->engine(), Database::Engine::File);
    QCOMPARE(state.MainConnStr, state.DataFolder + QStringLiteral("/数据库.dat"));
}

void TestStartupServer::theDailyBackupIsAFileOfTheServersData() {
    FakeMachine machine;
    QVERIFY(test::writeBytes(nameFile(machine), address_.toUtf8()));
    ProcessState state;
    RecordingMessages messages;
    runStartup(state, machine.platform, messages, kNow);
    QVERIFY(state.mainDb);
    QString error;
    const QString root = machine.path(QStringLiteral("备份"));
    QVERIFY2(writeDailyBackup(state, root, kNow.date(), &error), qPrintable(error));
    auto copy = Database::open(dailyBackupFolder(root, kNow.date()) + QStringLiteral("/数据库.dat"),
                               databaseKey(), Database::OpenMode::ExistingOnly);
    QVERIFY(copy);
    QCOMPARE(readSettingsRow(*copy)->value(QStringLiteral("密码")), QStringLiteral("888"));
}

QTEST_GUILESS_MAIN(TestStartupServer)
#include "test_startup_server.moc"
