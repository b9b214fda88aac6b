#include "printing/printui.h"

#include "data/audit.h"
#include "session/filechooser.h"
#include "session/messages.h"
#include "session/state.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace lichuan::printing {

namespace {

QPushButton* toolButton(QWidget* parent, QHBoxLayout* row, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

QMdiArea* workAreaOf(QWidget* widget) {
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w))
            return sub->mdiArea();
        if (auto* area = qobject_cast<QMdiArea*>(w))
            return area;
    }
    return nullptr;
}

} // namespace

OutputHook noteInLog(ProcessState& state, const QString& what, const QString& key, const QString& name) {
    return [&state, what, key, name](const QString& printer, const QString& pdfFile) {
        if (state.mainDb)
            audit::noteOutput(*state.mainDb, what, key, name, printer, pdfFile);
    };
}

PreviewWindow::PreviewWindow(Document document, const QString& printerName, Messages& messages,
                             FileChooser& files, QWidget* parent)
    : QWidget(parent), document_(std::move(document)), messages_(messages), files_(files),
      printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setWindowTitle(QStringLiteral("打印预览"));
    setAttribute(Qt::WA_DeleteOnClose);
    printer_->setOutputFormat(QPrinter::PdfFormat);

    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    layout->addLayout(row);

    auto* printerCaption = new QLabel(QStringLiteral("打印机："), this);
    row->addWidget(printerCaption);
    printers_ = new QComboBox(this);
    printers_->setAccessibleName(QStringLiteral("打印机"));
    printerCaption->setBuddy(printers_);
    const QStringList names = installedPrinters();
    printers_->addItems(names);
    const QString wanted = names.contains(printerName) ? printerName : systemDefaultPrinter();
    if (!wanted.isEmpty())
        printers_->setCurrentText(wanted);
    printers_->setEnabled(!names.isEmpty());
    row->addWidget(printers_);

    printButton_ = toolButton(this, row, QStringLiteral("打印"));
    printButton_->setEnabled(!names.isEmpty());
    auto* pdfButton = toolButton(this, row, QStringLiteral("输出PDF"));
    auto* zoomIn = toolButton(this, row, QStringLiteral("放大"));
    auto* zoomOut = toolButton(this, row, QStringLiteral("缩小"));
    auto* fitPage = toolButton(this, row, QStringLiteral("整页"));
    auto* fitWidth = toolButton(this, row, QStringLiteral("页宽"));
    row->addStretch();
    auto* closeButton = toolButton(this, row, QStringLiteral("关闭"));

    preview_ = new QPrintPreviewWidget(printer_.get(), this);
    preview_->setAccessibleName(QStringLiteral("预览"));
    layout->addWidget(preview_, 1);
    applyPaper();
    connect(preview_, &QPrintPreviewWidget::paintRequested, this, &PreviewWindow::paint);

    connect(printButton_, &QPushButton::clicked, this, &PreviewWindow::printOnChosenPrinter);
    connect(pdfButton, &QPushButton::clicked, this, &PreviewWindow::askAndExport);
    connect(zoomIn, &QPushButton::clicked, preview_, [this] { preview_->zoomIn(); });
    connect(zoomOut, &QPushButton::clicked, preview_, [this] { preview_->zoomOut(); });
    connect(fitPage, &QPushButton::clicked, preview_, &QPrintPreviewWidget::fitInView);
    connect(fitWidth, &QPushButton::clicked, preview_, &QPrintPreviewWidget::fitToWidth);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(printers_, &QComboBox::currentTextChanged, this, [this] {
        applyPaper();
        preview_->updatePreview();
    });

    resize(720, 820);
}

PreviewWindow::~PreviewWindow() = default;

QString PreviewWindow::chosenPrinter() const {
    return printers_->currentText();
}

void PreviewWindow::applyPaper() {
    // The preview shows the paper of the chosen printer, from its corner (no printable-area offset).
    PageSetup setup = pageSetupFor(chosenPrinter());
    setup.printableOffset = QPointF();
    preparePrinter(*printer_, document_, setup);
}

void PreviewWindow::paint(QPrinter* printer) {
    paintDocument(document_, *printer, QPointF());
}

bool PreviewWindow::printOnChosenPrinter() {
    const OutputResult result = printDocument(document_, chosenPrinter());
    if (!result.ok)
        messages_.inform(result.message);
    else if (delivered)
        delivered(chosenPrinter(), QString());
    return result.ok;
}

bool PreviewWindow::exportPdf(const QString& path) {
    return printing::exportPdf(document_, chosenPrinter(), path, messages_, delivered);
}

void PreviewWindow::askAndExport() {
    askAndExportPdf(document_, chosenPrinter(), messages_, files_, this, QDir::homePath(), delivered);
}

bool exportPdf(const Document& document, PageSetup paper, const QString& path, Messages& messages,
               const OutputHook& delivered) {
    paper.printableOffset = QPointF();
    const OutputResult result = writePdf(document, path, paper);
    if (!result.ok)
        messages.inform(result.message);
    else if (delivered)
        delivered(QString(), path);
    return result.ok;
}

bool exportPdf(const Document& document, const QString& printerName, const QString& path, Messages& messages,
               const OutputHook& delivered) {
    return exportPdf(document, pageSetupFor(printerName), path, messages, delivered);
}

QString askPdfPath(FileChooser& files, QWidget* parent, const QString& folder) {
    QString path =
        files.saveFile(parent, QStringLiteral("输出PDF"), QStringLiteral("PDF文件 (*.pdf)"), folder);
    if (!path.isEmpty() && !path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    return path;
}

bool askAndExportPdf(const Document& document, const QString& printerName, Messages& messages,
                     FileChooser& files, QWidget* parent, const QString& folder,
                     const OutputHook& delivered) {
    const QString path = askPdfPath(files, parent, folder);
    return !path.isEmpty() && exportPdf(document, printerName, path, messages, delivered);
}

PreviewWindow* showPreview(const Document& document, Messages& messages, FileChooser& files, QWidget* parent,
                           const QString& printerName, const OutputHook& delivered) {
    auto* window = new PreviewWindow(document, printerName, messages, files);
    window->delivered = delivered;
    if (QMdiArea* area = workAreaOf(parent)) {
        QMdiSubWindow* sub = area->addSubWindow(window);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        // As large as the work area allows, in its middle, in front of the window that asked for it.
        const QSize room = area->viewport()->size();
        sub->resize(
            sub->sizeHint().boundedTo(room).expandedTo(QSize(qMin(640, room.width()), room.height())));
        sub->move((room.width() - sub->width()) / 2, 0);
        sub->show();
        area->setActiveSubWindow(sub);
        // The focus too, so that a message box closing before gives it back here, not to the caller.
        window->previewWidget()->setFocus();
    } else {
        window->setParent(parent, Qt::Window);
        window->show();
    }
    window->previewWidget()->fitInView();
    return window;
}

OutputResult deliver(const Document& document, const QString& printerName, Messages& messages,
                     FileChooser& files, QWidget* parent, const OutputHook& delivered) {
    if (document.isEmpty())
        return {true, {}};
    const OutputResult result = printDocument(document, printerName);
    if (!result.ok) {
        messages.inform(result.message);
        showPreview(document, messages, files, parent, printerName, delivered);
    } else if (delivered) {
        delivered(printerName.isEmpty() ? systemDefaultPrinter() : printerName, QString());
    }
    return result;
}

} // namespace lichuan::printing
