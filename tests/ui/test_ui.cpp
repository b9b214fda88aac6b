#include "ui/appearance.h"
#include "ui/crlftextedit.h"
#include "ui/picklist.h"
#include "ui/placement.h"
#include "ui/qtmessages.h"
#include "ui/twips.h"

#include <QAbstractButton>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBlock>
#include <QTimer>
#include <QtTest>

using namespace lichuan;

namespace {

// Each character as a key press that carries it (the way a keyboard layout delivers U+00A0, say).
void typeCharacters(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

} // namespace

class TestUi : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void songFaceIsUmingWithHalfWidthSpaces();
    void qtOwnTextsAreChinese();
    void passwordFieldShowsAsterisks();
    void messageBoxes_data();
    void messageBoxes();
    void threeWayQuestion();
    void centredPositionShiftsAndClamps_data();
    void centredPositionShiftsAndClamps();
    void mdiChildIsPlacedByItsOuterSize();
    void multiLineBoxKeepsTheTextVerbatim();
    void pickListMakesOnlyTheTextsItShows();
};

void TestUi::initTestCase() {
    installFontSubstitutions();
    installQtTranslation(*QCoreApplication::instance());
}

void TestUi::songFaceIsUmingWithHalfWidthSpaces() {
    for (const QString& family : {QStringLiteral("宋体"), QStringLiteral("SimSun")}) {
        const QFont font(family, 9);
        QCOMPARE(QFontInfo(font).family(), QStringLiteral("AR PL UMing CN"));
        // The herbal columns pad with spaces: two spaces or two digits must be exactly one Chinese character.
        const QFontMetrics metrics(font);
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("  ")),
                 metrics.horizontalAdvance(QStringLiteral("中")));
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("10")),
                 metrics.horizontalAdvance(QStringLiteral("中")));
    }
    QCOMPARE(windowFont().family(), QStringLiteral("宋体"));
}

void TestUi::qtOwnTextsAreChinese() {
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
}

void TestUi::passwordFieldShowsAsterisks() {
    QLineEdit field;
    showAsPassword(field);
    QTest::keyClicks(&field, QStringLiteral("Ab9"));
    QCOMPARE(field.text(), QStringLiteral("Ab9"));
    QCOMPARE(field.displayText(), QStringLiteral("***"));
    // A second field shares the style; the first keeps working when the second goes away.
    {
        QLineEdit other;
        showAsPassword(other);
        other.setText(QStringLiteral("x"));
        QCOMPARE(other.displayText(), QStringLiteral("*"));
    }
    field.setText(QStringLiteral("1234"));
    QCOMPARE(field.displayText(), QStringLiteral("****"));
}

void TestUi::messageBoxes_data() {
    QTest::addColumn<bool>("question");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<int>("expectedIcon");
    QTest::newRow("inform") << false << int(Messages::Icon::None) << QStringList{QStringLiteral("确定")}
                            << int(QMessageBox::NoIcon);
    QTest::newRow("question") << true << int(Messages::Icon::None)
                              << QStringList{QStringLiteral("确定"), QStringLiteral("取消")}
                              << int(QMessageBox::NoIcon);
    QTest::newRow("warning") << true << int(Messages::Icon::Warning)
                             << QStringList{QStringLiteral("确定"), QStringLiteral("取消")}
                             << int(QMessageBox::Warning);
}

void TestUi::messageBoxes() {
    QFETCH(bool, question);
    QFETCH(int, icon);
    QFETCH(QStringList, buttons);
    QFETCH(int, expectedIcon);
    auto box = makeMessageBox(QStringLiteral("密码错误！"), question, Messages::Icon(icon), nullptr);
    QCOMPARE(box->windowTitle(), QStringLiteral("提示"));
    QCOMPARE(box->text(), QStringLiteral("密码错误！"));
    QCOMPARE(int(box->icon()), expectedIcon);
    QStringList texts;
    for (QAbstractButton* button : box->buttons()) {
        texts << button->text();
        QVERIFY2(button->icon().isNull(), "buttons carry no icon");
    }
    texts.sort();
    buttons.sort();
    QCOMPARE(texts, buttons);
    QCOMPARE(static_cast<QAbstractButton*>(box->defaultButton()), box->button(QMessageBox::Ok));
    QCOMPARE(box->escapeButton(), box->button(question ? QMessageBox::Cancel : QMessageBox::Ok));

    // Enter answers 确定; Esc answers 取消 for a question.
    QTimer::singleShot(0, box.get(), [&box] { QTest::keyClick(box.get(), Qt::Key_Escape); });
    QCOMPARE(box->exec(), question ? int(QMessageBox::Cancel) : int(QMessageBox::Ok));
}

void TestUi::threeWayQuestion() {
    // "是", "否", "取消" under the title "提示"; Esc puts the question off.
    QStringList captions;
    QTimer::singleShot(0, [&captions] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        captions << box->windowTitle();
        for (QAbstractButton* button : box->buttons())
            captions << button->text();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    QtMessages messages;
    QCOMPARE(messages.askYesNoCancel(QStringLiteral("处方尚未保存，是否先保存再打印？")),
             Messages::Answer::Cancel);
    captions.sort();
    QCOMPARE(captions, (QStringList{QStringLiteral("取消"), QStringLiteral("否"), QStringLiteral("提示"),
                                    QStringLiteral("是")}));
}

void TestUi::centredPositionShiftsAndClamps_data() {
    QTest::addColumn<QSize>("area");
    QTest::addColumn<QSize>("child");
    QTest::addColumn<QPoint>("expected");
    // 150 twips are 10 pixels, 450 twips 30 pixels.
    QTest::newRow("roomy") << QSize(1366, 732) << QSize(1017, 668) << QPoint(164, 2);
    QTest::newRow("odd sizes") << QSize(1001, 801) << QSize(400, 300) << QPoint(290, 220);
    QTest::newRow("child larger than area") << QSize(800, 600) << QSize(1017, 668) << QPoint(0, 0);
    QTest::newRow("only the shift overflows") << QSize(1030, 700) << QSize(1017, 668) << QPoint(0, 0);
}

void TestUi::centredPositionShiftsAndClamps() {
    QFETCH(QSize, area);
    QFETCH(QSize, child);
    QFETCH(QPoint, expected);
    QCOMPARE(centredPosition(area, child), expected);
    QCOMPARE(centredPosition(area, child, 0, 0), QPoint(std::max(0, (area.width() - child.width()) / 2),
                                                        std::max(0, (area.height() - child.height()) / 2)));
}

void TestUi::mdiChildIsPlacedByItsOuterSize() {
    QMdiArea area;
    area.resize(1200, 900);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    auto* content = new QWidget;
    content->setFixedSize(twips::size(6000, 4500));
    QMdiSubWindow* sub = area.addSubWindow(content);
    sub->show();
    sub->adjustSize();
    QVERIFY(sub->width() > content->width());
    QVERIFY(sub->height() > content->height());
    placeMdiChild(area, *sub);
    QCOMPARE(sub->pos(), centredPosition(area.viewport()->size(), sub->frameGeometry().size()));
    QCOMPARE(sub->x(), (area.viewport()->width() - sub->width()) / 2 - 10);
    QCOMPARE(sub->y(), (area.viewport()->height() - sub->height()) / 2 - 30);
}

void TestUi::multiLineBoxKeepsTheTextVerbatim() {
    CrLfTextEdit box;
    box.show();
    // A no-break space, a line separator and a tab are characters of the text, not spaces or breaks; only
    // the box's own line breaks are "\r\n".
    const QString text = QStringLiteral("当归\u00a010g\u2028黄芪\t9g\r\n\r\n挂号费 1");
    box.setText(text);
    QCOMPARE(box.text(), text);
    QCOMPARE(box.toPlainText().size(), text.size() - 2); // one character per break in the widget

    // The caret counts in the stored text: after the first break, "\r\n" counts two, U+2028 one.
    box.setCaret(int(text.indexOf(QStringLiteral("挂号费"))));
    QCOMPARE(box.caret(), int(text.indexOf(QStringLiteral("挂号费"))));
    QVERIFY(box.textCursor().block().text().startsWith(QStringLiteral("挂号费")));
    box.setCaret(int(text.indexOf(QStringLiteral("黄芪"))));
    QCOMPARE(box.caret(), int(text.indexOf(QStringLiteral("黄芪"))));

    // Typed: the no-break space stays, and Shift+Enter breaks the line as Enter does.
    box.setText(QString());
    typeCharacters(&box, QStringLiteral("川芎\u00a06g"));
    QTest::keyClick(&box, Qt::Key_Return, Qt::ShiftModifier);
    typeCharacters(&box, QStringLiteral("白芷"));
    QTest::keyClick(&box, Qt::Key_Return);
    QCOMPARE(box.text(), QStringLiteral("川芎\u00a06g\r\n白芷\r\n"));
    QCOMPARE(box.caret(), int(box.text().size()));

    // Inserted and appended text keeps its characters too.
    box.insertAtCaret(QStringLiteral("a\u2028b\tc"));
    box.append(QStringLiteral("\r\n\u00a0"));
    QCOMPARE(box.text(), QStringLiteral("川芎\u00a06g\r\n白芷\r\na\u2028b\tc\r\n\u00a0"));
}

QTEST_MAIN(TestUi)
void TestUi::pickListMakesOnlyTheTextsItShows() {
    PickList list;
    list.resize(200, 160);
    QSet<int> asked;
    list.setEntries(50000, [&asked](int row) {
        asked.insert(row);
        return QStringLiteral("病人%1").arg(row);
    });
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QCOMPARE(list.count(), 50000);
    QVERIFY2(asked.size() < 100, qPrintable(QString::number(asked.size())));
    QCOMPARE(list.text(49999), QStringLiteral("病人49999"));
    QVERIFY(list.text(50000).isEmpty());
    QVERIFY(list.text(-1).isEmpty());
    list.setCurrentRow(7);
    QCOMPARE(list.currentRow(), 7);

    // Plain texts replace made ones; the selection goes with them.
    list.setEntries({QStringLiteral("甲"), QStringLiteral("乙")});
    QCOMPARE(list.entries(), (QStringList{QStringLiteral("甲"), QStringLiteral("乙")}));
    QCOMPARE(list.currentRow(), -1);
    list.clear();
    QCOMPARE(list.count(), 0);
    QVERIFY(list.text(0).isEmpty());
}

#include "test_ui.moc"
