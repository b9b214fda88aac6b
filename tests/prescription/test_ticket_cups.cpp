// "取药单" through a real print server: queues with A5 paper and with an 80 mm receipt roll, the ticket
// printed on each as the dispenser does, and the PDF each queue made: the paper the queue has, the roll cut
// as long as the ticket's lines.

#include "cupsserver.h"
#include "data/settingsrow.h"
#include "form2fixture.h"
#include "loudskip.h"
#include "prescription/ticketlayout.h"
#include "prescription/ticketpanel.h"
#include "pricingsupport.h"
#include "printing/output.h"
#include "ui/crlftextedit.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

using namespace lichuan;

class TestTicketCups : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void theTicketComesOutOfTheQueue_data();
    void theTicketComesOutOfTheQueue();

private:
    test::CupsServer cups_;
};

void TestTicketCups::initTestCase() {
    if (!cups_.start())
        LICHUAN_SKIP(QStringLiteral("no print server can run here: ") + cups_.whyNot());
}

void TestTicketCups::theTicketComesOutOfTheQueue_data() {
    QTest::addColumn<QPageSize>("paper");
    QTest::addColumn<double>("width");  // millimetres
    QTest::addColumn<double>("height"); // of the paper; 0 for a roll cut to the ticket's length
    QTest::newRow("A5 sheets") << QPageSize(QPageSize::A5) << 148.0 << 210.0;
    QTest::newRow("80 mm roll") << QPageSize(QSizeF(80, 297), QPageSize::Millimeter) << 80.0 << 0.0;
}

void TestTicketCups::theTicketComesOutOfTheQueue() {
    QFETCH(QPageSize, paper);
    QFETCH(double, width);
    QFETCH(double, height);
    const QString queue = QStringLiteral("Ticket%1_%2")
                              .arg(QTest::currentDataTag()[0] == 'A' ? "A5" : "Roll")
                              .arg(QCoreApplication::applicationPid());
    QVERIFY2(cups_.addQueue(queue, paper), qPrintable(cups_.whyNot()));
    const TicketPaper ticket = ticketPaper(printing::pageSetupFor(queue));
    QVERIFY2(qAbs(ticket.width - width) < 0.5, qPrintable(QString::number(ticket.width)));
    QCOMPARE(isRoll(ticket), height == 0);

    test::Form2Fixture f;
    // The job is titled with the ticket's first line, the clinic's name.
    const QString title = test::CupsServer::uniqueTitle(QStringLiteral("Ticket"));
    QVERIFY(writeSettingsRow(*f.state.mainDb,
                             {{QStringLiteral("打印机3"), queue}, {QStringLiteral("单位名称"), title}}));
    f.settings->drop();
    Form2& form = f.open();
    form.sheet.Text5[kName]->setText(QStringLiteral("王五"));
    form.sheet.Text6->setText(QStringLiteral("7"));
    form.sheet.R1->setText(QStringLiteral("巴戟10g      阿胶[烊化]6g  艾叶3g       "));
    const printing::Document laidOut = form.ticketPanel().document(printing::pageSetupFor(queue));

    QTest::mouseClick(form.pricing.ticketButton, Qt::LeftButton);
    QVERIFY2(f.messages.shown.isEmpty(), qPrintable(f.messages.shown.join('\n') + cups_.errorLog()));
    const QString pdf = cups_.waitForJob(title);
    QVERIFY2(!pdf.isEmpty(), qPrintable(cups_.errorLog()));
    const QString info = test::pdfInfo(pdf);
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(info);
    QVERIFY2(size.hasMatch(), qPrintable(info));
    const double mmPerPoint = 25.4 / 72;
    QVERIFY2(qAbs(size.captured(1).toDouble() * mmPerPoint - width) < 1, qPrintable(info));
    // A sheet keeps its paper; the roll is cut where the ticket ends, not at the queue's 297 mm.
    const double expected = height > 0 ? height : laidOut.paperSize.height();
    QVERIFY2(height > 0 || expected < 200, qPrintable(QString::number(expected)));
    QVERIFY2(qAbs(size.captured(2).toDouble() * mmPerPoint - expected) < 1,
             qPrintable(info + QString::number(expected)));
    QVERIFY2(QFileInfo(pdf).size() > 2000, qPrintable(QString::number(QFileInfo(pdf).size())));
}

QTEST_MAIN(TestTicketCups)
#include "test_ticket_cups.moc"
