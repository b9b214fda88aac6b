// "打印病历" through a real print server: the test starts its own cupsd with an A5 queue as the record
// printer, prints the record from the window as the doctor does, and reads back the job the queue was
// handed: its pages and paper, and the record's texts at the places the program's own PDF of the record
// puts them.

#include "cupsserver.h"
#include "data/settingsrow.h"
#include "pdftext.h"
#include "printing/output.h"
#include "recordfixture.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>
#include <QtTest>
#include <cmath>

using namespace lichuan;

namespace {

// A number written in Chinese digits.
QString chineseDigits(int number, int digits) {
    QString text;
    for (int d = 0; d < digits; ++d, number /= 10)
        text.prepend(QStringLiteral("〇一二三四五六七八九").at(number % 10));
    return text;
}

} // namespace

class TestRecordPrintCups : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theRecordComesOutOfTheRecordPrinter() {
        test::CupsServer cups;
        if (!cups.start())
            LICHUAN_SKIP(QStringLiteral("no print server can run here: ") + cups.whyNot());
        const QString queue = QStringLiteral("RecordPDF%1").arg(QCoreApplication::applicationPid());
        QVERIFY2(cups.addQueue(queue, QPageSize(QPageSize::A5)), qPrintable(cups.whyNot()));

        test::RecordFixture f;
        QVERIFY(writeSettingsRow(*f.sheet.state.mainDb, SettingsRow{{QStringLiteral("打印机2"), queue}}));
        f.sheet.settings->drop();
        // The patient's name carries this run's number, so that the job is told from any other run's.
        const QString patient =
            QStringLiteral("病人") + chineseDigits(int(QCoreApplication::applicationPid() % 1000), 3);
        f.form().sheet.Text5[kName]->setText(patient);
        Form14& record = f.openRecord();
        record.Text2[kComplaint]->setText(QStringLiteral("咳嗽三天"));
        record.Text2[kPresentIllness]->setText(QStringLiteral("受凉后咳嗽，咳白痰，无发热。") +
                                               QString(30, QChar(u'咳')));
        record.Text2[kChineseDiagnosis]->setText(QStringLiteral("风寒咳嗽"));
        record.Text2[2]->setText(
            QStringLiteral("幼年麻疹史，十年前行阑尾切除术，否认肝炎结核等传染病史，"
                           "否认高血压糖尿病史，否认外伤输血史，预防接种随社会进行，无特殊。"));
        QStringList treatment;
        for (int i = 1; i <= 12; ++i)
            treatment << QStringLiteral("第") + chineseDigits(i, 2) + QStringLiteral("日继服");
        record.Text2[kTreatment]->setText(treatment.join(QStringLiteral("\r\n")));

        // The program's own PDF of the same record on the same paper: where each text belongs.
        QTemporaryDir own;
        const QString ownPdf = own.filePath(QStringLiteral("record.pdf"));
        QVERIFY(printing::writePdf(record.printedRecord(), ownPdf, printing::pageSetupFor(queue)).ok);
        const std::vector<test::PdfWord> expected = test::pdfWords(ownPdf);

        QTest::mouseClick(record.Command1, Qt::LeftButton);
        QVERIFY2(f.sheet.messages.shown.isEmpty(),
                 qPrintable(f.sheet.messages.shown.join('\n') + cups.errorLog()));
        const QString pdf = cups.waitForJobHolding(patient);
        QVERIFY2(!pdf.isEmpty(), qPrintable(cups.errorLog()));
        const QString info = test::pdfInfo(pdf);
        const std::vector<test::PdfWord> words = test::pdfWords(pdf);
        QFile::remove(pdf);

        // Every word on the paper: the history of 60 characters wraps onto three lines.
        for (const test::PdfWord& word : words)
            QVERIFY2(word.xMax <= 421, qPrintable(word.text));
        // Six treatment lines on the first page, the other six on the second: two upright A5 pages.
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))), qPrintable(info));
        QVERIFY2(info.contains(QStringLiteral("420 x 595 pts (A5)")), qPrintable(info));

        // Every Chinese text at its place: where the program's PDF has it at (x, y), the queue's has it at
        // (x + a, y + b), with one a and one b for the whole document.
        const QString name = QStringLiteral("姓名：") + patient;
        const test::PdfWord* origin = test::findWord(words, name);
        const test::PdfWord* originOwn = test::findWord(expected, name);
        QVERIFY2(origin && originOwn, qPrintable(test::pdfLayoutText(ownPdf)));
        const double a = origin->xMin - originOwn->xMin;
        const double b = origin->yMin - originOwn->yMin;
        QVERIFY2(std::abs(a) < 30 && std::abs(b) < 30, qPrintable(QStringLiteral("%1 %2").arg(a).arg(b)));
        QStringList checked{name, QStringLiteral("咳嗽三天"), QStringLiteral("风寒咳嗽")};
        checked << treatment;
        for (const QString& text : checked) {
            const test::PdfWord* printed = test::findWord(words, text);
            const test::PdfWord* drawn = test::findWord(expected, text);
            QVERIFY2(printed && drawn, qPrintable(text));
            QCOMPARE(printed->page, drawn->page);
            QVERIFY2(std::abs(printed->xMin - (drawn->xMin + a)) < 1.5 &&
                         std::abs(printed->yMin - (drawn->yMin + b)) < 1.5,
                     qPrintable(QStringLiteral("%1 at %2,%3; drawn at %4,%5")
                                    .arg(text)
                                    .arg(printed->xMin)
                                    .arg(printed->yMin)
                                    .arg(drawn->xMin)
                                    .arg(drawn->yMin)));
        }
        QCOMPARE(test::findWord(words, treatment.at(5))->page, 1);
        QCOMPARE(test::findWord(words, treatment.at(6))->page, 2);
        // The header copy and the doctor on both pages.
        for (int page = 1; page <= 2; ++page) {
            int found = 0;
            for (const test::PdfWord& word : words)
                found += word.page == page &&
                         (word.text == name || word.text.startsWith(QStringLiteral("医师：")));
            QVERIFY2(found == 2, qPrintable(QString::number(page)));
        }
    }
};

QTEST_MAIN(TestRecordPrintCups)
#include "test_record_print_cups.moc"
