#pragma once
// The catalog's spreadsheet layout: one item per row under a header row, eight columns (名称, 规格,
// 常用量, 单位, 单价, 用法用量, 斗位, 拼音). What an export writes, and what an import makes of a sheet.

#include "data/catalogrows.h"
#include "spreadsheet/cell.h"
#include "spreadsheet/workbookwriter.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

namespace lichuan::catalog {

inline const QStringList kSheetHeader = {
    QStringLiteral("名称"), QStringLiteral("规格"),     QStringLiteral("常用量"), QStringLiteral("单位"),
    QStringLiteral("单价"), QStringLiteral("用法用量"), QStringLiteral("斗位"),   QStringLiteral("拼音")};

// A stored name split for the sheet: the part before the first "{", and the part after it with every "}"
// removed (石膏{先煎} → 石膏, 先煎).
void splitStoredName(const QString& name, QString* base, QString* note);

// The workbook of an export: the header row in bold, one row per catalog row, 常用量 and 单价 as numbers
// (单价 shown with three decimals), the columns fitted to their texts.
spreadsheet::Workbook exportWorkbook(const std::vector<CatalogRow>& rows);

struct SheetImport {
    std::vector<ImportedCatalogRow> rows;
    int separatorRows = 0; // rows whose name or unit had "$" or "@" replaced
};

// The rows of a sheet (row 1 is the header) as catalog rows of `category`, keys left to the import.
SheetImport importedRows(const QList<spreadsheet::Row>& sheet, const QString& category);

// What the user is told after an import.
QString importMessage(const CatalogImport& result, int separatorRows);

inline const QString kExportDone = QStringLiteral("文件导出成功！");

} // namespace lichuan::catalog
