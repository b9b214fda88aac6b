#pragma once
// The one way a window asks the user for a file: the dialogs behind an interface in the services, so that
// tests hand over paths instead of a modal dialog. The running program's is QtFileChooser (ui/).

#include <QString>

class QWidget;

namespace lichuan {

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The file to open: an existing file chosen with the dialog titled `title`, showing `filter` (e.g.
    // "Microsoft Excel 工作簿(*.xls *.xlsx)") and starting in `folder`; empty when the user cancelled.
    virtual QString openFile(QWidget* parent, const QString& title, const QString& filter,
                             const QString& folder) = 0;
    // The name to save under. An existing file is not asked about: every export (workbooks and PDF files
    // alike) replaces it, and only once the new file has been written in full. Empty when the user
    // cancelled.
    virtual QString saveFile(QWidget* parent, const QString& title, const QString& filter,
                             const QString& folder) = 0;
    // An existing folder chosen with the dialog titled `title`, starting in `folder`; empty when the user
    // cancelled.
    virtual QString openFolder(QWidget* parent, const QString& title, const QString& folder) = 0;
};

} // namespace lichuan
