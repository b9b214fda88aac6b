#pragma once
// Reading the first worksheet of a workbook, .xlsx (Office Open XML) or .xls (the old binary format),
// into rows of cells. The format is told by the file's content, not by its name.

#include "spreadsheet/cell.h"

#include <QList>
#include <QString>

namespace lichuan::spreadsheet {

struct ReadResult {
    bool ok = false;
    QString error;   // why the file could not be read, for the user
    QList<Row> rows; // rows[0] is spreadsheet row 1; up to the last row that holds a value
};

// The first worksheet of the workbook at `path`. Rows keep their places (an empty row in the middle is an
// empty Row), cells keep their columns (a missing cell is an empty Cell). Numbers are numbers; dates of an
// .xls come as their text.
ReadResult readFirstSheet(const QString& path);

// The two readers, for a file whose format is known.
ReadResult readXlsx(const QString& path);
ReadResult readXls(const QString& path);

// Removes trailing empty cells of every row and trailing empty rows.
void trimEmptyEdges(QList<Row>& rows);

} // namespace lichuan::spreadsheet
