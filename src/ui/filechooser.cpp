#include "ui/filechooser.h"

#include <QFileDialog>

namespace lichuan {

QString QtFileChooser::openFile(QWidget* parent, const QString& title, const QString& filter,
                                const QString& folder) {
    return QFileDialog::getOpenFileName(parent, title, folder, filter, nullptr,
                                        QFileDialog::DontUseNativeDialog | QFileDialog::ReadOnly);
}

QString QtFileChooser::saveFile(QWidget* parent, const QString& title, const QString& filter,
                                const QString& folder) {
    return QFileDialog::getSaveFileName(parent, title, folder, filter, nullptr,
                                        QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
}

QString QtFileChooser::openFolder(QWidget* parent, const QString& title, const QString& folder) {
    return QFileDialog::getExistingDirectory(parent, title, folder,
                                             QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
}

} // namespace lichuan
