// The Qt backend and the PDF file: what the surface recorded lands on the page where it was drawn, a PDF is
// written completely or not at all, and a print on a printer that is not there says so.

#include "pdftext.h"
#include "printing/output.h"
#include "printing/surface.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QtTest>

using namespace lichuan::printing;
using namespace lichuan::test;

class OutputTest : public QObject {
    Q_OBJECT
private slots:
    void textsAndPagesLandWhereTheyWereDrawn();
    void landscapeDocumentsGiveLandscapePages();
    void aPdfReplacesTheOldFileAndLeavesNoTemporaryFile();
    void aPdfThatCannotBeWrittenIsReported();
    void printingOnAMissingPrinterSaysSo();
};

void OutputTest::textsAndPagesLandWhereTheyWereDrawn() {
    Surface surface;
    surface.setFont(QStringLiteral("宋体"), 14, false);
    surface.setPosition(1440, 2880); // one inch, two inches: 72 and 144 points
    surface.print(QStringLiteral("黄芪10g"), false);
    surface.setX(1440 + 2154.6);
    surface.print(QStringLiteral("当归6g"), true);
    surface.line(1440, 4320, 7200, 4320);
    surface.newPage();
    surface.setPosition(720, 720);
    surface.print(QStringLiteral("第二页"), true);
    const Document document = surface.endDocument();

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("处方.pdf"));
    const OutputResult result = writePdf(document, pdf, PageSetup{QPageSize(QPageSize::A5), {}});
    QVERIFY2(result.ok, qPrintable(result.message));

    const std::vector<PdfWord> words = pdfWords(pdf);
    const PdfWord* first = findWord(words, QStringLiteral("黄芪10g"));
    const PdfWord* second = findWord(words, QStringLiteral("当归6g"));
    const PdfWord* other = findWord(words, QStringLiteral("第二页"));
    QVERIFY2(first && second && other, qPrintable(pdfLayoutText(pdf)));
    QCOMPARE(first->page, 1);
    QVERIFY2(qAbs(first->xMin - 72) < 0.5, qPrintable(QString::number(first->xMin)));
    // The text's top at 144 points: the box of a 14-point text starts there and is about 14 points high.
    QVERIFY2(qAbs(first->yMin - 144) < 2, qPrintable(QString::number(first->yMin)));
    QVERIFY(first->yMax - first->yMin > 12 && first->yMax - first->yMin < 18);
    QVERIFY2(qAbs(second->xMin - (72 + 2154.6 / 20)) < 0.5, qPrintable(QString::number(second->xMin)));
    QCOMPARE(other->page, 2);
    QVERIFY(qAbs(other->xMin - 36) < 0.5);

    const QString layout = pdfLayoutText(pdf);
    QVERIFY(layout.indexOf(QStringLiteral("黄芪10g")) < layout.indexOf(QStringLiteral("当归6g")));
    QCOMPARE(layout.count(QLatin1Char('\f')), 2); // two pages
}

void OutputTest::landscapeDocumentsGiveLandscapePages() {
    QTemporaryDir dir;
    Surface surface;
    surface.setOrientation(Orientation::Landscape);
    surface.print(QStringLiteral("门诊日志"), true);
    const QString landscape = dir.filePath(QStringLiteral("log.pdf"));
    QVERIFY(writePdf(surface.endDocument(), landscape).ok);
    surface.print(QStringLiteral("处方"), true);
    const QString portrait = dir.filePath(QStringLiteral("rx.pdf"));
    QVERIFY(writePdf(surface.endDocument(), portrait).ok);

    auto pageSize = [](const QString& pdf) {
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {pdf});
        info.waitForFinished(30000);
        const QRegularExpression size(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+)"));
        const QRegularExpressionMatch m = size.match(QString::fromUtf8(info.readAllStandardOutput()));
        return QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
    };
    const QSizeF wide = pageSize(landscape);
    const QSizeF upright = pageSize(portrait);
    QVERIFY2(wide.width() > wide.height(), "the log's page is not landscape");
    QVERIFY2(upright.width() < upright.height(), "the prescription after the log is not upright");
}

void OutputTest::aPdfReplacesTheOldFileAndLeavesNoTemporaryFile() {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    {
        QFile old(pdf);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    Surface surface;
    surface.print(QStringLiteral("新内容"), true);
    QVERIFY(QFile::setPermissions(pdf,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    QVERIFY(writePdf(surface.endDocument(), pdf).ok);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("out.pdf")});
    // The new file keeps the old one's permissions; a new file is readable by others.
    const QFileDevice::Permissions kept = QFile::permissions(pdf);
    QVERIFY(kept.testFlag(QFileDevice::ReadGroup) && !kept.testFlag(QFileDevice::ReadOther));
    const QString fresh = dir.filePath(QStringLiteral("new.pdf"));
    surface.print(QStringLiteral("新文件"), true);
    QVERIFY(writePdf(surface.endDocument(), fresh).ok);
    QVERIFY(QFile::permissions(fresh) & QFileDevice::ReadOther);
    QVERIFY(QFile::remove(fresh));
    QVERIFY(pdfLayoutText(pdf).contains(QStringLiteral("新内容")));

    // An empty document writes nothing: the file stays as it was.
    QVERIFY(writePdf(surface.endDocument(), pdf).ok);
    QVERIFY(pdfLayoutText(pdf).contains(QStringLiteral("新内容")));
}

void OutputTest::aPdfThatCannotBeWrittenIsReported() {
    QTemporaryDir dir;
    Surface surface;
    surface.print(QStringLiteral("处方"), true);
    const Document document = surface.endDocument();
    const QString missing = dir.filePath(QStringLiteral("没有的文件夹/处方.pdf"));
    const OutputResult result = writePdf(document, missing);
    QVERIFY(!result.ok);
    QVERIFY2(result.message.contains(QStringLiteral("没有写成")), qPrintable(result.message));
    QVERIFY(!QFile::exists(missing));

    // A folder in place of the file: the rename fails, the temporary file is removed.
    const QString folder = dir.filePath(QStringLiteral("target.pdf"));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/inside")));
    const OutputResult blocked = writePdf(document, folder);
    QVERIFY(!blocked.ok);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{});
}

void OutputTest::printingOnAMissingPrinterSaysSo() {
    Surface surface;
    surface.print(QStringLiteral("处方"), true);
    const Document document = surface.endDocument();
    const QString name = QStringLiteral("诊室打印机-没有安装");
    QVERIFY(!installedPrinters().contains(name));
    const OutputResult result = printDocument(document, name);
    QVERIFY(!result.ok);
    QVERIFY2(result.message.contains(name), qPrintable(result.message));
    // Nothing drawn: nothing to print, nothing to complain about.
    QVERIFY(printDocument(surface.endDocument(), name).ok);
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    OutputTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_output.moc"
