// "打  印" of the log through a real print server: the test starts its own cupsd with an A4 queue as the
// default printer, prints the log book from the window as the doctor does, and reads back the job the
// queue was handed: its pages, its paper, and every entry at the place the program's own PDF of the log
// puts it.

#include "cupsserver.h"
#include "data/clock.h"
#include "pdftext.h"
#include "printing/output.h"
#include "reportdata.h"
#include "reports/form7.h"
#include "session/messages.h"
#include "session/state.h"
#include "settings/settingsstore.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>
#include <QtTest>
#include <cmath>

using namespace lichuan;

class TestLogPrintCups : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theLogBookComesOutOfTheDefaultQueue() {
        test::CupsServer cups;
        if (!cups.start())
            LICHUAN_SKIP(QStringLiteral("no print server can run here: ") + cups.whyNot());
        const QString queue = QStringLiteral("LogPDF%1").arg(QCoreApplication::applicationPid());
        QVERIFY2(cups.addQueue(queue, QPageSize(QPageSize::A4)), qPrintable(cups.whyNot()));
        QVERIFY2(cups.setDefault(queue), qPrintable(cups.whyNot()));
        QCOMPARE(printing::systemDefaultPrinter(), queue);

        // Fifteen entries: fourteen fill the first page, the fifteenth starts the second. The names carry
        // this run's number, so that the job is told from those of any other run.
        auto chinese = [](int number, int digits) {
            QString text;
            for (int d = 0; d < digits; ++d, number /= 10)
                text.prepend(QStringLiteral("〇一二三四五六七八九").at(number % 10));
            return text;
        };
        const QString run = chinese(int(QCoreApplication::applicationPid() % 1000), 3);
        auto patient = [&](int i) { return QStringLiteral("患") + run + chinese(i, 2); };
        test::ClinicData data;
        for (int i = 0; i < 15; ++i)
            data.addPrescription(QStringLiteral("2017-02-01"), patient(i));
        ProcessState state;
        state.DataFolder = data.dir.path();
        state.mainDb = std::move(data.main);
        SettingsStore settings(state.mainDb.get(), QString(), [] { return QString(); });
        FixedClock clock(QDateTime(QDate(2017, 2, 15), QTime(9, 0)));
        RecordingMessages messages;
        Navigator navigator;
        test::ScriptedFileChooser files;
        Services services{state, settings, clock, messages, navigator, files};
        Form7 form(services);
        form.show();

        // The program's own PDF of the same log on the same paper: where each entry belongs.
        QTemporaryDir own;
        const QString ownPdf = own.filePath(QStringLiteral("log.pdf"));
        QVERIFY(printing::writePdf(form.logBook(), ownPdf, printing::pageSetupFor(queue)).ok);
        const std::vector<test::PdfWord> expected = test::pdfWords(ownPdf);

        QTest::mouseClick(form.Command3, Qt::LeftButton);
        QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.shown.join('\n') + cups.errorLog()));
        const QString pdf = cups.waitForJobHolding(patient(0));
        QVERIFY2(!pdf.isEmpty(), qPrintable(cups.errorLog()));
        const QString info = test::pdfInfo(pdf);
        const std::vector<test::PdfWord> words = test::pdfWords(pdf);
        QFile::remove(pdf);

        // Two landscape pages of A4, as the program laid them out (the printer's driver turns them onto
        // the paper).
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))), qPrintable(info));
        QVERIFY2(info.contains(QStringLiteral("842 x 595 pts (A4)")), qPrintable(info));

        // Every entry on its page, where the program's own PDF has it: at (x + a, y + b) for its (x, y),
        // with one a and one b for the whole document.
        const test::PdfWord* origin = test::findWord(words, patient(0));
        const test::PdfWord* originOwn = test::findWord(expected, patient(0));
        QVERIFY(origin && originOwn);
        const double a = origin->xMin - originOwn->xMin;
        const double b = origin->yMin - originOwn->yMin;
        for (int i = 0; i < 15; ++i) {
            const test::PdfWord* printed = test::findWord(words, patient(i));
            const test::PdfWord* drawn = test::findWord(expected, patient(i));
            QVERIFY2(printed && drawn, qPrintable(patient(i)));
            QCOMPARE(printed->page, i < 14 ? 1 : 2);
            QCOMPARE(drawn->page, printed->page);
            QVERIFY2(std::abs(printed->xMin - (drawn->xMin + a)) < 2 &&
                         std::abs(printed->yMin - (drawn->yMin + b)) < 2,
                     qPrintable(QStringLiteral("%1 at %2,%3; drawn at %4,%5")
                                    .arg(patient(i))
                                    .arg(printed->xMin)
                                    .arg(printed->yMin)
                                    .arg(drawn->xMin)
                                    .arg(drawn->yMin)));
        }
        // Entries run down the landscape page, at one left edge.
        const test::PdfWord* last = test::findWord(words, patient(13));
        QVERIFY2(last->yMin - origin->yMin > 300, qPrintable(QString::number(last->yMin - origin->yMin)));
        QVERIFY(std::abs(last->xMin - origin->xMin) < 2);
        // The title, the physician and the page number on both pages.
        for (const QString& text : {QStringLiteral("门"), QStringLiteral("医师："), QStringLiteral("页")}) {
            int pages = 0;
            for (int page = 1; page <= 2; ++page) {
                for (const test::PdfWord& word : words) {
                    if (word.page == page && word.text == text) {
                        ++pages;
                        break;
                    }
                }
            }
            QVERIFY2(pages == 2, qPrintable(text));
        }
    }
};

QTEST_MAIN(TestLogPrintCups)
#include "test_log_print_cups.moc"
