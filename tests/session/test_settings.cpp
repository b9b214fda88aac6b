#include "appfixtures.h"
#include "data/settingsrow.h"
#include "settings/settingsstore.h"

#include <QtTest>

using namespace lichuan;

namespace {

// A main database whose settings row is the default one: printers and spare columns null.
std::unique_ptr<Database> freshMain(const QString& path) {
    auto db = test::createDatabase(path);
    schema::createMain(*db);
    Statement insert(
        *db, QStringLiteral("insert into [设置]([密码], [单位名称], [医师], [发药人], [科别], [费别], "
                            "[处方字体], [处方字号], [左边距], [上边距], [左边距1], [上边距1], "
                            "[左边距2], [上边距2]) values(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    const QStringList values{QStringLiteral("888"),    QStringLiteral("样本诊所"), QStringLiteral("张医师"),
                             QStringLiteral("李药师"), QStringLiteral("中医科"),   QStringLiteral("自费"),
                             QStringLiteral("宋体"),   QStringLiteral("14"),       QStringLiteral("10"),
                             QStringLiteral("20"),     QStringLiteral("10"),       QStringLiteral("10"),
                             QStringLiteral("10"),     QStringLiteral("10")};
    for (int i = 0; i < values.size(); ++i)
        insert.bind(i + 1, values.at(i));
    insert.run();
    return db;
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void rowReadsNullAsEmpty();
    void rowWritesOnlyWhatFits();
    void rowThatCannotBeReadOrWritten();
    void storeOnAFreshDatabase();
    void storeKeepsValuesUntilDropped();
    void storeWithoutARow_data();
    void storeWithoutARow();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<Database> db_;
    QString systemPrinter_ = QStringLiteral("系统打印机");
    std::function<QString()> currentPrinter_ = [this] { return systemPrinter_; };
};

void TestSettings::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    db_ = freshMain(dir_->filePath(QStringLiteral("数据库.dat")));
    QVERIFY(db_);
    systemPrinter_ = QStringLiteral("系统打印机");
}

void TestSettings::rowReadsNullAsEmpty() {
    const auto row = readSettingsRow(*db_);
    QVERIFY(row);
    QCOMPARE(row->value(QStringLiteral("密码")), QStringLiteral("888"));
    QVERIFY(row->contains(QStringLiteral("处方打印机")));
    QVERIFY(!row->value(QStringLiteral("处方打印机")).isNull());
    QCOMPARE(row->value(QStringLiteral("处方打印机")), QString());
    QCOMPARE(row->size(), 25); // the 24 columns of the first release and 结算后打印取药单
}

void TestSettings::rowWritesOnlyWhatFits() {
    // A second row never takes the values: only the first row is the settings row.
    Statement second(*db_, QStringLiteral("insert into [设置]([医师]) values(?)"));
    second.bind(1, QStringLiteral("第二行")).run();

    QStringList refused;
    const SettingsRow values{{QStringLiteral("医师"), QStringLiteral("王医师")},
                             {QStringLiteral("处方字号"), QStringLiteral("123456")}, // 5 characters at most
                             {QStringLiteral("单位名称"), QString(51, QChar(0x8BCA))},
                             {QStringLiteral("医师]=1;--"), QStringLiteral("x")},
                             {QStringLiteral("左边距"), QStringLiteral("O'Neil")}};
    QVERIFY(writeSettingsRow(*db_, values, &refused));
    refused.sort();
    QStringList expected{QStringLiteral("处方字号"), QStringLiteral("单位名称"),
                         QStringLiteral("医师]=1;--")};
    expected.sort();
    QCOMPARE(refused, expected);

    const auto row = readSettingsRow(*db_);
    QCOMPARE(row->value(QStringLiteral("医师")), QStringLiteral("王医师"));
    QCOMPARE(row->value(QStringLiteral("左边距")), QStringLiteral("O'Neil"));
    QCOMPARE(row->value(QStringLiteral("处方字号")), QStringLiteral("14"));
    QCOMPARE(row->value(QStringLiteral("单位名称")), QStringLiteral("样本诊所"));
    QCOMPARE(row->value(QStringLiteral("发药人")), QStringLiteral("李药师")); // not named, not changed
    QCOMPARE(test::countRows(*db_, schema::kSettings), 2);

    // A table that lost its row gets one on the next save.
    db_->exec(QStringLiteral("delete from [设置]"));
    QVERIFY(!readSettingsRow(*db_));
    QVERIFY(writeSettingsRow(*db_, {{QStringLiteral("医师"), QStringLiteral("赵医师")}}));
    QCOMPARE(readSettingsRow(*db_)->value(QStringLiteral("医师")), QStringLiteral("赵医师"));
}

void TestSettings::rowThatCannotBeReadOrWritten() {
    auto bare = test::createDatabase(dir_->filePath(QStringLiteral("空.dat")));
    QVERIFY(bare);
    QVERIFY(!readSettingsRow(*bare));
    QVERIFY(!writeSettingsRow(*bare, {{QStringLiteral("医师"), QStringLiteral("王医师")}}));
}

void TestSettings::storeOnAFreshDatabase() {
    SettingsStore store(db_.get(), QStringLiteral("启动时打印机"), currentPrinter_);
    QVERIFY(!store.isFilled());
    const SettingsValues& values = store.values();
    QVERIFY(store.isFilled());
    QCOMPARE(values.clinicName, QStringLiteral("样本诊所"));
    QCOMPARE(values.doctor, QStringLiteral("张医师"));
    QCOMPARE(values.dispenser, QStringLiteral("李药师"));
    QCOMPARE(values.department, QStringLiteral("中医科"));
    QCOMPARE(values.feeCategory, QStringLiteral("自费"));
    QCOMPARE(values.fontName, QStringLiteral("宋体"));
    QCOMPARE(values.fontSize, QStringLiteral("14"));
    QCOMPARE(values.topMargin, QStringLiteral("20"));
    // The three print targets fall back to the start-up printer; the stored default printer stays as stored.
    QCOMPARE(values.prescriptionPrinter, QStringLiteral("启动时打印机"));
    QCOMPARE(values.recordPrinter, QStringLiteral("启动时打印机"));
    QCOMPARE(values.ticketPrinter, QStringLiteral("启动时打印机"));
    QCOMPARE(values.defaultPrinter, QString());
}

void TestSettings::storeKeepsValuesUntilDropped() {
    SettingsStore store(db_.get(), QStringLiteral("启动时打印机"), currentPrinter_);
    QCOMPARE(store.values().doctor, QStringLiteral("张医师"));

    // Another computer changes the row: the store keeps what it read.
    QVERIFY(writeSettingsRow(*db_, {{QStringLiteral("医师"), QStringLiteral("王医师")},
                                    {QStringLiteral("处方打印机"), QStringLiteral("处方专用")},
                                    {QStringLiteral("处方字体"), QString()}}));
    QCOMPARE(store.values().doctor, QStringLiteral("张医师"));
    QCOMPARE(store.values().prescriptionPrinter, QStringLiteral("启动时打印机"));

    store.drop();
    QVERIFY(!store.isFilled());
    QCOMPARE(store.values().doctor, QStringLiteral("王医师"));
    QCOMPARE(store.values().prescriptionPrinter, QStringLiteral("处方专用"));
    QCOMPARE(store.values().fontName, QString()); // a null column gives an empty value
}

void TestSettings::storeWithoutARow_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("systemPrinter");
    QTest::addColumn<QString>("expectedPrinter");
    QTest::addColumn<QString>("expectedDefault");
    QTest::newRow("no database") << QStringLiteral("null") << QStringLiteral("系统打印机")
                                 << QStringLiteral("系统打印机") << QStringLiteral("系统打印机");
    QTest::newRow("no row") << QStringLiteral("empty") << QStringLiteral("系统打印机")
                            << QStringLiteral("系统打印机") << QStringLiteral("系统打印机");
    QTest::newRow("no table, no system printer")
        << QStringLiteral("bare") << QString() << QStringLiteral("启动时打印机") << QString();
}

void TestSettings::storeWithoutARow() {
    QFETCH(QString, kind);
    QFETCH(QString, systemPrinter);
    QFETCH(QString, expectedPrinter);
    QFETCH(QString, expectedDefault);
    std::unique_ptr<Database> bare;
    const Database* main = db_.get();
    if (kind == QLatin1String("null"))
        main = nullptr;
    if (kind == QLatin1String("empty"))
        db_->exec(QStringLiteral("delete from [设置]"));
    if (kind == QLatin1String("bare")) {
        bare = test::createDatabase(dir_->filePath(QStringLiteral("空.dat")));
        main = bare.get();
    }
    systemPrinter_ = systemPrinter;

    SettingsStore store(main, QStringLiteral("启动时打印机"), currentPrinter_);
    const SettingsValues& values = store.values();
    QCOMPARE(values.clinicName, QString());
    QCOMPARE(values.doctor, QString());
    QCOMPARE(values.fontName, QStringLiteral("宋体"));
    QCOMPARE(values.fontSize, QStringLiteral("14"));
    QCOMPARE(values.defaultPrinter, expectedDefault);
    QCOMPARE(values.prescriptionPrinter, expectedPrinter);
    QCOMPARE(values.recordPrinter, expectedPrinter);
    QCOMPARE(values.ticketPrinter, expectedPrinter);

    // The system's default printer is asked again at the next fill.
    systemPrinter_ = QStringLiteral("新默认打印机");
    QCOMPARE(store.values().defaultPrinter, expectedDefault);
    store.drop();
    QCOMPARE(store.values().defaultPrinter, QStringLiteral("新默认打印机"));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
