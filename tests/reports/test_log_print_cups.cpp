// "打  印" of the log through a real print server: the test starts its own cupsd with a PDF printer as the
// default printer, prints the log book from the window as the doctor does, and reads back the PDF the queue
// made: its pages, its paper, and every entry at the place the program's own PDF of the log puts it.

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
#include <QProcess>
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
            QSKIP(qPrintable(QStringLiteral("no print server can run here: ") + cups.whyNot()));
        const QString queue = QStringLiteral("LogPDF%1").arg(QCoreApplication::applicationPid());
        // Ghostscript's PostScript turns the text into unreadable glyph pictures; cairo's keeps the text.
        QVERIFY2(cups.addPdfQueue(queue, {QStringLiteral("PageSize=A4"),
                                          QStringLiteral("pdftops-renderer-default=pdftocairo")}),
                 qPrintable(cups.whyNot()));
        QProcess lpadmin;
        lpadmin.start(QStringLiteral("lpadmin"),
                      {QStringLiteral("-h"), cups.socket(), QStringLiteral("-d"), queue});
        QVERIFY(lpadmin.waitForFinished(30000) && lpadmin.exitCode() == 0);
        QCOMPARE(printing::systemDefaultPrinter(), queue);

        // Fifteen entries: fourteen fill the first page, the fifteenth starts the second. The names carry
        // this run's number, so that the job is told from those of any other run.
        // (Chinese digits: the queue's fonts keep Chinese text readable, not Latin digits.)
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

        const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
        QTest::mouseClick(form.Command3, Qt::LeftButton);
        QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.shown.join('\n') + cups.errorLog()));
        const QString pdf = test::waitForJobHolding(since, patient(0));
        QVERIFY2(!pdf.isEmpty(), qPrintable(cups.errorLog()));
        const QString info = test::pdfInfo(pdf);
        const std::vector<test::PdfWord> words = test::pdfWords(pdf);
        QFile::remove(pdf);

        // Two sheets of A4, upright as the paper runs through the printer.
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))), qPrintable(info));
        QVERIFY2(info.contains(QStringLiteral("595 x 842 pts (A4)")), qPrintable(info));

        // Every entry on its page, and the page turned a quarter: a landscape page on the sheet. Where the
        // program's PDF has a word at (x, y) of the landscape page, the sheet has it at (y + a, b − x),
        // with one a and one b for the whole page.
        const test::PdfWord* origin = test::findWord(words, patient(0));
        const test::PdfWord* originOwn = test::findWord(expected, patient(0));
        QVERIFY(origin && originOwn);
        const double a = origin->xMin - originOwn->yMin;
        const double b = origin->yMax + originOwn->xMin;
        for (int i = 0; i < 15; ++i) {
            const test::PdfWord* printed = test::findWord(words, patient(i));
            const test::PdfWord* drawn = test::findWord(expected, patient(i));
            QVERIFY2(printed && drawn, qPrintable(patient(i)));
            QCOMPARE(printed->page, i < 14 ? 1 : 2);
            QCOMPARE(drawn->page, printed->page);
            QVERIFY2(std::abs(printed->xMin - (drawn->yMin + a)) < 2 &&
                         std::abs(printed->yMax - (b - drawn->xMin)) < 2,
                     qPrintable(QStringLiteral("%1 at %2,%3; drawn at %4,%5")
                                    .arg(patient(i))
                                    .arg(printed->xMin)
                                    .arg(printed->yMax)
                                    .arg(drawn->xMin)
                                    .arg(drawn->yMin)));
        }
        // Entries run down the landscape page: across the sheet, on one height.
        const test::PdfWord* last = test::findWord(words, patient(13));
        QVERIFY(last->xMin - origin->xMin > 300);
        QVERIFY(std::abs(last->yMax - origin->yMax) < 2);
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
