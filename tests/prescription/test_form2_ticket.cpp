// The pick-up ticket from the prescription window: the button beside "按斗位排序" with its key and its
// right-click menu (its PDF file read back), a sheet not settled priced for the ticket and left as it was, a
// missing ticket printer, the ticket after every settlement when the settings ask for it.

#include "data/settingsrow.h"
#include "form2fixture.h"
#include "pdftext.h"
#include "prescription/ticketpanel.h"
#include "pricingsupport.h"
#include "printing/output.h"
#include "printing/printui.h"
#include "ui/crlftextedit.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

using namespace lichuan;
using test::typeField;

namespace {

const QString kTicketPrinter = QStringLiteral("取药单机");
const QString kHerbs = QStringLiteral("巴戟10g      阿胶[烊化]6g  艾叶3g       ");

void store(test::Form2Fixture& f, const SettingsRow& values) {
    QVERIFY(writeSettingsRow(*f.state.mainDb, values));
    f.settings->drop();
}

// The open preview windows' documents; the windows are closed.
std::vector<printing::Document> takePreviews() {
    std::vector<printing::Document> documents;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* preview = qobject_cast<printing::PreviewWindow*>(window)) {
            documents.push_back(preview->document());
            delete preview;
        }
    }
    return documents;
}

QStringList texts(const printing::Document& document) {
    QStringList found;
    for (const printing::TextOp* op : document.texts())
        found << op->text;
    return found;
}

// A herbal sheet of 7 doses for 王五 with three herbs written out of drawer order.
Form2& herbalSheet(test::Form2Fixture& f) {
    Form2& form = f.openActive();
    typeField(form, kName, QStringLiteral("王五"));
    form.sheet.Text6->setText(QStringLiteral("7"));
    form.sheet.R1->setText(kHerbs);
    return form;
}

} // namespace

class TestForm2Ticket : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theButtonStandsBesideTheDrawerSort();
    void aSheetNotSettledIsPricedForTheTicketOnly();
    void afterSettlement_data();
    void afterSettlement();
};

void TestForm2Ticket::theButtonStandsBesideTheDrawerSort() {
    test::Form2Fixture f;
    Form2& form = herbalSheet(f);
    QPushButton* ticket = form.pricing.ticketButton;
    QVERIFY(ticket->isVisible() && ticket->y() == form.pricing.Command12->y());
    QVERIFY(ticket->x() >= form.pricing.Command12->geometry().right() &&
            ticket->geometry().right() <= form.width());
    // Four buttons in the row where three were, every caption still whole.
    for (QPushButton* button : {form.pricing.Command4, form.pricing.Command9, form.pricing.Command12, ticket})
        QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) + 8 <= button->width(),
                 qPrintable(button->text()));

    // A right click offers the preview and the PDF file, as on "打印"; the file reads back.
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5), ticket->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(ticket, &rightClick);
    QMenu* menu = form.ticketPanel().menu();
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->actions().size(), 2);
    QCOMPARE(menu->actions().at(0)->text(), QStringLiteral("打印预览"));
    QCOMPARE(menu->actions().at(1)->text(), QStringLiteral("输出PDF"));
    menu->hide();
    const QString path = f.dir.filePath(QStringLiteral("取药单"));
    f.files.answers << path;
    menu->actions().at(1)->trigger();
    QVERIFY2(f.messages.shown.isEmpty(), qPrintable(f.messages.shown.join(u'|')));
    const QString text = test::pdfLayoutText(path + QStringLiteral(".pdf"));
    QVERIFY2(text.contains(QStringLiteral("阿胶[烊化]")) &&
                 text.indexOf(QStringLiteral("A2")) < text.indexOf(QStringLiteral("C1")),
             qPrintable(text));
}

void TestForm2Ticket::aSheetNotSettledIsPricedForTheTicketOnly() {
    test::Form2Fixture f;
    store(f, {{QStringLiteral("打印机3"), kTicketPrinter}});
    Form2& form = herbalSheet(f);
    // The key, as the doctor presses it.
    QTest::keyClick(form.sheet.Text5[kName], Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);

    // The printer is not installed: named in one message, and the preview opens with the ticket.
    QCOMPARE(f.messages.shown, QStringList{printing::printerMissingMessage(kTicketPrinter)});
    const std::vector<printing::Document> previews = takePreviews();
    QCOMPARE(previews.size(), std::size_t(1));
    const QString shown = texts(previews.front()).join(u'|');
    for (const char* expected : {"栎川中医诊所|取药单", "姓名：王五", "剂数：7",
                                 "A2|6|42|g|阿胶[烊化]|B5|3|21|g|艾叶|C1|10|70|g|巴戟",
                                 "合计金额：54.41元|烊化：阿胶", "医师：李明|发药：王芳"})
        QVERIFY2(shown.contains(QString::fromUtf8(expected)), qPrintable(expected + (u' ' + shown)));

    // Neither settled nor saved, the sheet as it was.
    QVERIFY(form.sheet.Label5.isEmpty());
    QCOMPARE(form.sheet.R1->text(), kHerbs);
    QVERIFY(form.pricing.Lb2[0]->text().isEmpty());
    QCOMPARE(test::rowCount(*f.state.mainDb, QStringLiteral("档案")), 0);
    QCOMPARE(test::rowCount(*f.state.statsDb, QStringLiteral("统计")), 0);

    // Nothing to price: nothing is printed, and the doctor is told.
    f.messages.shown.clear();
    form.sheet.R1->setText(QStringLiteral("不在目录中的药10g"));
    form.ticketPanel().print();
    QCOMPARE(f.messages.shown, QStringList{TicketPanel::kNothingToPrint});
    QVERIFY(takePreviews().empty());
}

void TestForm2Ticket::afterSettlement_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("patient");
    QTest::addColumn<bool>("printed");
    QTest::newRow("ticked") << "1"
                            << "王五" << true;
    QTest::newRow("not ticked") << "0"
                                << "王五" << false;
    QTest::newRow("older file: empty") << ""
                                       << "王五" << false;
    QTest::newRow("ticked, the save refused: no name") << "1"
                                                       << "" << false;
}

void TestForm2Ticket::afterSettlement() {
    QFETCH(QString, option);
    QFETCH(QString, patient);
    QFETCH(bool, printed);
    test::Form2Fixture f;
    store(f, {{QStringLiteral("打印机3"), kTicketPrinter}, {QStringLiteral("结算后打印取药单"), option}});
    Form2& form = herbalSheet(f);
    form.sheet.Text5[kName]->setText(patient);
    QTest::keyClick(form.sheet.Text5[kName], Qt::Key_F9);

    const std::vector<printing::Document> previews = takePreviews();
    QCOMPARE(previews.size(), std::size_t(printed ? 1 : 0));
    QCOMPARE(f.messages.shown.contains(printing::printerMissingMessage(kTicketPrinter)), printed);
    if (!printed)
        return;
    QCOMPARE(form.sheet.Label5, kSettledMarker);
    // The settled lines as they stand: a quantity changed on the sheet is what the dispenser hands out.
    const QStringList shown = texts(previews.front());
    QVERIFY2(shown.contains(QStringLiteral("70")) && shown.contains(QStringLiteral("42")),
             qPrintable(shown.join(u'|')));
    form.pricing.Lb3[0]->setText(QStringLiteral("60"));
    f.messages.shown.clear();
    form.pricing.ticketButton->click();
    const std::vector<printing::Document> again = takePreviews();
    QCOMPARE(again.size(), std::size_t(1));
    QVERIFY2(texts(again.front()).contains(QStringLiteral("60")),
             qPrintable(texts(again.front()).join(u'|')));
}

QTEST_MAIN(TestForm2Ticket)
#include "test_form2_ticket.moc"
