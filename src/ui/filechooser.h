#pragma once
// The file dialogs of the running program: Qt's own dialog, the same on every desktop.

#include "session/filechooser.h"

namespace lichuan {

class QtFileChooser final : public FileChooser {
public:
    QString openFile(QWidget* parent, const QString& title, const QString& filter,
                     const QString& folder) override;
    QString saveFile(QWidget* parent, const QString& title, const QString& filter,
                     const QString& folder) override;
    QString openFolder(QWidget* parent, const QString& title, const QString& folder) override;
};

} // namespace lichuan
