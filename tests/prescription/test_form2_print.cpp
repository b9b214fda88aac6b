// "打印" of the prescription window: a missing printer is named and the preview opens; the right-click menu
// offers the preview and a PDF file whose herbs stand in their columns; printing stores nothing.

#include "data/prescriptions.h"
#include "data/settingsrow.h"
#include "form2fixture.h"
#include "pdftext.h"
#include "prescription/printlayout.h"
#include "prescription/sheetactions.h"
#include "prescription/sheetlink.h"
#include "prescription/sheetprint.h"
#include "prescription/toolbar.h"
#include "previews.h"
#include "printing/printui.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"

#include <QCryptographicHash>
#include <QLabel>
#include <QMenu>
#include <QPrintPreviewWidget>
#include <QScrollBar>

using namespace lichuan;

namespace {

QByteArray fileHash(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

void setSettings(test::Form2Fixture& f, const SettingsRow& values) {
    QVERIFY(writeSettingsRow(*f.state.mainDb, values));
    f.settings->drop();
}

using test::closePreviews;
using test::openPreviews;

QString repeated(const QString& line, int count) {
    return QStringList(count, line).join(QStringLiteral("\r\n"));
}

const QString kHerbs = QStringLiteral("黄芪10g       当归6g        石膏[先煎]30g \r\n白术10g       茯苓12g");

} // namespace

class TestForm2Print : public QObject {
    Q_OBJECT
private slots:
    void aMissingPrinterIsNamedAndThePreviewOpens();
    void theRightClickOffersPreviewAndPdf();
    void thePdfHoldsTheHerbsInTheirColumns();
    void aPdfThatCannotBeWrittenIsReported();
    void theSettingsWindowPreviewsOtherMargins();
    void itemLinesAsShownFollowTheBoxWidth();
    void itemLinesFollowTheScrollBar_data();
    void itemLinesFollowTheScrollBar();
    void printAsksToSaveAnUnsavedSheet_data();
    void printAsksToSaveAnUnsavedSheet();
};

void TestForm2Print::aMissingPrinterIsNamedAndThePreviewOpens() {
    test::Form2Fixture f;
    setSettings(f, {{QStringLiteral("处方打印机"), QStringLiteral("诊室打印机")}});
    Form2& form = f.open();
    form.sheet.Text5[kName]->setText(QStringLiteral("张三"));
    form.sheet.R1->setText(kHerbs);
    const QByteArray before = fileHash(f.state.MainConnStr);

    // Printed without saving (否 to the question whether to save first).
    f.messages.threeWayAnswer = Messages::Answer::No;
    QTest::mousePress(form.toolbar.Label18[Toolbar::Print], Qt::LeftButton);
    QTest::mouseRelease(form.toolbar.Label18[Toolbar::Print], Qt::LeftButton);
    QCOMPARE(f.messages.shown.size(), 2);
    QCOMPARE(f.messages.shown.at(0), Toolbar::kSaveBeforePrinting);
    QVERIFY2(f.messages.shown.at(1).contains(QStringLiteral("诊室打印机")),
             qPrintable(f.messages.shown.at(1)));
    const QList<printing::PreviewWindow*> previews = openPreviews();
    QCOMPARE(previews.size(), 1);
    QCOMPARE(previews.at(0)->windowTitle(), QStringLiteral("打印预览"));
    previews.at(0)->previewWidget()->updatePreview();
    QCOMPARE(previews.at(0)->previewWidget()->pageCount(), 1);
    bool found = false;
    for (const printing::TextOp* text : previews.at(0)->document().texts())
        found = found || text->text == QStringLiteral("张三");
    QVERIFY(found);

    // Nothing was saved: the database file is as it was and the sheet still counts as unsaved.
    QCOMPARE(fileHash(f.state.MainConnStr), before);
    QVERIFY(!form.state.saved);
    closePreviews();
}

void TestForm2Print::theRightClickOffersPreviewAndPdf() {
    test::Form2Fixture f;
    Form2& form = f.open();
    form.sheet.R1->setText(kHerbs);
    QTest::mousePress(form.toolbar.Label18[Toolbar::Print], Qt::RightButton);
    QTest::mouseRelease(form.toolbar.Label18[Toolbar::Print], Qt::RightButton);
    QMenu* menu = form.toolbarActions().printMenu();
    QTRY_VERIFY(menu->isVisible());
    QVERIFY(f.messages.shown.isEmpty()); // the right click printed nothing
    QStringList entries;
    for (QAction* action : menu->actions())
        entries << action->text();
    QCOMPARE(entries, (QStringList{QStringLiteral("打印预览"), QStringLiteral("输出PDF")}));
    menu->hide();

    menu->actions().at(0)->trigger();
    QCOMPARE(openPreviews().size(), 1);
    closePreviews();

    QTemporaryDir dir;
    const QString chosen = dir.filePath(QStringLiteral("张三的处方"));
    f.files.answer = [&] { return chosen; };
    menu->actions().at(1)->trigger();
    QVERIFY(QFile::exists(chosen + QStringLiteral(".pdf")));
    QVERIFY(f.messages.shown.isEmpty());
}

void TestForm2Print::thePdfHoldsTheHerbsInTheirColumns() {
    test::Form2Fixture f;
    setSettings(f, {{QStringLiteral("左边距"), QStringLiteral("20")},
                    {QStringLiteral("上边距"), QStringLiteral("10")}});
    Form2& form = f.open();
    form.sheet.Text5[kName]->setText(QStringLiteral("李四"));
    form.sheet.R1->setText(kHerbs);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("处方.pdf"));
    QVERIFY(form.toolbarActions().exportPdf(pdf));

    const std::vector<test::PdfWord> words = test::pdfWords(pdf);
    const test::PdfWord* first = test::findWord(words, QStringLiteral("黄芪10g"));
    const test::PdfWord* second = test::findWord(words, QStringLiteral("当归6g"));
    const test::PdfWord* fourth = test::findWord(words, QStringLiteral("白术10g"));
    const test::PdfWord* fifth = test::findWord(words, QStringLiteral("茯苓12g"));
    const test::PdfWord* name = test::findWord(words, QStringLiteral("李四"));
    QVERIFY2(first && second && fourth && fifth && name, qPrintable(test::pdfLayoutText(pdf)));
    // Left margin 20 mm: 10 mm (28.35 points) right of the sheet's own place; items at the box's left.
    QVERIFY2(qAbs(first->xMin - (660 + 567) / 20.0) < 0.6, qPrintable(QString::number(first->xMin)));
    QVERIFY(qAbs(second->xMin - first->xMin - 2154.6 / 20) < 0.6);
    QVERIFY(qAbs(fourth->xMin - first->xMin) < 0.6);
    QVERIFY(qAbs(fifth->xMin - second->xMin) < 0.6);
    QVERIFY2(qAbs(fourth->yMin - first->yMin - 420 / 20.0) < 1,
             qPrintable(QString::number(fourth->yMin - first->yMin)));
    QVERIFY(qAbs(first->yMin - 2640 * 1.2 / 20) < 2);
    // The text of the page in reading order.
    const QString text = test::pdfLayoutText(pdf);
    QStringList order{QStringLiteral("笺"),      QStringLiteral("李四"),    QStringLiteral("黄芪10g"),
                      QStringLiteral("当归6g"),  QStringLiteral("石膏"),    QStringLiteral("30g"),
                      QStringLiteral("白术10g"), QStringLiteral("茯苓12g"), QStringLiteral("医师：")};
    int at = -1;
    for (const QString& piece : order) {
        const int next = text.indexOf(piece, at + 1);
        QVERIFY2(next > at, qPrintable(piece + QStringLiteral("\n") + text));
        at = next;
    }
}

void TestForm2Print::aPdfThatCannotBeWrittenIsReported() {
    test::Form2Fixture f;
    Form2& form = f.open();
    QTemporaryDir dir;
    QVERIFY(!form.toolbarActions().exportPdf(dir.filePath(QStringLiteral("没有的文件夹/处方.pdf"))));
    QCOMPARE(f.messages.shown.size(), 1);
    QVERIFY(f.messages.shown.at(0).contains(QStringLiteral("没有写成")));
}

void TestForm2Print::theSettingsWindowPreviewsOtherMargins() {
    test::Form2Fixture f;
    Form2& form = f.open();
    SheetLink link([&] { return &form; });
    link.previewPrescription(QStringLiteral("20"), QStringLiteral("15"));
    const QList<printing::PreviewWindow*> previews = openPreviews();
    QCOMPARE(previews.size(), 1);
    for (const printing::TextOp* text : previews.at(0)->document().texts()) {
        if (text->text == QStringLiteral("姓名：")) {
            QCOMPARE(text->x, 300 * 1.2 + 567);
            QVERIFY(qAbs(text->y - (1080 * 1.2 + 5 * 56.7)) < 1e-6);
        }
    }
    closePreviews();
}

void TestForm2Print::itemLinesAsShownFollowTheBoxWidth() {
    test::Form2Fixture f;
    Form2& form = f.open();
    SheetLink link([&] { return &form; });
    const QString longLine =
        QStringLiteral("用法：水煎服，每日一剂，早晚分服，饭后温服，忌食生冷油腻辛辣之物");
    form.sheet.R1->setText(QStringLiteral("黄芪10g\r\n") + longLine);
    const QStringList wide = link.itemLinesAsShown();
    QCOMPARE(wide.first(), QStringLiteral("黄芪10g"));
    QVERIFY(wide.size() >= 3);
    QCOMPARE(wide.mid(1).join(QString()), longLine);
    QCOMPARE(wide, itemBoxLines(form.sheet.R1->text(), sheetgeometry::Layout::WideHerbal));
    // Hidden, the box shows the same lines.
    form.hide();
    QCOMPARE(link.itemLinesAsShown(), wide);
}

void TestForm2Print::itemLinesFollowTheScrollBar_data() {
    QTest::addColumn<int>("layout");
    QTest::addColumn<QString>("items");
    QTest::addColumn<bool>("scrolls");
    // Twenty lines fill the wide box; 24 characters fill a line of it all but 9 pixels.
    const QString edge = QString(24, QChar(u'服'));
    const int wide = int(sheetgeometry::Layout::WideHerbal);
    QTest::newRow("20 lines") << wide << repeated(QStringLiteral("黄芪"), 20) << false;
    QTest::newRow("21 lines") << wide << repeated(QStringLiteral("黄芪"), 21) << true;
    QTest::newRow("19 lines, one wrapped") << wide << repeated(QStringLiteral("黄芪"), 20) + edge << true;
    QTest::newRow("full lines") << wide << repeated(edge, 30) << true;
    QTest::newRow("western") << int(sheetgeometry::Layout::Western)
                             << repeated(QStringLiteral("阿莫西林胶囊[0.25g*24粒] 2盒 口服 每日三次"), 14)
                             << true;
}

void TestForm2Print::itemLinesFollowTheScrollBar() {
    QFETCH(int, layout);
    QFETCH(QString, items);
    QFETCH(bool, scrolls);
    test::Form2Fixture f;
    Form2& form = f.open();
    SheetLink link([&] { return &form; });
    form.actions().applyLayout(sheetgeometry::Layout(layout));
    CrLfTextEdit* r1 = form.sheet.R1;
    r1->setText(items);
    QApplication::processEvents();
    // The printout and 引用处方 take the lines the box shows.
    const QStringList shown = test::shownLines(r1);
    QCOMPARE(link.itemLinesAsShown(), shown);
    QCOMPARE(printedSheet(sheetContent(form)).itemLines, shown);
    // The bar shows exactly while the text is taller than the box (as the box itself counts), at its width.
    QCOMPARE(r1->verticalScrollBar()->isVisible(), scrolls);
    QCOMPARE(r1->verticalScrollBar()->maximum() > 0, scrolls);
    const int boxPixels = sheetgeometry::itemsRect(sheetgeometry::Layout(layout)).width / 15;
    QCOMPARE(r1->viewport()->width(), boxPixels - (scrolls ? sheetgeometry::kItemsScrollBarPixels : 0));
}

void TestForm2Print::printAsksToSaveAnUnsavedSheet_data() {
    QTest::addColumn<int>("before"); // 0 new, 1 saved, 2 saved and changed
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("printed");
    QTest::addColumn<bool>("stored"); // the row holds the sheet as it is
    using A = Messages::Answer;
    QTest::newRow("new, 是") << 0 << QStringLiteral("张三") << int(A::Yes) << true << true;
    QTest::newRow("new, 否") << 0 << QStringLiteral("张三") << int(A::No) << true << false;
    QTest::newRow("new, 取消") << 0 << QStringLiteral("张三") << int(A::Cancel) << false << false;
    QTest::newRow("new, 是, not stored") << 0 << QString() << int(A::Yes) << false << false;
    QTest::newRow("saved") << 1 << QStringLiteral("张三") << int(A::Cancel) << true << true;
    QTest::newRow("changed, 是") << 2 << QStringLiteral("张三") << int(A::Yes) << true << true;
    QTest::newRow("changed, 取消") << 2 << QStringLiteral("张三") << int(A::Cancel) << false << false;
}

void TestForm2Print::printAsksToSaveAnUnsavedSheet() {
    QFETCH(int, before);
    QFETCH(QString, name);
    QFETCH(int, answer);
    QFETCH(bool, printed);
    QFETCH(bool, stored);
    test::Form2Fixture f;
    setSettings(f, {{QStringLiteral("处方打印机"), QStringLiteral("诊室打印机")}});
    Form2& form = f.open();
    form.sheet.Text5[kName]->setText(name);
    form.sheet.R1->setText(kHerbs);
    if (before > 0)
        form.toolbarActions().run(Toolbar::Save);
    if (before > 1)
        form.sheet.R1->setText(form.sheet.R1->text() + QStringLiteral("甘草6g"));
    f.messages.threeWayAnswer = Messages::Answer(answer);
    form.toolbarActions().run(Toolbar::Print);
    QCOMPARE(f.messages.shown.contains(Toolbar::kSaveBeforePrinting), before != 1);
    QCOMPARE(f.messages.shown.contains(QStringLiteral("打印机“诊室打印机”没有安装，不能打印。")), printed);
    QCOMPARE(openPreviews().size(), printed ? 1 : 0);
    const std::optional<SheetRecord> row = loadPrescription(*f.state.mainDb, form.sheet.Label4);
    QCOMPARE(row && row->items == form.sheet.R1->text(), stored);
    closePreviews();
}

QTEST_MAIN(TestForm2Print)
#include "test_form2_print.moc"
