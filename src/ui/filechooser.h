#pragma once
// The file dialogs of the program behind an interface, so that tests hand over paths instead of a modal
// dialog. The program uses Qt's own dialog (the same on every desktop).

#include <QString>
#include <QStringList>
#include <memory>

class QWidget;

namespace lichuan {

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The file to open: an existing file chosen with the dialog titled `title`, showing `filter` (e.g.
    // "Microsoft Excel 工作簿(*.xls *.xlsx)") and starting in `folder`; empty when the user cancelled.
    virtual QString openFile(QWidget* parent, const QString& title, const QString& filter,
                             const QString& folder) = 0;
    // The name to save under; an existing file is not asked about. Empty when the user cancelled.
    virtual QString saveFile(QWidget* parent, const QString& title, const QString& filter,
                             const QString& folder) = 0;
};

class QtFileChooser final : public FileChooser {
public:
    QString openFile(QWidget* parent, const QString& title, const QString& filter,
                     const QString& folder) override;
    QString saveFile(QWidget* parent, const QString& title, const QString& filter,
                     const QString& folder) override;
};

// Hands out prepared answers in order (an empty answer is a cancel) and remembers what was asked.
class ScriptedFileChooser final : public FileChooser {
public:
    QString openFile(QWidget*, const QString& title, const QString& filter, const QString& folder) override {
        return next(title, filter, folder);
    }
    QString saveFile(QWidget*, const QString& title, const QString& filter, const QString& folder) override {
        return next(title, filter, folder);
    }
    QStringList answers;
    QStringList asked; // "title|filter|folder" of every question
private:
    QString next(const QString& title, const QString& filter, const QString& folder) {
        asked << title + QLatin1Char('|') + filter + QLatin1Char('|') + folder;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

} // namespace lichuan
