// "打  印" of the log through a real print server: the test starts its own cupsd with a PDF printer as the
// default printer, prints the log book from the window as the doctor does, and reads the PDF the queue made.

#include "app/messages.h"
#include "app/state.h"
#include "cupsserver.h"
#include "data/clock.h"
#include "printing/output.h"
#include "reportdata.h"
#include "reports/form7.h"
#include "settings/settingsstore.h"

#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>
#include <QtTest>

using namespace lichuan;

namespace {

QString pdfInfo(const QString& pdf) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    info.waitForFinished(30000);
    return QString::fromUtf8(info.readAllStandardOutput());
}

bool complete(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.size() > 64 && file.seek(file.size() - 32) &&
           file.readAll().contains("%%EOF");
}

// The first complete PDF job file that appears in ~/PDF and was not there before.
QString waitForNewPdf(const QStringList& before, int timeoutMs = 60000) {
    const QDir out(QDir::home().filePath(QStringLiteral("PDF")));
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < timeoutMs) {
        for (const QString& name : out.entryList({QStringLiteral("*-job_*.pdf")}, QDir::Files)) {
            if (!before.contains(name) && complete(out.filePath(name)))
                return out.filePath(name);
        }
        QCoreApplication::processEvents();
        QThread::msleep(200);
    }
    return {};
}

QStringList pdfFiles() {
    return QDir(QDir::home().filePath(QStringLiteral("PDF")))
        .entryList({QStringLiteral("*-job_*.pdf")}, QDir::Files);
}

} // namespace

class TestLogPrintCups : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theLogBookComesOutOfTheDefaultQueue() {
        test::CupsServer cups;
        if (!cups.start())
            QSKIP(qPrintable(QStringLiteral("no print server can run here: ") + cups.whyNot()));
        const QString queue = QStringLiteral("LogPDF%1").arg(QCoreApplication::applicationPid());
        QVERIFY2(cups.addPdfQueue(queue, {QStringLiteral("PageSize=A4")}), qPrintable(cups.whyNot()));
        QProcess lpadmin;
        lpadmin.start(QStringLiteral("lpadmin"),
                      {QStringLiteral("-h"), cups.socket(), QStringLiteral("-d"), queue});
        QVERIFY(lpadmin.waitForFinished(30000) && lpadmin.exitCode() == 0);
        QCOMPARE(printing::systemDefaultPrinter(), queue);

        test::ClinicData data;
        for (int i = 0; i < 15; ++i)
            data.addPrescription(QStringLiteral("2017-02-01"), QStringLiteral("患者%1").arg(i));
        ProcessState state;
        state.DataFolder = data.dir.path();
        state.mainDb = std::move(data.main);
        SettingsStore settings(state.mainDb.get(), QString(), [] { return QString(); });
        FixedClock clock(QDateTime(QDate(2017, 2, 15), QTime(9, 0)));
        RecordingMessages messages;
        Navigator navigator;
        Services services{state, settings, clock, messages, navigator};
        Form7 form(services);
        form.show();

        const QStringList before = pdfFiles();
        QTest::mouseClick(form.Command3, Qt::LeftButton);
        QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.shown.join('\n') + cups.errorLog()));
        const QString pdf = waitForNewPdf(before);
        QVERIFY2(!pdf.isEmpty(), qPrintable(cups.errorLog()));
        const QString info = pdfInfo(pdf);
        QFile::remove(pdf);
        // Fifteen entries: two pages, landscape A4.
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))), qPrintable(info));
        const QRegularExpressionMatch size =
            QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+)")).match(info);
        QVERIFY2(size.hasMatch(), qPrintable(info));
        QVERIFY2(size.captured(1).toDouble() > size.captured(2).toDouble(), qPrintable(info));
    }
};

QTEST_MAIN(TestLogPrintCups)
#include "test_log_print_cups.moc"
