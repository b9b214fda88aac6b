#include "reports/reportwindow.h"

#include "reports/reportrules.h"
#include "session/filechooser.h"
#include "session/messages.h"
#include "session/services.h"
#include "session/state.h"
#include "spreadsheet/workbookwriter.h"
#include "ui/twips.h"

#include <QGuiApplication>
#include <QLineEdit>

namespace lichuan::reports {

BusyCursor::BusyCursor() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor() {
    QGuiApplication::restoreOverrideCursor();
}

QString askExportPath(Services& services, QWidget* parent) {
    return services.files.saveFile(parent, kSaveTitle, kSaveFilter, services.state.DataFolder);
}

bool exportWorkbook(const spreadsheet::Workbook& workbook, const QString& path, Messages& messages) {
    const spreadsheet::WriteResult written =
        spreadsheet::writeWorkbook(workbook, spreadsheet::withXlsxExtension(path));
    if (!written.ok) {
        messages.inform(written.error);
        return false;
    }
    messages.inform(kExported);
    return true;
}

QLineEdit* dateField(const QString& name, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setFixedWidth(twips::px(1500));
    return field;
}

} // namespace lichuan::reports
