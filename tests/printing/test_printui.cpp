// The preview window and the print button's helper: a print that cannot be done is explained and the
// preview opens instead, which shows the pages and saves them as a PDF file.

#include "pdftext.h"
#include "printing/printui.h"
#include "printing/surface.h"
#include "session/messages.h"
#include "testsupport.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QtTest>

using namespace lichuan;
using namespace lichuan::printing;
using namespace lichuan::test;

namespace {

Document twoPages(Orientation orientation) {
    Surface surface;
    surface.setOrientation(orientation);
    surface.setFont(QStringLiteral("宋体"), 14, true);
    surface.setPosition(1440, 1440);
    surface.print(QStringLiteral("处  方  笺"), true);
    surface.line(300, 2000, 6000, 2000);
    surface.newPage();
    surface.print(QStringLiteral("第二页"), true);
    return surface.endDocument();
}

} // namespace

class PrintUiTest : public QObject {
    Q_OBJECT
private slots:
    void aMissingPrinterIsNamedAndThePreviewOpens();
    void thePreviewShowsEveryPageInTheDocumentsOrientation();
    void thePreviewSavesAPdf();
    void anEmptyDocumentDoesNothing();
};

void PrintUiTest::aMissingPrinterIsNamedAndThePreviewOpens() {
    QMainWindow main;
    auto* area = new QMdiArea(&main);
    main.setCentralWidget(area);
    auto* sheet = new QWidget;
    area->addSubWindow(sheet)->show();
    main.show();

    RecordingMessages messages;
    ScriptedFileChooser files;
    const QString name = QStringLiteral("药房打印机");
    const OutputResult result = deliver(twoPages(Orientation::Portrait), name, messages, files, sheet);
    QVERIFY(!result.ok);
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY2(messages.shown.at(0).contains(name), qPrintable(messages.shown.at(0)));
    // The preview is a child window of the same work area.
    PreviewWindow* preview = nullptr;
    for (QMdiSubWindow* sub : area->subWindowList()) {
        if (auto* p = qobject_cast<PreviewWindow*>(sub->widget()))
            preview = p;
    }
    QVERIFY(preview);
    QCOMPARE(preview->windowTitle(), QStringLiteral("打印预览"));
}

void PrintUiTest::thePreviewShowsEveryPageInTheDocumentsOrientation() {
    RecordingMessages messages;
    ScriptedFileChooser files;
    PreviewWindow* preview = showPreview(twoPages(Orientation::Landscape), messages, files, nullptr);
    preview->previewWidget()->updatePreview();
    QCOMPARE(preview->previewWidget()->pageCount(), 2);
    QCOMPARE(preview->previewWidget()->orientation(), QPageLayout::Landscape);
    const QImage shown = preview->previewWidget()->grab().toImage();
    QVERIFY(!shown.isNull());
    preview->close();

    PreviewWindow* upright = showPreview(twoPages(Orientation::Portrait), messages, files, nullptr);
    upright->previewWidget()->updatePreview();
    QCOMPARE(upright->previewWidget()->orientation(), QPageLayout::Portrait);
    upright->close();
}

void PrintUiTest::thePreviewSavesAPdf() {
    RecordingMessages messages;
    ScriptedFileChooser files;
    QTemporaryDir dir;
    QStringList delivered;
    PreviewWindow* preview = showPreview(
        twoPages(Orientation::Portrait), messages, files, nullptr, QString(),
        [&delivered](const QString& printer, const QString& file) { delivered << printer + file; });
    const QString pdf = dir.filePath(QStringLiteral("预览.pdf"));
    QVERIFY(preview->exportPdf(pdf));
    QVERIFY(pdfLayoutText(pdf).contains(QStringLiteral("第二页")));
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(delivered, QStringList{pdf});

    QVERIFY(!preview->exportPdf(dir.filePath(QStringLiteral("无/预览.pdf"))));
    QCOMPARE(delivered.size(), 1); // only what was written is told
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY(messages.shown.at(0).contains(QStringLiteral("没有写成")));
    preview->close();
}

void PrintUiTest::anEmptyDocumentDoesNothing() {
    RecordingMessages messages;
    ScriptedFileChooser files;
    QVERIFY(deliver(Document{}, QStringLiteral("药房打印机"), messages, files, nullptr).ok);
    QVERIFY(messages.shown.isEmpty());
    for (QWidget* w : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<PreviewWindow*>(w) || !w->isVisible());
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    PrintUiTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_printui.moc"
