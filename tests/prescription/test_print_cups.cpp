// "打印" through a real print server: the test starts its own cupsd with a PDF printer, prints the sheet on
// it as the doctor does, and finds the PDF the printer made. A queue that refuses jobs is reported.

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

private:
    test::CupsServer cups_;
    QString queue_;
};

void TestPrintCups::initTestCase() {
    if (!cups_.start())
        QSKIP(qPrintable(QStringLiteral("no print server can run here: ") + cups_.whyNot()));
    queue_ = QStringLiteral("RxPDF%1").arg(QCoreApplication::applicationPid());
    QVERIFY2(cups_.addPdfQueue(queue_, {QStringLiteral("PageSize=A5")}), qPrintable(cups_.whyNot()));
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

    clickPrint(form);
    QVERIFY2(f.messages.shown.isEmpty(), qPrintable(f.messages.shown.join('\n') + cups_.errorLog()));
    // The job is titled with the sheet's first line, the clinic's name.
    const QString pdf = cups_.waitForPdf(title);
    QVERIFY2(!pdf.isEmpty(), qPrintable(cups_.errorLog()));
    const QString info = test::pdfInfo(pdf);
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
    QVERIFY2(info.contains(QStringLiteral("(A5)")), qPrintable(info));
    // A page with something on it (an empty page is about 1 KB).
    QVERIFY2(QFileInfo(pdf).size() > 2000, qPrintable(QString::number(QFileInfo(pdf).size())));
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
    clickPrint(form);
    QCOMPARE(f.messages.shown.size(), 1);
    QVERIFY2(f.messages.shown.at(0).contains(queue_) &&
                 f.messages.shown.at(0).contains(QStringLiteral("没有接受打印任务")),
             qPrintable(f.messages.shown.at(0)));
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
    if (!printing::systemDefaultPrinter().isEmpty())
        QSKIP("the server has a default printer");
    printing::Surface surface;
    surface.print(QStringLiteral("处方"), true);
    const printing::OutputResult result = printing::printDocument(surface.endDocument(), QString());
    QVERIFY(!result.ok);
    QVERIFY2(result.message.contains(QStringLiteral("没有默认打印机")), qPrintable(result.message));
}

QTEST_MAIN(TestPrintCups)
#include "test_print_cups.moc"
