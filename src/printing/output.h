#pragma once
// Where documents go: the printers of the print system, PDF files, and a print job handed to the print
// system as a PDF, so that a job it refuses is reported and not lost. The system's default printer is
// read, never changed.

#include "printing/document.h"
#include "printing/painter.h"

#include <QString>
#include <QStringList>

namespace lichuan::printing {

// The installed printers' names, and the system's default printer (empty when there is none).
QStringList installedPrinters();
QString systemDefaultPrinter();

// The paper of `printerName` (its default paper size and the corner of its printable area); A4 without
// offset for an empty or unknown name.
PageSetup pageSetupFor(const QString& printerName);

struct OutputResult {
    bool ok = false;
    QString message; // what went wrong, for a "提示" box
};

// Writes the document as a PDF file: into a temporary file beside `path`, checked, then renamed over
// `path`. On failure the old file at `path` stays and the temporary file is removed. An empty document
// writes nothing and succeeds.
OutputResult writePdf(const Document& document, const QString& path, const PageSetup& setup = PageSetup{});

// Prints the document on `printerName` (the system default when empty): rendered to a temporary PDF on the
// printer's paper (or the document's own paper, asked for by name) and handed to the print system. Fails with
// a message when the printer is not installed, no printer exists, or the print system does not take the job.
// An empty document prints nothing.
OutputResult printDocument(const Document& document, const QString& printerName,
                           const QString& jobTitle = QString());

// The print system's name of a paper size of its own ("Custom.80.0x123.5mm").
QByteArray customMedia(const QSizeF& millimetres);

// The messages of the failures above.
QString printerMissingMessage(const QString& printerName);

} // namespace lichuan::printing
