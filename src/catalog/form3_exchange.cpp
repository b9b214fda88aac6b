// The catalog window's spreadsheet exchange: export of the current category to a workbook, import of a
// workbook's first sheet into the current category.

#include "catalog/catalogexchange.h"
#include "catalog/form3.h"
#include "data/audit.h"
#include "data/catalogrows.h"
#include "data/clock.h"
#include "data/textrules.h"
#include "session/filechooser.h"
#include "session/messages.h"
#include "session/state.h"
#include "spreadsheet/workbookreader.h"
#include "spreadsheet/workbookwriter.h"

#include <QGuiApplication>

namespace lichuan {

namespace {

const QString kOpenTitle = QStringLiteral("打开");
const QString kOpenFilter = QStringLiteral("Microsoft Excel 工作簿(*.xls *.xlsx)");
const QString kSaveTitle = QStringLiteral("另存为");
const QString kSaveFilter = QStringLiteral("Excel文件 (*.xlsx)");

// The hourglass while a workbook is read or written.
class BusyPointer {
public:
    BusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QGuiApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

} // namespace

void Form3::importWorkbook() {
    const QString path = trimTrailingSpaces(
        services_.files.openFile(this, kOpenTitle, kOpenFilter, services_.state.DataFolder));
    Database* main = services_.state.mainDb.get();
    if (path.isEmpty() || !main)
        return;
    QString message;
    {
        BusyPointer busy;
        const spreadsheet::ReadResult read =
            spreadsheet::readFirstSheet(path, int(catalog::kSheetHeader.size()));
        if (!read.ok) {
            message = QStringLiteral("没有导入：") + read.error;
        } else {
            const catalog::SheetImport sheet = catalog::importedRows(read.rows, currentCategory());
            const CatalogImport imported = importCatalogRows(*main, sheet.rows, services_.clock.now());
            message = catalog::importMessage(imported, sheet.separatorRows);
        }
        search();
    }
    services_.messages.inform(message);
}

void Form3::exportWorkbook() {
    const QString chosen = trimTrailingSpaces(
        services_.files.saveFile(this, kSaveTitle, kSaveFilter, services_.state.DataFolder));
    const Database* main = services_.state.mainDb.get();
    if (chosen.isEmpty() || !main)
        return;
    spreadsheet::WriteResult written;
    {
        BusyPointer busy;
        const std::vector<CatalogRow> rows = catalogRowsOfCategory(*main, currentCategory());
        written =
            spreadsheet::writeWorkbook(catalog::exportWorkbook(rows), spreadsheet::withXlsxExtension(chosen));
    }
    if (written.ok && services_.state.mainDb)
        audit::noteExport(*services_.state.mainDb, windowTitle(), spreadsheet::withXlsxExtension(chosen));
    services_.messages.inform(written.ok ? catalog::kExportDone : written.error);
}

} // namespace lichuan
