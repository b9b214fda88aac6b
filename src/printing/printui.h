#pragma once
// What a window calls for its print button: print, or say why not and show the preview; and the preview
// itself, which can zoom, print on any installed printer and save the document as a PDF file.

#include "printing/output.h"

#include <QString>
#include <QWidget>

class QComboBox;
class QPrintPreviewWidget;
class QPrinter;
class QPushButton;

namespace lichuan {
class FileChooser;
class Messages;
struct ProcessState;
} // namespace lichuan

namespace lichuan::printing {

// Told where a document went: the printer it was handed to (`pdfFile` empty) or the PDF file written.
using OutputHook = std::function<void(const QString& printer, const QString& pdfFile)>;

// The hook that notes in the log of changes where a document went: `what` (the log's 处方, 病历, 取药单 …)
// of the prescription `key` of patient `name`. It keeps what it names, so the window that printed may be
// gone when a preview prints.
OutputHook noteInLog(ProcessState& state, const QString& what, const QString& key = QString(),
                     const QString& name = QString());

class PreviewWindow : public QWidget {
    Q_OBJECT
public:
    // `printerName` is the printer chosen first in the window's printer list (the system default when
    // it is empty or not installed); "输出PDF" asks for the file with `files`.
    PreviewWindow(Document document, const QString& printerName, Messages& messages, FileChooser& files,
                  QWidget* parent = nullptr);
    ~PreviewWindow() override;
    PreviewWindow(const PreviewWindow&) = delete;
    PreviewWindow& operator=(const PreviewWindow&) = delete;

    // Called after the document was printed or written.
    OutputHook delivered;

    // Prints on the printer chosen in the window; a failure is shown in a "提示" box.
    bool printOnChosenPrinter();
    // Writes the PDF file; a failure is shown in a "提示" box.
    bool exportPdf(const QString& path);

    QString chosenPrinter() const;
    QPrintPreviewWidget* previewWidget() const { return preview_; }
    const Document& document() const { return document_; }

private:
    void paint(QPrinter* printer);
    void applyPaper();
    void askAndExport();

    Document document_;
    Messages& messages_;
    FileChooser& files_;
    std::unique_ptr<QPrinter> printer_;
    QPrintPreviewWidget* preview_ = nullptr;
    QComboBox* printers_ = nullptr;
    QPushButton* printButton_ = nullptr;
};

// Opens the preview as a child window of the main window's work area (a window of its own when `parent`
// is not inside one) and returns it.
PreviewWindow* showPreview(const Document& document, Messages& messages, FileChooser& files, QWidget* parent,
                           const QString& printerName = QString(), const OutputHook& delivered = {});

// Writes the document as the PDF file `path`, on the paper of `printerName` from the paper's corner (a file
// has no printable-area offset); a failure is said in a "提示" box, a file written is told to `delivered`.
// True when the file was written.
bool exportPdf(const Document& document, const QString& printerName, const QString& path, Messages& messages,
               const OutputHook& delivered = {});
// The same on the paper `paper` (its printable-area offset is dropped).
bool exportPdf(const Document& document, PageSetup paper, const QString& path, Messages& messages,
               const OutputHook& delivered = {});

// Asks for the PDF file ("输出PDF", PDF files, starting in `folder`), with ".pdf" added when the name lacks
// it; empty when the user cancelled.
QString askPdfPath(FileChooser& files, QWidget* parent, const QString& folder);

// "输出PDF": asks for the file as askPdfPath() does, then writes it as exportPdf() does. False when the user
// cancelled or the file was not written.
bool askAndExportPdf(const Document& document, const QString& printerName, Messages& messages,
                     FileChooser& files, QWidget* parent, const QString& folder,
                     const OutputHook& delivered = {});

// Prints the document on `printerName`; when that cannot be done, says why in a "提示" box naming the
// printer, then shows the preview. An empty document does nothing. `delivered` hears where it went, from
// the preview as well.
OutputResult deliver(const Document& document, const QString& printerName, Messages& messages,
                     FileChooser& files, QWidget* parent, const OutputHook& delivered = {});

} // namespace lichuan::printing
