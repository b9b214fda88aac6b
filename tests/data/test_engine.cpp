#include "data/catalog.h"
#include "data/engine.h"
#include "data/gbk.h"
#include "data/prescriptions.h"
#include "data/schema.h"
#include "data/settingsrow.h"
#include "testsupport.h"

#include <QtTest>
#include <chrono>
#include <thread>

using namespace lichuan;

class TestEngine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void encryptedFileRoundTrip();
    void wrongKeyAndForeignFilesAreRefusedUntouched();
    void openingWaitsForAnotherStationsWrite();
    void boundValuesAreJustText();
    void transactionRollsBackUnlessCommitted();
    void everyColumnKeepsTextAsTyped();
    void uniqueIndexesIgnoreCase();
    void gbkOrderAndColumns();
    void backupIsKeyedAndComplete();
    void aFileWrittenByAnEarlierReleaseStillOpens();

private:
    QTemporaryDir dir_;
};

void TestEngine::encryptedFileRoundTrip() {
    const QString path = dir_.filePath(QStringLiteral("round.dat"));
    {
        auto db = test::createDatabase(path);
        QVERIFY(db);
        schema::createMain(*db);
        Statement insert(*db, QStringLiteral("insert into [诊断]([名称],[拼音],[序号]) values(?,?,?)"));
        insert.bind(1, QStringLiteral("高血压病"))
            .bind(2, QStringLiteral("gxyb"))
            .bind(3, QStringLiteral("高血压病gxyb"));
        QCOMPARE(insert.run(), 1);
    }
    QVERIFY(!test::fileHeader(path).startsWith("SQLite format 3"));
    QString error;
    auto db = Database::open(path, databaseKey(), Database::OpenMode::ExistingOnly, &error);
    QVERIFY2(db, qPrintable(error));
    Statement select(*db, QStringLiteral("select [名称] from [诊断]"));
    QVERIFY(select.next());
    QCOMPARE(select.text(0), QStringLiteral("高血压病"));
}

void TestEngine::wrongKeyAndForeignFilesAreRefusedUntouched() {
    const QString path = dir_.filePath(QStringLiteral("keyed.dat"));
    {
        auto db = test::createDatabase(path);
        QVERIFY(db);
        schema::createStatistics(*db);
    }
    QFile keyed(path);
    QVERIFY(keyed.open(QIODevice::ReadOnly));
    const QByteArray before = keyed.readAll();
    keyed.close();

    QString error;
    QVERIFY(!Database::open(path, "wrong", Database::OpenMode::ExistingOnly, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(keyed.open(QIODevice::ReadOnly));
    QCOMPARE(keyed.readAll(), before);
    keyed.close();

    const QString text = dir_.filePath(QStringLiteral("notes.dat"));
    QFile notes(text);
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.write("这不是数据库 just some text that is long enough to look like a header of a page");
    notes.close();
    error.clear();
    QVERIFY(!Database::open(text, databaseKey(), Database::OpenMode::ExistingOnly, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(notes.open(QIODevice::ReadOnly));
    QVERIFY(notes.readAll().startsWith("这不是数据库"));

    QVERIFY(!Database::open(path, databaseKey(), Database::OpenMode::CreateNew));
    QVERIFY(!Database::open(dir_.filePath(QStringLiteral("missing.dat")), databaseKey(),
                            Database::OpenMode::ExistingOnly));
    QVERIFY(!QFile::exists(dir_.filePath(QStringLiteral("missing.dat"))));
}

void TestEngine::openingWaitsForAnotherStationsWrite() {
    // Another station is committing when this one starts: opening waits for the lock instead of failing
    // (which would send a shared-database station to its local files).
    const QString path = dir_.filePath(QStringLiteral("shared.dat"));
    auto writer = test::createDatabase(path);
    QVERIFY(writer);
    schema::createStatistics(*writer);
    writer->exec(QStringLiteral("BEGIN EXCLUSIVE"));
    writer->exec(QStringLiteral("insert into [统计]([ID号]) values('a')"));
    std::thread commitLater([&writer] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        writer->exec(QStringLiteral("COMMIT"));
    });
    QString error;
    auto reader = Database::open(path, databaseKey(), Database::OpenMode::ExistingOnly, &error);
    commitLater.join();
    QVERIFY2(reader, qPrintable(error));
    Statement count(*reader, QStringLiteral("select count(*) from [统计]"));
    QVERIFY(count.next());
    QCOMPARE(count.integer(0), 1);
}

void TestEngine::boundValuesAreJustText() {
    auto db = test::createDatabase(dir_.filePath(QStringLiteral("quotes.dat")));
    QVERIFY(db);
    schema::createMain(*db);
    const QString tricky = QStringLiteral("O'Brien'); drop table [诊断]; --");
    Statement insert(*db, QStringLiteral("insert into [诊断]([名称],[拼音],[序号]) values(?,?,?)"));
    insert.bind(1, tricky).bind(2, QStringLiteral("x")).bind(3, tricky);
    insert.run();
    insert.reset();
    insert.bind(1, QStringLiteral("100%纯")).bind(2, QStringLiteral("y")).bind(3, QStringLiteral("100%纯"));
    insert.run();

    auto count = [&](const QString& text) {
        Statement like(*db, QStringLiteral("select count(*) from [诊断] where [序号] like ? escape '\\'"));
        like.bind(1, containsPattern(text));
        like.next();
        return like.integer(0);
    };
    QCOMPARE(count(QStringLiteral("O'B")), 1);
    QCOMPARE(count(QStringLiteral("%")), 1);
    QCOMPARE(count(QStringLiteral("_")), 0);
    QCOMPARE(count(QStringLiteral("")), 2);
    QCOMPARE(count(QStringLiteral("o'b")), 1); // ASCII letters without regard to case
}

void TestEngine::transactionRollsBackUnlessCommitted() {
    auto db = test::createDatabase(dir_.filePath(QStringLiteral("tx.dat")));
    QVERIFY(db);
    schema::createStatistics(*db);
    auto rows = [&] {
        Statement count(*db, QStringLiteral("select count(*) from [统计]"));
        count.next();
        return count.integer(0);
    };
    {
        Transaction transaction(*db);
        Statement(*db, QStringLiteral("insert into [统计]([ID号]) values('a')")).run();
    }
    QCOMPARE(rows(), 0);
    {
        Transaction transaction(*db);
        Statement(*db, QStringLiteral("insert into [统计]([ID号]) values('a')")).run();
        Statement(*db, QStringLiteral("insert into [统计]([ID号]) values('a')")).run();
        transaction.commit();
    }
    QCOMPARE(rows(), 2); // 统计 keeps several lines of one prescription
}

void TestEngine::everyColumnKeepsTextAsTyped() {
    auto db = test::createDatabase(dir_.filePath(QStringLiteral("types.dat")));
    QVERIFY(db);
    schema::createMain(*db);
    schema::createStatistics(*db);
    for (const auto* tables : {&schema::mainTables(), &schema::statisticsTables()}) {
        for (const schema::Table& table : *tables) {
            for (const schema::Column& column : table.columns) {
                for (const QString& value :
                     {QStringLiteral("001"), QStringLiteral("15.000"), QStringLiteral("1e3")}) {
                    Statement(*db, QStringLiteral("delete from %1").arg(quoted(table.name))).run();
                    Statement insert(*db, QStringLiteral("insert into %1(%2) values(?)")
                                              .arg(quoted(table.name), quoted(column.name)));
                    insert.bind(1, value).run();
                    Statement read(*db, QStringLiteral("select %1, typeof(%1) from %2")
                                            .arg(quoted(column.name), quoted(table.name)));
                    QVERIFY(read.next());
                    QCOMPARE(read.text(1), QStringLiteral("text"));
                    QCOMPARE(read.text(0), value);
                }
            }
        }
    }
}

void TestEngine::uniqueIndexesIgnoreCase() {
    auto db = test::createDatabase(dir_.filePath(QStringLiteral("unique.dat")));
    QVERIFY(db);
    schema::createMain(*db);
    Statement(*db, QStringLiteral("insert into [商品]([ID号],[名称]) values('1','CT检查')")).run();
    QVERIFY_THROWS_EXCEPTION(
        DbError,
        Statement(*db, QStringLiteral("insert into [商品]([ID号],[名称]) values('2','ct检查')")).run());
    Statement(*db, QStringLiteral("insert into [档案]([序号]) values('20240301120000ab')")).run();
    QVERIFY_THROWS_EXCEPTION(
        DbError,
        Statement(*db, QStringLiteral("insert into [档案]([序号]) values('20240301120000AB')")).run());
    QVERIFY(schema::fits(schema::kArchive, QStringLiteral("类别"), QStringLiteral("中")));
    QVERIFY(!schema::fits(schema::kArchive, QStringLiteral("类别"), QStringLiteral("123456")));
    QVERIFY(schema::fits(schema::kArchive, QStringLiteral("T1"), QString(5000, QLatin1Char('x'))));
    QVERIFY(schema::fits(schema::kStatistics, QStringLiteral("数量"), QStringLiteral("😀😀😀😀😀")));
    QCOMPARE(schema::columnWidth(schema::kArchive, QStringLiteral("nope")), -1);
}

void TestEngine::gbkOrderAndColumns() {
    QCOMPARE(gbk::displayColumns(QStringLiteral("石膏[先煎]10g")), 13);
    QCOMPARE(gbk::displayColumns(QStringLiteral("，€•\u00a0😀")), 2 + 1 + 1 + 1 + 1);
    QCOMPARE(gbk::doubleByteCode(U'医'), 0xD2BD);
    QVERIFY(gbk::compare(u"阿胶", u"白芍") < 0); // pinyin order for common characters
    QVERIFY(gbk::compare(u"CT", u"ct") == 0);
    QVERIFY(gbk::compare(u"$A", u"A10") < 0);
    QVERIFY(gbk::compare(u"A10", u"A2") < 0);
    QCOMPARE(gbk::leftChars(QStringLiteral("a😀b"), 2), QStringLiteral("a😀"));
    QCOMPARE(gbk::charCount(u"a😀b"), 3);
    QCOMPARE(gbk::decode(QByteArray("\xD2\xBD\xC9\xFA 1")), QStringLiteral("医生 1"));
    QVERIFY(gbk::decode(QByteArray("\xD2")).isEmpty()); // a lead byte without its second byte

    auto db = test::createDatabase(dir_.filePath(QStringLiteral("order.dat")));
    QVERIFY(db);
    schema::createMain(*db);
    for (const char* name : {"白芍", "阿胶", "Zz", "aa", "柴胡"})
        Statement(*db, QStringLiteral("insert into [诊断]([名称]) values(?)"))
            .bind(1, QString::fromUtf8(name))
            .run();
    Statement ordered(*db, QStringLiteral("select [名称] from [诊断] order by [名称] collate GBK"));
    QStringList names;
    while (ordered.next())
        names << ordered.text(0);
    QCOMPARE(names, (QStringList{QStringLiteral("aa"), QStringLiteral("Zz"), QStringLiteral("阿胶"),
                                 QStringLiteral("白芍"), QStringLiteral("柴胡")}));
}

void TestEngine::backupIsKeyedAndComplete() {
    const QString source = dir_.filePath(QStringLiteral("source.dat"));
    auto db = test::createDatabase(source);
    QVERIFY(db);
    schema::createMain(*db);
    Statement(*db, QStringLiteral("insert into [地址]([名称]) values('城关镇')")).run();
    const QString copy = dir_.filePath(QStringLiteral("copy.dat"));
    QFile old(copy);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("yesterday's copy");
    old.close();
    db->backupTo(copy, databaseKey());
    QVERIFY(!test::fileHeader(copy).startsWith("SQLite format 3"));
    auto restored = Database::open(copy, databaseKey(), Database::OpenMode::ExistingOnly);
    QVERIFY(restored);
    Statement read(*restored, QStringLiteral("select [名称] from [地址]"));
    QVERIFY(read.next());
    QCOMPARE(read.text(0), QStringLiteral("城关镇"));
}

void TestEngine::aFileWrittenByAnEarlierReleaseStillOpens() {
    // A main database as a station of the first release wrote it: default rows and one settled prescription.
    const QString path = dir_.filePath(QStringLiteral("earlier.dat"));
    QVERIFY(QFile::copy(QStringLiteral(LICHUAN_TEST_DATA "/old-main.dat"), path));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QString error;
    auto db = Database::open(path, databaseKey(), Database::OpenMode::ExistingOnly, &error);
    QVERIFY2(db, qPrintable(error));

    const std::optional<SheetRecord> record = loadPrescription(*db, QStringLiteral("20240301080000ab12c"));
    QVERIFY(record);
    QCOMPARE(record->fields[kName], QStringLiteral("张三"));
    QCOMPARE(record->fields[kDate], QStringLiteral("2024-03-01"));
    QCOMPARE(record->lines[0].amount, QStringLiteral("3.000"));
    QCOMPARE(record->settled, kSettledMarker);
    QCOMPARE(queryHistory(*db, QStringLiteral("张"), QStringLiteral("2024-3-1"), QStringLiteral("2024-3-1"))
                 .size(),
             std::size_t(1));
    QCOMPARE(readSettingsRow(*db)->value(QStringLiteral("密码")), QStringLiteral("888"));
    QVERIFY(!searchCatalog(*db, QStringLiteral("中药"), QStringLiteral("hq")).empty());

    SheetRecord changed = *record;
    changed.fields[kDiagnosis] = QStringLiteral("慢性胃炎");
    QVERIFY(savePrescription(*db, changed, false, QDate(2024, 3, 2)).saved);
    QCOMPARE(loadPrescription(*db, changed.key)->fields[kDiagnosis], QStringLiteral("慢性胃炎"));
}

QTEST_GUILESS_MAIN(TestEngine)
#include "test_engine.moc"
