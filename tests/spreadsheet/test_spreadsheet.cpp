#include "loudskip.h"
#include "spreadsheet/workbookreader.h"
#include "spreadsheet/workbookwriter.h"
#include "zipentry.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <unzip.h>
#include <zip.h>

using namespace lichuan::spreadsheet;

namespace {

using lichuan::test::zipEntry;

void writeZip(const QString& path, const QList<QPair<QString, QByteArray>>& entries) {
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    QVERIFY(zip);
    for (const auto& entry : entries) {
        QCOMPARE(zipOpenNewFileInZip64(zip, entry.first.toUtf8().constData(), nullptr, nullptr, 0, nullptr, 0,
                                       nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0),
                 ZIP_OK);
        QCOMPARE(zipWriteInFileInZip(zip, entry.second.constData(), unsigned(entry.second.size())), ZIP_OK);
        QCOMPARE(zipCloseFileInZip(zip), ZIP_OK);
    }
    QCOMPARE(zipClose(zip, nullptr), ZIP_OK);
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Workbook catalogLikeBook() {
    Workbook book;
    Sheet sheet;
    const QStringList header{"名称", "规格", "常用量", "单位", "单价"};
    for (int c = 0; c < header.size(); ++c)
        sheet.setText(0, c, header.at(c));
    sheet.rowStyles[0].bold = true;
    sheet.setText(1, 0, "石膏");
    sheet.setText(1, 1, "先煎");
    sheet.setNumber(1, 2, 10);
    sheet.setText(1, 3, "g");
    sheet.setNumber(1, 4, 2.5, "0.000");
    sheet.setText(2, 0, "阿奇霉素注射液");
    sheet.setText(2, 1, ""); // an empty cell in the middle of the row
    sheet.setNumber(2, 2, 0.1 + 0.2);
    sheet.setText(2, 3, "瓶");
    sheet.setNumber(2, 4, 5.7, "0.000");
    book.sheets.append(sheet);
    return book;
}

} // namespace

class TestSpreadsheet : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void writtenWorkbookReadsBack();
    void everyCellCarriesTheChineseFontAndColumnsAreFitted();
    void rowStylesAndExplicitWidths();
    void extensionIsAppendedOnlyWhenMissing_data();
    void extensionIsAppendedOnlyWhenMissing();
    void failedWriteLeavesNoFileAndTheOldOneIntact();
    void fullDiskIsReportedAndTheOldFileStays();
    void xlsxFromOtherWritersIsPlacedByReference();
    void unreadableFilesSayWhy();
    void fixturesOfARealSpreadsheetApplication_data();
    void fixturesOfARealSpreadsheetApplication();
};

void TestSpreadsheet::writtenWorkbookReadsBack() {
    QTemporaryDir dir;
    const QString path = dir.filePath("药品.xlsx");
    const WriteResult written = writeWorkbook(catalogLikeBook(), path);
    QVERIFY2(written.ok, qPrintable(written.error));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"药品.xlsx"});

    const ReadResult read = readFirstSheet(path);
    QVERIFY2(read.ok, qPrintable(read.error));
    QCOMPARE(read.rows.size(), 3);
    QCOMPARE(cellAt(read.rows[0], 0).text, QString("名称"));
    QCOMPARE(cellAt(read.rows[1], 1).text, QString("先煎"));
    QVERIFY(cellAt(read.rows[1], 2).isNumber());
    QCOMPARE(cellAt(read.rows[1], 2).toText(), QString("10"));
    QCOMPARE(cellAt(read.rows[1], 4).toText(), QString("2.5"));
    QVERIFY(cellAt(read.rows[2], 1).isEmpty());
    QCOMPARE(cellAt(read.rows[2], 0).text, QString("阿奇霉素注射液"));
    QCOMPARE(cellAt(read.rows[2], 2).toText(), QString("0.3")); // 15 significant digits
    QCOMPARE(cellAt(read.rows[2], 3).text, QString("瓶"));
    QVERIFY(cellAt(read.rows[2], 9).isEmpty());
}

void TestSpreadsheet::everyCellCarriesTheChineseFontAndColumnsAreFitted() {
    QTemporaryDir dir;
    const QString path = dir.filePath("book.xlsx");
    QVERIFY(writeWorkbook(catalogLikeBook(), path).ok);
    const QString styles = QString::fromUtf8(zipEntry(path, "xl/styles.xml"));
    const QString sheet = QString::fromUtf8(zipEntry(path, "xl/worksheets/sheet1.xml"));
    QVERIFY(styles.contains("宋体"));
    QVERIFY(styles.contains("0.000"));
    // Cell style 0 is the file's default (Calibri); no written cell may fall back to it.
    const auto cells = QRegularExpression("<c [^>]*>").globalMatch(sheet);
    int count = 0;
    for (auto it = cells; it.hasNext(); ++count) {
        const QString tag = it.next().captured(0);
        QVERIFY2(QRegularExpression(" s=\"[1-9][0-9]*\"").match(tag).hasMatch(), qPrintable(tag));
    }
    QCOMPARE(count, 15);
    // 阿奇霉素注射液 is 14 display columns: the first column is wider than that.
    const auto col = QRegularExpression("<col min=\"1\" max=\"1\" width=\"([0-9.]+)\"").match(sheet);
    QVERIFY2(col.hasMatch(), qPrintable(sheet));
    QVERIFY(col.captured(1).toDouble() >= 14 && col.captured(1).toDouble() <= 20);
    QCOMPARE(fittedWidth(4, 22, 11), 10.0);
    QCOMPARE(fittedWidth(1000, 11, 11), 255.0);
}

void TestSpreadsheet::rowStylesAndExplicitWidths() {
    Workbook book;
    Sheet sheet;
    sheet.setText(0, 3, "门 诊 日 志 登 记 本");
    sheet.rowStyles[0] = RowStyle{true, 20, 30};
    sheet.rowStyles[1] = RowStyle{false, 10, 20};
    sheet.setText(1, 0, "姓名");
    sheet.columnWidths = {{0, 10}, {3, 25}};
    sheet.fitColumns = false;
    book.sheets.append(sheet);
    QTemporaryDir dir;
    const QString path = dir.filePath("log.xlsx");
    QVERIFY(writeWorkbook(book, path).ok);
    const QString xml = QString::fromUtf8(zipEntry(path, "xl/worksheets/sheet1.xml"));
    QVERIFY(xml.contains(QRegularExpression("<row r=\"1\"[^>]*ht=\"30\"")));
    QVERIFY(xml.contains(QRegularExpression("<row r=\"2\"[^>]*ht=\"20\"")));
    QVERIFY(xml.contains(QRegularExpression("<col min=\"1\" max=\"1\" width=\"10")));
    QVERIFY(xml.contains(QRegularExpression("<col min=\"4\" max=\"4\" width=\"25")));
    QVERIFY(!xml.contains(QRegularExpression("<col min=\"2\"")));
    const QString styles = QString::fromUtf8(zipEntry(path, "xl/styles.xml"));
    QVERIFY(styles.contains("<sz val=\"20\"/>"));
    QVERIFY(styles.contains("<b/>"));
    QCOMPARE(cellAt(readFirstSheet(path).rows.value(0), 3).text, QString("门 诊 日 志 登 记 本"));
}

void TestSpreadsheet::extensionIsAppendedOnlyWhenMissing_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::newRow("no extension") << "/home/a/药品"
                                  << "/home/a/药品.xlsx";
    QTest::newRow("has it") << "/home/a/药品.xlsx"
                            << "/home/a/药品.xlsx";
    QTest::newRow("upper case") << "/home/a/药品.XLSX"
                                << "/home/a/药品.XLSX";
    QTest::newRow("old extension") << "/home/a/药品.xls"
                                   << "/home/a/药品.xlsx";
    QTest::newRow("dot in folder") << "/home/a.xlsx/药品"
                                   << "/home/a.xlsx/药品.xlsx";
}

void TestSpreadsheet::extensionIsAppendedOnlyWhenMissing() {
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QCOMPARE(withXlsxExtension(chosen), written);
}

void TestSpreadsheet::failedWriteLeavesNoFileAndTheOldOneIntact() {
    QTemporaryDir dir;
    const WriteResult noFolder = writeWorkbook(catalogLikeBook(), dir.filePath("缺少/药品.xlsx"));
    QVERIFY(!noFolder.ok);
    QVERIFY(noFolder.error.contains("文件夹不存在"));

    const QString path = dir.filePath("药品.xlsx");
    QVERIFY(writeWorkbook(catalogLikeBook(), path).ok);
    const QByteArray before = fileBytes(path);
    Workbook bad = catalogLikeBook();
    bad.sheets[0].setText(5, 0, QString(40000, QChar(u'药'))); // longer than a cell may hold
    const WriteResult failed = writeWorkbook(bad, path);
    QVERIFY(!failed.ok);
    QVERIFY(failed.error.contains("第6行第1列"));
    QCOMPARE(fileBytes(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"药品.xlsx"});

    Workbook badName = catalogLikeBook();
    badName.sheets[0].name = "a/b";
    QVERIFY(!writeWorkbook(badName, path).ok);
    QCOMPARE(fileBytes(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"药品.xlsx"});
}

void TestSpreadsheet::fullDiskIsReportedAndTheOldFileStays() {
    QTemporaryDir dir;
    const QString mountPoint = dir.filePath("full");
    QVERIFY(QDir().mkpath(mountPoint));
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=48k", "tmpfs", mountPoint}) != 0) {
        // Only root mounts; any other user runs this case again in a namespace of its own, where it may.
        QVERIFY2(!qEnvironmentVariableIsSet("LICHUAN_TEST_IN_NAMESPACE"), "no tmpfs even in a namespace");
        QProcess again;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LICHUAN_TEST_IN_NAMESPACE", "1");
        again.setProcessEnvironment(environment);
        again.setProcessChannelMode(QProcess::MergedChannels);
        again.start("unshare", {"--user", "--map-root-user", "--mount",
                                QCoreApplication::applicationFilePath(), QTest::currentTestFunction()});
        QVERIFY(again.waitForFinished(120000));
        const QString output = QString::fromLocal8Bit(again.readAll());
        if (!output.contains("Totals:"))
            LICHUAN_SKIP("a small tmpfs cannot be mounted here (needs root or a user namespace): " + output);
        QVERIFY2(again.exitStatus() == QProcess::NormalExit && again.exitCode() == 0 &&
                     output.contains(QString("PASS   : TestSpreadsheet::") + QTest::currentTestFunction()),
                 qPrintable(output));
        return;
    }
    struct Unmount {
        QString point;
        ~Unmount() { QProcess::execute("umount", {point}); }
    } unmount{mountPoint};

    const QString path = mountPoint + "/药品.xlsx";
    QVERIFY(writeWorkbook(catalogLikeBook(), path).ok);
    const QByteArray before = fileBytes(path);
    Workbook big;
    Sheet sheet;
    for (int r = 0; r < 20000; ++r) {
        sheet.setText(r, 0, QString("药品%1").arg(r * 7919));
        sheet.setNumber(r, 1, r * 1.25);
    }
    big.sheets.append(sheet);
    const WriteResult result = writeWorkbook(big, path);
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains("磁盘"), qPrintable(result.error));
    QCOMPARE(fileBytes(path), before);
    QCOMPARE(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden), QStringList{"药品.xlsx"});
}

void TestSpreadsheet::xlsxFromOtherWritersIsPlacedByReference() {
    // A workbook whose first sheet is not sheet1.xml, with a rich-text shared string (runs and a
    // phonetic run), an inline string, a cell without a reference and a missing cell.
    QTemporaryDir dir;
    const QString path = dir.filePath("other.xlsx");
    writeZip(
        path,
        {{"_rels/.rels", R"(<?xml version="1.0"?><Relationships xmlns="x"><Relationship Id="r1"
               Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument"
               Target="xl/workbook.xml"/></Relationships>)"},
         {"xl/workbook.xml", R"(<workbook xmlns:r="rel"><sheets><sheet name="目录" sheetId="4" r:id="rIdB"/>
               <sheet name="Other" sheetId="1" r:id="rIdA"/></sheets></workbook>)"},
         {"xl/_rels/workbook.xml.rels", R"(<Relationships>
               <Relationship Id="rIdA" Type=".../worksheet" Target="worksheets/sheet1.xml"/>
               <Relationship Id="rIdB" Type=".../worksheet" Target="/xl/worksheets/data.xml"/>
               <Relationship Id="rIdS" Type=".../sharedStrings" Target="strings.xml"/></Relationships>)"},
         {"xl/strings.xml", u8R"(<sst><si><t>石膏</t></si><si><r><t>阿莫西林胶囊{0.25</t></r>
               <r><rPr><b/></rPr><t xml:space="preserve">g*24}</t></r><rPh><t>ア</t></rPh></si></sst>)"},
         {"xl/worksheets/sheet1.xml", "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\">"
                                      "<is><t>wrong sheet</t></is></c></row></sheetData></worksheet>"},
         {"xl/worksheets/data.xml", u8R"(<worksheet><sheetData>
               <row r="1"><c r="A1" t="s"><v>0</v></c><c r="C1"><v>2.5</v></c></row>
               <row r="3"><c r="B3" t="s"><v>1</v></c><c t="inlineStr"><is><t>先煎</t></is></c>
                 <c r="E3" s="2"/><c r="F3"><v>0.30000000000000004</v></c></row>
               </sheetData></worksheet>)"}});
    const ReadResult read = readFirstSheet(path);
    QVERIFY2(read.ok, qPrintable(read.error));
    QCOMPARE(read.rows.size(), 3);
    QCOMPARE(cellAt(read.rows[0], 0).text, QString("石膏"));
    QVERIFY(cellAt(read.rows[0], 1).isEmpty());
    QCOMPARE(cellAt(read.rows[0], 2).toText(), QString("2.5"));
    QVERIFY(read.rows[1].isEmpty());
    QCOMPARE(cellAt(read.rows[2], 1).text, QString("阿莫西林胶囊{0.25g*24}"));
    QCOMPARE(cellAt(read.rows[2], 2).text, QString("先煎"));
    QVERIFY(cellAt(read.rows[2], 4).isEmpty());
    QCOMPARE(cellAt(read.rows[2], 5).toText(), QString("0.3"));
}

void TestSpreadsheet::unreadableFilesSayWhy() {
    QTemporaryDir dir;
    const ReadResult missing = readFirstSheet(dir.filePath("无.xlsx"));
    QVERIFY(!missing.ok);
    QVERIFY(missing.error.contains("文件不存在"));

    QFile text(dir.filePath("note.xls"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("名称,规格\n石膏,先煎\n");
    text.close();
    const ReadResult notBook = readFirstSheet(text.fileName());
    QVERIFY(!notBook.ok);
    QVERIFY(notBook.error.contains("不是Excel工作簿"));

    QFile broken(dir.filePath("broken.xlsx"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray("PK\x03\x04", 4) + QByteArray(100, 'x'));
    broken.close();
    QVERIFY(!readFirstSheet(broken.fileName()).ok);

    QFile brokenXls(dir.filePath("broken.xls"));
    QVERIFY(brokenXls.open(QIODevice::WriteOnly));
    brokenXls.write(QByteArray::fromHex("d0cf11e0a1b11ae1") + QByteArray(600, '\0'));
    brokenXls.close();
    const ReadResult xls = readFirstSheet(brokenXls.fileName());
    QVERIFY(!xls.ok);
    QVERIFY(!xls.error.isEmpty());
}

void TestSpreadsheet::fixturesOfARealSpreadsheetApplication_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("xls") << "catalog-herbs.xls";
    QTest::newRow("xlsx") << "catalog-herbs.xlsx";
}

void TestSpreadsheet::fixturesOfARealSpreadsheetApplication() {
    // Both files were saved by a spreadsheet application from catalog-herbs.fods: the first sheet only,
    // numbers and digit texts kept apart, empty cells in the middle of rows.
    QFETCH(QString, file);
    const ReadResult read = readFirstSheet(QStringLiteral(LICHUAN_TEST_DATA) + "/" + file);
    QVERIFY2(read.ok, qPrintable(read.error));
    QStringList shown;
    for (const Row& row : read.rows) {
        QStringList cells;
        for (int c = 0; c < 8; ++c)
            cells << cellAt(row, c).toText();
        shown << cells.join('|');
    }
    const QStringList expected{
        "名称|规格|常用量|单位|单价|用法用量|斗位|拼音",
        "石膏|先煎|10|g|2.5||A1|",
        "阿奇霉素注射液|0.25g|2|瓶|5.7|静脉滴注 每日1次||aqmszsy",
        "白芍|炒|10|g|||B3|bs",
        "金银花||12|g|0.35||C2|",
        "复方丹参滴丸|27mg*180粒|1|盒|24.5|10粒 每日3次 口服||",
        "甘草||6|g|0.045|||gc",
    };
    QCOMPARE(shown, expected);
    QVERIFY(cellAt(read.rows[1], 2).isNumber());
    QVERIFY(!cellAt(read.rows[3], 2).isNumber()); // typed as text in the sheet
    QVERIFY(cellAt(read.rows[4], 1).isEmpty());
}

QTEST_GUILESS_MAIN(TestSpreadsheet)
#include "test_spreadsheet.moc"
