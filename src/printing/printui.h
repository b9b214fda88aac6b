#pragma once
// What a window calls for its print button: print, or say why not and show the preview; and the preview
// itself, which can zoom, print on any installed printer and save the document as a PDF file.

#include "printing/output.h"

#include <QString>
#include <QWidget>
#include <functional>

class QComboBox;
class QPrintPreviewWidget;
class QPrinter;
class QPushButton;

namespace lichuan {
class Messages;
}

namespace lichuan::printing {

// Told where a document went: the printer it was handed to (`pdfFile` empty) or the PDF file written.
using OutputHook = std::function<void(const QString& printer, const QString& pdfFile)>;

class PreviewWindow : public QWidget {
    Q_OBJECT
public:
    // `printerName` is the printer chosen first in the window's printer list (the system default when
    // it is empty or not installed).
    PreviewWindow(Document document, const QString& printerName, Messages& messages,
                  QWidget* parent = nullptr);
    ~PreviewWindow() override;
    PreviewWindow(const PreviewWindow&) = delete;
    PreviewWindow& operator=(const PreviewWindow&) = delete;

    // Asks where to save the PDF; tests replace it. An empty answer cancels.
    std::function<QString()> choosePdfPath;
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
    std::unique_ptr<QPrinter> printer_;
    QPrintPreviewWidget* preview_ = nullptr;
    QComboBox* printers_ = nullptr;
    QPushButton* printButton_ = nullptr;
};

// Opens the preview as a child window of the main window's work area (a window of its own when `parent`
// is not inside one) and returns it.
PreviewWindow* showPreview(const Document& document, Messages& messages, QWidget* parent,
                           const QString& printerName = QString(), const OutputHook& delivered = {});

// Prints the document on `printerName`; when that cannot be done, says why in a "提示" box naming the
// printer, then shows the preview. An empty document does nothing. `delivered` hears where it went, from
// the preview as well.
OutputResult deliver(const Document& document, const QString& printerName, Messages& messages,
                     QWidget* parent, const OutputHook& delivered = {});

} // namespace lichuan::printing
