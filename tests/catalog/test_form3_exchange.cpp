// The catalog window's workbook export and import, through the file dialogs' answers.

#include "catalog/form3fixture.h"
#include "data/catalogrows.h"
#include "spreadsheet/workbookreader.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace lichuan;

namespace {

QString fixture(const QString& name) {
    return QStringLiteral(LICHUAN_TEST_DATA) + QLatin1Char('/') + name;
}

QStringList rowTexts(const Database& db, const QString& category) {
    QStringList texts;
    for (const CatalogRow& row : searchCatalogRows(db, category, QString()))
        texts << QStringList{row.name, row.usualQty, row.unit, row.price, row.usage, row.drawer, row.pinyin}
                     .join('|');
    return texts;
}

} // namespace

class TestForm3Exchange : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void exportEmptyImportGivesTheSameRows();
    void exportThatCannotBeWrittenSaysSo();
    void cancelledDialogsDoNothing();
    void importsWorkbooksOfASpreadsheetApplication_data();
    void importsWorkbooksOfASpreadsheetApplication();
    void unreadableWorkbookAddsNothing_data();
    void unreadableWorkbookAddsNothing();
};

void TestForm3Exchange::exportEmptyImportGivesTheSameRows() {
    test::Form3Fixture f;
    f.open();
    const QStringList before = rowTexts(*f.state.mainDb, "中药");
    f.files->answers << f.dir.filePath("药品");
    QTest::mouseClick(f.c().Command7, Qt::LeftButton);
    QCOMPARE(f.files->asked, QStringList{"另存为|Excel文件 (*.xlsx)|" + f.dir.path()});
    QCOMPARE(f.messages.shown, QStringList{"文件导出成功！"});
    const QString written = f.dir.filePath("药品.xlsx");
    QVERIFY(QFile::exists(written));
    const spreadsheet::ReadResult read = spreadsheet::readFirstSheet(written);
    QVERIFY(read.ok);
    QCOMPARE(read.rows.size(), 300);
    QCOMPARE(spreadsheet::cellAt(read.rows[1], 0).text, QString("阿胶"));
    QCOMPARE(spreadsheet::cellAt(read.rows[1], 1).text, QString("烊化"));

    f.messages.answer = true;
    QTest::mouseClick(f.c().Command8, Qt::LeftButton);
    QVERIFY(rowTexts(*f.state.mainDb, "中药").isEmpty());
    f.files->answers << written;
    QTest::mouseClick(f.c().Command6, Qt::LeftButton);
    QCOMPARE(f.files->asked.last(), "打开|Microsoft Excel 工作簿(*.xls *.xlsx)|" + f.dir.path());
    QVERIFY2(f.messages.shown.last().contains("添加了299条"), qPrintable(f.messages.shown.last()));
    QCOMPARE(rowTexts(*f.state.mainDb, "中药"), before);
    QCOMPARE(f.grid().results().size(), std::size_t(299));
    QCOMPARE(f.cell(0, 0), QString("阿胶[烊化]"));

    // Importing the same file again refuses every row as a duplicate and names them.
    f.files->answers << written;
    QTest::mouseClick(f.c().Command6, Qt::LeftButton);
    QVERIFY(f.messages.shown.last().contains("添加了0条"));
    QVERIFY(f.messages.shown.last().contains("第2行 阿胶{烊化}（已有同名的药物）"));
    QCOMPARE(rowTexts(*f.state.mainDb, "中药").size(), 299);
}

void TestForm3Exchange::exportThatCannotBeWrittenSaysSo() {
    test::Form3Fixture f;
    f.open();
    const QString existing = f.dir.filePath("旧.xlsx");
    QFile old(existing);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old workbook");
    old.close();
    f.files->answers << f.dir.filePath("没有的文件夹/药品.xlsx");
    QTest::mouseClick(f.c().Command7, Qt::LeftButton);
    QCOMPARE(f.messages.shown.size(), 1);
    QVERIFY(f.messages.shown.last() != "文件导出成功！");
    QVERIFY(f.messages.shown.last().contains("文件夹不存在"));

    // A name that is a folder: nothing written, the message says what failed.
    QVERIFY(QDir(f.dir.path()).mkdir("目录.xlsx"));
    f.files->answers << f.dir.filePath("目录.xlsx");
    QTest::mouseClick(f.c().Command7, Qt::LeftButton);
    QVERIFY(f.messages.shown.last().contains("没有导出"));

    // Over an existing file the export replaces it whole.
    f.files->answers << existing;
    QTest::mouseClick(f.c().Command7, Qt::LeftButton);
    QCOMPARE(f.messages.shown.last(), QString("文件导出成功！"));
    QVERIFY(spreadsheet::readFirstSheet(existing).ok);
}

void TestForm3Exchange::cancelledDialogsDoNothing() {
    test::Form3Fixture f;
    f.open();
    QTest::mouseClick(f.c().Command7, Qt::LeftButton);
    QTest::mouseClick(f.c().Command6, Qt::LeftButton);
    QCOMPARE(f.files->asked.size(), 2);
    QVERIFY(f.messages.shown.isEmpty());
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), QStringList{"数据库.dat"});
}

void TestForm3Exchange::importsWorkbooksOfASpreadsheetApplication_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("xls") << "catalog-herbs.xls";
    QTest::newRow("xlsx") << "catalog-herbs.xlsx";
}

void TestForm3Exchange::importsWorkbooksOfASpreadsheetApplication() {
    QFETCH(QString, file);
    test::Form3Fixture f;
    f.open();
    QTest::mouseClick(f.c().Option1[3], Qt::LeftButton); // into 用法, which has none of these names
    QCOMPARE(emptyCatalogCategory(*f.state.mainDb, "西成药"), 139);
    f.files->answers << fixture(file);
    QTest::mouseClick(f.c().Command6, Qt::LeftButton);
    QVERIFY2(f.messages.shown.last().startsWith("导入完成，添加了3条"), qPrintable(f.messages.shown.last()));
    // 石膏{先煎}, 白芍{炒} and 甘草 are herbs already: refused and named.
    QVERIFY(f.messages.shown.last().contains("第2行 石膏{先煎}（已有同名的药物）"));
    QVERIFY(f.messages.shown.last().contains("第4行 白芍{炒}"));
    QVERIFY(f.messages.shown.last().contains("第7行 甘草"));
    const QStringList rows = rowTexts(*f.state.mainDb, "用法");
    QVERIFY(rows.contains("阿奇霉素注射液{0.25g}|2|瓶|5.700|静脉滴注 每日1次||aqmszsy"));
    QVERIFY(rows.contains("金银花|12|g|0.350||C2|jyh"));
    QVERIFY(rows.contains("复方丹参滴丸{27mg*180粒}|1|盒|24.500|10粒 每日3次 口服||ffdsdw"));
    QVERIFY(f.shownNames().contains("金银花"));
}

void TestForm3Exchange::unreadableWorkbookAddsNothing_data() {
    QTest::addColumn<QString>("file"); // a fixture; empty: a text file named .xls
    QTest::addColumn<QString>("reason");
    QTest::newRow("not a workbook") << ""
                                    << "不是Excel工作簿";
    QTest::newRow("a part of 65 MiB unpacked") << "crafted-part-65mib.xlsx"
                                               << "解压后超过64 MB";
    QTest::newRow(".xls of 20,000 columns") << "crafted-xls-columns-beyond.xls"
                                            << "超出了工作表的最大列数16384";
}

void TestForm3Exchange::unreadableWorkbookAddsNothing() {
    QFETCH(QString, file);
    QFETCH(QString, reason);
    test::Form3Fixture f;
    f.open();
    QString path = file.isEmpty() ? QString() : fixture(file);
    if (file.isEmpty()) {
        path = f.dir.filePath("假的.xls");
        QFile fake(path);
        QVERIFY(fake.open(QIODevice::WriteOnly));
        fake.write("名称,规格\n");
        fake.close();
    }
    f.files->answers << path;
    QTest::mouseClick(f.c().Command6, Qt::LeftButton);
    QVERIFY2(f.messages.shown.last().startsWith("没有导入："), qPrintable(f.messages.shown.last()));
    QVERIFY2(f.messages.shown.last().contains(reason), qPrintable(f.messages.shown.last()));
    QCOMPARE(rowTexts(*f.state.mainDb, "中药").size(), 299);
}

QTEST_MAIN(TestForm3Exchange)
#include "test_form3_exchange.moc"
