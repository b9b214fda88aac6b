// Damaged and crafted workbooks (tests/fixtures/make-crafted-workbooks.py makes them) are refused with
// their reason, never by running out of memory; and number formats give dates, times and booleans the
// same text in .xls and .xlsx. Every crafted file is read in a child process with a limited address space
// and CPU time, so that a reader that runs away ends the child and fails the test.

#include "spreadsheet/numberformats.h"
#include "spreadsheet/workbookreader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

using namespace lichuan::spreadsheet;

namespace {

QString fixture(const QString& name) {
    return QStringLiteral(LICHUAN_TEST_DATA) + QLatin1Char('/') + name;
}

// "ok|rows|widest row|error" of reading `path` in a child that may map `headroom` bytes beyond what it has
// and use 60 s of CPU; "ended by signal N" when the child did not end by itself.
QString readInChild(const QString& path, int columns, qint64 headroom) {
    int channel[2];
    if (pipe(channel) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        QFile statm(QStringLiteral("/proc/self/statm"));
        qint64 pages = 0;
        if (statm.open(QIODevice::ReadOnly))
            pages = statm.readLine().split(' ').value(0).toLongLong();
        const rlimit memory{rlim_t(pages * sysconf(_SC_PAGESIZE) + headroom),
                            rlim_t(pages * sysconf(_SC_PAGESIZE) + headroom)};
        const rlimit cpu{60, 60};
        setrlimit(RLIMIT_AS, &memory);
        setrlimit(RLIMIT_CPU, &cpu);
        const ReadResult read = readFirstSheet(path, columns);
        qsizetype widest = 0;
        for (const Row& row : read.rows)
            widest = std::max(widest, row.size());
        const QByteArray summary = QStringLiteral("%1|%2|%3|%4")
                                       .arg(read.ok)
                                       .arg(read.rows.size())
                                       .arg(widest)
                                       .arg(read.error)
                                       .toUtf8();
        const bool written = write(channel[1], summary.constData(), size_t(summary.size())) == summary.size();
        _exit(written ? 0 : 1);
    }
    close(channel[1]);
    QByteArray summary;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = read(channel[0], buffer, sizeof buffer)) > 0)
        summary.append(buffer, got);
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status))
        return QStringLiteral("ended by signal %1").arg(WTERMSIG(status));
    return QString::fromUtf8(summary);
}

constexpr qint64 kGiB = 1024ll * 1024 * 1024;

QStringList shownRows(const ReadResult& read, int columns) {
    QStringList shown;
    for (const Row& row : read.rows) {
        QStringList cells;
        for (int c = 0; c < columns; ++c)
            cells << cellAt(row, c).toText();
        shown << cells.join('|');
    }
    return shown;
}

} // namespace

class TestCraftedWorkbooks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void craftedSizesAreRefusedOrCostLittle_data();
    void craftedSizesAreRefusedOrCostLittle();
    void runningOutOfMemoryIsAReason();
    void datesAndBooleansAsTheSpreadsheetShowedThem_data();
    void datesAndBooleansAsTheSpreadsheetShowedThem();
    void formatKinds_data();
    void formatKinds();
};

void TestCraftedWorkbooks::craftedSizesAreRefusedOrCostLittle_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("summary"); // ok|rows|widest row|the start of the reason
    QTest::newRow("a cell two thousand million rows down")
        << "crafted-row-2000000000.xlsx"
        << "0|0|0|第2000000000行超出了工作表的最大行数1048576，文件已损坏";
    QTest::newRow("a row beyond the last") << "crafted-row-beyond.xlsx"
                                           << "0|0|0|第1048577行超出";
    QTest::newRow("a column beyond XFD") << "crafted-column-beyond.xlsx"
                                         << "0|0|0|单元格XFE1超出了工作表的范围";
    QTest::newRow("cells without a reference past XFD") << "crafted-cells-without-reference.xlsx"
                                                        << "0|0|0|单元格超出了工作表的最大列数16384";
    QTest::newRow("a part of 65 MiB unpacked") << "crafted-part-65mib.xlsx"
                                               << "0|0|0|工作簿的“xl/worksheets/sheet1.xml”解压后超过64 MB";
    QTest::newRow("3,000 rows with a cell in XFD: eight columns kept") << "crafted-xfd-3000-rows.xlsx"
                                                                       << "1|3001|1|";
    QTest::newRow("the last cell of a sheet, beyond the columns read") << "crafted-last-cell.xlsx"
                                                                       << "1|1|1|";
    QTest::newRow(".xls of 2,000,000 rows") << "crafted-xls-rows-beyond.xls"
                                            << "0|0|0|工作表";
    QTest::newRow(".xls of 20,000 columns") << "crafted-xls-columns-beyond.xls"
                                            << "0|0|0|工作表有20000列，超出了工作表的最大列数16384";
    QTest::newRow(".xls declaring 8 GB of cells") << "crafted-xls-8gb.xls"
                                                  << "0|0|0|工作表声明的行列数太大";
}

void TestCraftedWorkbooks::craftedSizesAreRefusedOrCostLittle() {
    QFETCH(QString, file);
    QFETCH(QString, summary);
    const QString read = readInChild(fixture(file), 8, kGiB);
    QVERIFY2(read.startsWith(summary), qPrintable(read));
    if (!summary.startsWith('1'))
        QVERIFY2(read.contains("文件") && read.endsWith(fixture(file)), qPrintable(read));
}

void TestCraftedWorkbooks::runningOutOfMemoryIsAReason() {
    // A sheet of 20 MiB (within the part limit) read with 8 MiB to spare.
    QTemporaryDir dir;
    const QString path = dir.filePath("big.xlsx");
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    QVERIFY(zip);
    const QList<QPair<QByteArray, QByteArray>> parts{
        {"xl/workbook.xml",
         "<workbook xmlns:r=\"r\"><sheets><sheet name=\"a\" r:id=\"s\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels", "<Relationships><Relationship Id=\"s\" Type=\"x/worksheet\" "
                                       "Target=\"sheet.xml\"/></Relationships>"},
        {"xl/sheet.xml",
         "<worksheet><sheetData>" + QByteArray(20 * 1024 * 1024, ' ') + "</sheetData></worksheet>"}};
    for (const auto& part : parts) {
        QCOMPARE(zipOpenNewFileInZip64(zip, part.first.constData(), nullptr, nullptr, 0, nullptr, 0, nullptr,
                                       Z_DEFLATED, Z_BEST_SPEED, 0),
                 ZIP_OK);
        QCOMPARE(zipWriteInFileInZip(zip, part.second.constData(), unsigned(part.second.size())), ZIP_OK);
        QCOMPARE(zipCloseFileInZip(zip), ZIP_OK);
    }
    QCOMPARE(zipClose(zip, nullptr), ZIP_OK);
    const QString read = readInChild(path, 8, 8 * 1024 * 1024);
    QVERIFY2(read.startsWith("0|0|0|" + outOfMemoryReason()), qPrintable(read));
}

void TestCraftedWorkbooks::datesAndBooleansAsTheSpreadsheetShowedThem_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("rows");
    // Saved by a spreadsheet application from dates-booleans.fods: 斗位 typed 3-1 and 12-5 (dates shown
    // m-d), a date column, a Chinese date, a time, a date and time, a boolean, a number, and a number shown
    // as 是/否 by its format (a number in both files). The old format's reader cannot tell a boolean from
    // the number 1.
    const QString header = "名称|斗位|日期|中文日期|时间|日期时间|是否|数量|煎煮";
    QTest::newRow("xlsx")
        << "dates-booleans.xlsx"
        << QStringList{header, "石膏|2025-03-01|2024-12-31|2024-02-29|08:30:00|2024-03-01 14:05:09|TRUE|10|1",
                       "知母|2025-12-05|2000-01-01||||FALSE|2.5|0"};
    QTest::newRow("xls") << "dates-booleans.xls"
                         << QStringList{
                                header,
                                "石膏|2025-03-01|2024-12-31|2024-02-29|08:30:00|2024-03-01 14:05:09|1|10|1",
                                "知母|2025-12-05|2000-01-01||||0|2.5|0"};
    // Crafted: dates counted from 1904, the Chinese built-in m月d日 (58) and the date built-in (14), a
    // custom date and time, a Chinese time, a plain boolean and one whose format says 是/否, a currency
    // number, an ISO date cell.
    QTest::newRow("xlsx of 1904")
        << "formats-1904.xlsx"
        << QStringList{"名称||||||||", "石膏|2024-03-01|2024-12-31|2024-03-01 14:05:09|08:30:00|TRUE|否|2.5|"
                                       "2024-03-01"};
}

void TestCraftedWorkbooks::datesAndBooleansAsTheSpreadsheetShowedThem() {
    QFETCH(QString, file);
    QFETCH(QStringList, rows);
    const ReadResult read = readFirstSheet(fixture(file), 9);
    QVERIFY2(read.ok, qPrintable(read.error));
    QCOMPARE(shownRows(read, 9), rows);
    QVERIFY(cellAt(read.rows.value(1), 7).isNumber() || file.contains("1904"));
}

void TestCraftedWorkbooks::formatKinds_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("code");
    QTest::addColumn<double>("serial");
    QTest::addColumn<QString>("text"); // as a date serial; empty: a number
    QTest::newRow("General") << 164 << "General" << 45717.0 << "";
    QTest::newRow("built-in 0.00") << 2 << "" << 45717.0 << "";
    QTest::newRow("built-in date") << 14 << "" << 45717.0 << "2025-03-01";
    QTest::newRow("built-in Chinese m月d日") << 58 << "" << 45717.0 << "2025-03-01";
    QTest::newRow("built-in Chinese time") << 32 << "" << 0.75 << "18:00:00";
    QTest::newRow("built-in date and time") << 22 << "" << 45717.25 << "2025-03-01 06:00:00";
    QTest::newRow("m-d") << 165 << "m\\-d" << 45717.0 << "2025-03-01";
    QTest::newRow("quoted letters are no codes") << 166 << "0.0\" days\"" << 45717.0 << "";
    QTest::newRow("minutes and seconds") << 167 << "mm:ss" << 0.5 << "12:00:00";
    QTest::newRow("elapsed hours") << 168 << "[h]:mm" << 0.5 << "12:00:00";
    QTest::newRow("colour and locale") << 169 << "[Red][$-804]yyyy\"年\"m\"月\"" << 45717.0 << "2025-03-01";
    QTest::newRow("AM/PM") << 170 << "h:mm AM/PM" << 0.999999 << "00:00:00";
    QTest::newRow("scientific") << 171 << "0.00E+00" << 45717.0 << "";
    QTest::newRow("before 1 March 1900") << 14 << "" << 59.0 << "1900-02-28";
    QTest::newRow("negative") << 14 << "" << -1.0 << "";
}

void TestCraftedWorkbooks::formatKinds() {
    QFETCH(int, id);
    QFETCH(QString, code);
    QFETCH(double, serial);
    QFETCH(QString, text);
    QCOMPARE(serialText(serial, formatKind(id, code), false), text);
}

QTEST_GUILESS_MAIN(TestCraftedWorkbooks)
#include "test_crafted_workbooks.moc"
