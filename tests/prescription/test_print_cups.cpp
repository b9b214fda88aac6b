// "打印" through a real print server: the test starts its own cupsd with an A5 queue, prints the sheet on
// it as the doctor does, and reads the job the queue was handed. A queue that refuses jobs is reported;
// a queue's paper, however it was set, is the page of its jobs.

#include "cupsserver.h"
#include "data/audit.h"
#include "data/settingsrow.h"
#include "form2fixture.h"
#include "prescription/toolbar.h"
#include "printing/output.h"
#include "printing/surface.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"

#include <QLabel>
#include <QProcess>
#include <QRegularExpression>

using namespace lichuan;

namespace {

void clickPrint(Form2& form) {
    QTest::mousePress(form.toolbar.Label18[Toolbar::Print], Qt::LeftButton);
    QTest::mouseRelease(form.toolbar.Label18[Toolbar::Print], Qt::LeftButton);
}

} // namespace

class TestPrintCups : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void thePrescriptionComesOutOfTheQueue();
    void aQueueThatRefusesTheJobIsReported();
    void noDefaultPrinterIsSaid();
    void theQueuesPaperIsThePage_data();
    void theQueuesPaperIsThePage();

private:
    test::CupsServer cups_;
    QString queue_;
};

void TestPrintCups::initTestCase() {
    if (!cups_.start())
        LICHUAN_SKIP(QStringLiteral("no print server can run here: ") + cups_.whyNot());
    queue_ = QStringLiteral("RxPDF%1").arg(QCoreApplication::applicationPid());
    QVERIFY2(cups_.addQueue(queue_, QPageSize(QPageSize::A5)), qPrintable(cups_.whyNot()));
    QVERIFY2(printing::installedPrinters().contains(queue_),
             qPrintable(printing::installedPrinters().join(',')));
    // The paper the queue is set up with is the paper the page is laid onto.
    QCOMPARE(printing::pageSetupFor(queue_).pageSize.id(), QPageSize::A5);
}

void TestPrintCups::thePrescriptionComesOutOfTheQueue() {
    test::Form2Fixture f;
    const QString title = test::CupsServer::uniqueTitle(QStringLiteral("Clinic"));
    QVERIFY(writeSettingsRow(*f.state.mainDb,
                             {{QStringLiteral("处方打印机"), queue_}, {QStringLiteral("单位名称"), title}}));
    f.settings->drop();
    Form2& form = f.open();
    form.sheet.Text5[kName]->setText(QStringLiteral("王五"));
    form.sheet.R1->setText(QStringLiteral("黄芪10g       当归6g        石膏[先煎]30g "));
    const QString systemDefault = printing::systemDefaultPrinter();

    // Printed as it is (否 to saving it first).
    f.messages.threeWayAnswer = Messages::Answer::No;
    clickPrint(form);
    QVERIFY2(f.messages.shown == QStringList{Toolbar::kSaveBeforePrinting},
             qPrintable(f.messages.shown.join('\n') + cups_.errorLog()));
    // The job is titled with the sheet's first line, the clinic's name.
    const QString pdf = cups_.waitForJob(title);
    QVERIFY2(!pdf.isEmpty(), qPrintable(cups_.errorLog()));
    const QString info = test::pdfInfo(pdf);
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
    QVERIFY2(info.contains(QStringLiteral("(A5)")), qPrintable(info));
    // The sheet's own text on it, as the program wrote it.
    const QString text = test::pdfLayoutText(pdf);
    QVERIFY2(text.contains(QStringLiteral("王五")) && text.contains(QStringLiteral("石膏")),
             qPrintable(text));
    // The system's default printer is left as it was.
    QCOMPARE(printing::systemDefaultPrinter(), systemDefault);
    // The log names the print, the prescription and the printer.
    const std::vector<audit::Line> lines =
        audit::lines(*f.state.mainDb, {QDate(2000, 1, 1), QDate(2100, 1, 1), audit::kPrinted, QString()});
    QCOMPARE(lines.size(), std::size_t(1));
    QCOMPARE(lines.front().name, QStringLiteral("王五"));
    QCOMPARE(lines.front().key, form.sheet.Label4);
    QCOMPARE(lines.front().text, QStringLiteral("处方（%1）").arg(queue_));
}

void TestPrintCups::aQueueThatRefusesTheJobIsReported() {
    QProcess reject;
    reject.start(QStringLiteral("cupsreject"), {QStringLiteral("-h"), cups_.socket(), queue_});
    QVERIFY(reject.waitForFinished(30000) && reject.exitCode() == 0);

    test::Form2Fixture f;
    QVERIFY(writeSettingsRow(*f.state.mainDb, {{QStringLiteral("处方打印机"), queue_}}));
    f.settings->drop();
    Form2& form = f.open();
    f.messages.threeWayAnswer = Messages::Answer::No;
    clickPrint(form);
    QCOMPARE(f.messages.shown.size(), 2);
    QVERIFY2(f.messages.shown.at(1).contains(queue_) &&
                 f.messages.shown.at(1).contains(QStringLiteral("没有接受打印任务")),
             qPrintable(f.messages.shown.at(1)));
    // The preview stands in, so that the sheet can still go elsewhere.
    bool previewShown = false;
    for (QWidget* w : QApplication::topLevelWidgets())
        previewShown = previewShown || (w->isVisible() && w->windowTitle() == QStringLiteral("打印预览"));
    QVERIFY(previewShown);
    // Nothing was printed, so nothing is noted.
    QVERIFY(
        audit::lines(*f.state.mainDb, {QDate(2000, 1, 1), QDate(2100, 1, 1), QString(), QString()}).empty());

    QProcess accept;
    accept.start(QStringLiteral("cupsaccept"), {QStringLiteral("-h"), cups_.socket(), queue_});
    accept.waitForFinished(30000);
}

void TestPrintCups::noDefaultPrinterIsSaid() {
    // The test's server has none; a default of the user's own (~/.cups/lpoptions) would still count.
    if (!printing::systemDefaultPrinter().isEmpty())
        LICHUAN_SKIP(QStringLiteral("this user has a default printer: ") + printing::systemDefaultPrinter());
    printing::Surface surface;
    surface.print(QStringLiteral("处方"), true);
    const printing::OutputResult result = printing::printDocument(surface.endDocument(), QString());
    QVERIFY(!result.ok);
    QVERIFY2(result.message.contains(QStringLiteral("没有默认打印机")), qPrintable(result.message));
}

void TestPrintCups::theQueuesPaperIsThePage_data() {
    QTest::addColumn<QSizeF>("queuePaper"); // millimetres
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QSizeF>("page"); // millimetres
    const QSizeF a4(210, 297);
    const QSizeF a5(148, 210);
    QTest::newRow("an A5 queue") << a5 << QStringList() << a5;
    QTest::newRow("an A4 queue set to A5 with media=") << a4 << QStringList{QStringLiteral("media=A5")} << a5;
    QTest::newRow("an A4 queue set to A5 with PageSize=")
        << a4 << QStringList{QStringLiteral("PageSize=A5")} << a5;
    QTest::newRow("an 80 mm receipt roll") << QSizeF(80, 297) << QStringList() << QSizeF(80, 297);
}

void TestPrintCups::theQueuesPaperIsThePage() {
    QFETCH(QSizeF, queuePaper);
    QFETCH(QStringList, options);
    QFETCH(QSizeF, page);
    static int made = 0;
    const QString queue = QStringLiteral("Paper%1").arg(++made);
    QVERIFY2(cups_.addQueue(queue, QPageSize(queuePaper, QPageSize::Millimeter), options),
             qPrintable(cups_.whyNot()));
    printing::Surface surface;
    surface.print(QStringLiteral("纸张"), true);
    const QString title = test::CupsServer::uniqueTitle(queue);
    const printing::OutputResult printed = printing::printDocument(surface.endDocument(), queue, title);
    QVERIFY2(printed.ok, qPrintable(printed.message));
    const QString pdf = cups_.waitForJob(title);
    QVERIFY2(!pdf.isEmpty(), qPrintable(cups_.errorLog()));
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts"))
            .match(test::pdfInfo(pdf));
    QVERIFY(size.hasMatch());
    const QSizeF points = QPageSize(page, QPageSize::Millimeter).size(QPageSize::Point);
    QVERIFY2(std::abs(size.captured(1).toDouble() - points.width()) < 1 &&
                 std::abs(size.captured(2).toDouble() - points.height()) < 1,
             qPrintable(size.captured(0)));
    QVERIFY(test::pdfLayoutText(pdf).contains(QStringLiteral("纸张")));
}

QTEST_MAIN(TestPrintCups)
#include "test_print_cups.moc"
