#pragma once
// Writing a workbook (.xlsx) from plain data. The file appears only when it was written completely: the
// workbook goes to a temporary file in the target folder, which replaces the target after a checked close;
// on failure the temporary file is removed, an existing target stays as it was, and the result says what
// failed.

#include "spreadsheet/cell.h"

#include <QList>
#include <QMap>
#include <QString>

namespace lichuan::spreadsheet {

// Font and height of one row; zero values keep the workbook's defaults.
struct RowStyle {
    bool bold = false;
    double fontSize = 0; // points
    double height = 0;   // points
};

struct Sheet {
    QString name = QStringLiteral("Sheet1");
    QList<Row> rows;                // rows[0] is spreadsheet row 1
    QMap<int, RowStyle> rowStyles;  // by 0-based row
    QMap<int, double> columnWidths; // by 0-based column, in character units
    // Columns without a width of their own are fitted to their widest text (there is no automatic fit in
    // the file format); when false they keep the spreadsheet's default width.
    bool fitColumns = true;

    void setText(int row, int column, const QString& value);
    void setNumber(int row, int column, double value, const QString& format = QString());
    void setCell(int row, int column, const Cell& cell);
};

struct Workbook {
    QList<Sheet> sheets;
    QString fontName = QStringLiteral("宋体"); // every cell carries it (an unformatted cell would be Calibri)
    double fontSize = 11;
};

struct WriteResult {
    bool ok = false;
    QString error; // what failed, for the user ("文件没有导出：…")
};

// Writes the workbook to `path` (the name as given; see withXlsxExtension). An existing file is replaced.
WriteResult writeWorkbook(const Workbook& workbook, const QString& path);

// The chosen file name with the workbook extension: "药品" → "药品.xlsx", "药品.xlsx" and "药品.XLSX" stay,
// "药品.xls" (the old format's extension, typed out of habit) → "药品.xlsx".
QString withXlsxExtension(const QString& path);

// The width in character units that fits a text of `displayColumns` columns (a Chinese character counts
// two) at `fontSize` points, when the workbook's font is `baseFontSize` points; at most 255.
double fittedWidth(int displayColumns, double fontSize, double baseFontSize);

// The widths a sheet's columns get when written: explicit widths, fitted widths for the other columns
// (when the sheet fits them), nothing for columns that keep the default.
QMap<int, double> columnWidthsToWrite(const Sheet& sheet, double baseFontSize);

} // namespace lichuan::spreadsheet
