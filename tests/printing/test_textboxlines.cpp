// The lines of a text box computed from its width and font agree with what a real text box shows, and do
// not depend on the box being shown.

#include "printing/fonts.h"
#include "printing/textboxlines.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QtTest>

using namespace lichuan::printing;

namespace {

// Items padded to 13 columns, a Chinese character counting two.
QString padded(const QStringList& items) {
    QString line;
    for (const QString& item : items) {
        int columns = 0;
        for (const QChar c : item)
            columns += c.unicode() < 0x80 ? 1 : 2;
        line += item + QString(qMax(1, 13 - columns), QLatin1Char(' '));
    }
    return line;
}

const QString kHerbs =
    padded({QStringLiteral("黄芪10g"), QStringLiteral("当归6g"), QStringLiteral("石膏[先煎]30g"),
            QStringLiteral("白术10g"), QStringLiteral("茯苓12g"), QStringLiteral("甘草6g")});

// The lines a shown plain text box of `widthTwips` lays the text out in.
QStringList shownLines(const QString& text, const QFont& font, int widthTwips) {
    QPlainTextEdit box;
    box.setFrameShape(QFrame::NoFrame);
    box.setFont(font);
    box.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box.setWordWrapMode(QTextOption::WrapAnywhere);
    box.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box.setGeometry(0, 0, widthTwips / 15, 2000);
    box.setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    box.show();
    QApplication::processEvents();
    QStringList lines;
    for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next()) {
        QTextLayout* layout = block.layout();
        if (layout->lineCount() == 0) {
            lines << QString();
            continue;
        }
        for (int i = 0; i < layout->lineCount(); ++i)
            lines << block.text().mid(layout->lineAt(i).textStart(), layout->lineAt(i).textLength());
    }
    return lines;
}

} // namespace

class TextBoxLinesTest : public QObject {
    Q_OBJECT
private slots:
    void linesAreThoseOfAShownBox_data();
    void linesAreThoseOfAShownBox();
    void logicalLinesAndEmptyLines();
};

void TextBoxLinesTest::linesAreThoseOfAShownBox_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::newRow("herbs, wide") << kHerbs << 5655;
    QTest::newRow("herbs, narrow") << kHerbs << 5115;
    QTest::newRow("western")
        << QStringLiteral("阿莫西林胶囊{0.25g*24} 2盒\r\n用法：口服，一次2粒，一日3次，饭后服用，连服七天")
        << 4575;
    QTest::newRow("long word") << QStringLiteral(
                                      "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghij")
                               << 4575;
}

void TextBoxLinesTest::linesAreThoseOfAShownBox() {
    QFETCH(QString, text);
    QFETCH(int, width);
    const QFont font = printerFont(QStringLiteral("宋体"), 11.25, false);
    const QStringList computed = textBoxLines(text, font, width);
    QCOMPARE(computed, shownLines(text, font, width));
    QVERIFY(computed.size() > 1);
}

void TextBoxLinesTest::logicalLinesAndEmptyLines() {
    const QFont font = printerFont(QStringLiteral("宋体"), 11.25, false);
    QCOMPARE(textBoxLines(QString(), font, 5655), QStringList{QString()});
    QCOMPARE(textBoxLines(QStringLiteral("桂枝10g\r\n\r\n用法：水煎服"), font, 5655),
             (QStringList{QStringLiteral("桂枝10g"), QString(), QStringLiteral("用法：水煎服")}));
    // A herbal line of three items (13 columns each) stays one line in every layout of the item box; six
    // items without a line break wrap inside the fourth.
    const QString three =
        padded({QStringLiteral("黄芪10g"), QStringLiteral("当归6g"), QStringLiteral("白术10g")});
    for (const int width : {5655, 5115, 4575})
        QCOMPARE(textBoxLines(three, font, width), QStringList{three});
    const QStringList wrapped = textBoxLines(kHerbs, font, 5655);
    QCOMPARE(wrapped.size(), 2);
    QVERIFY(wrapped.at(0).startsWith(three.left(22)));
    QCOMPARE(wrapped.join(QString()), kHerbs);
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ensureSongFace();
    TextBoxLinesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_textboxlines.moc"
