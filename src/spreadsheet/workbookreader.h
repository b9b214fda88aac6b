#pragma once
// Reading the first worksheet of a workbook, .xlsx (Office Open XML) or .xls (the old binary format),
// into rows of cells. The format is told by the file's content, not by its name.

#include "spreadsheet/cell.h"

#include <QList>
#include <QString>

namespace lichuan::spreadsheet {

// The largest sheet a spreadsheet holds; a file that places a cell beyond it is damaged.
constexpr int kMaxSheetRows = 1048576;
constexpr int kMaxSheetColumns = 16384;
// The largest part of an .xlsx that is unpacked.
constexpr qint64 kMaxPartBytes = 64ll * 1024 * 1024;

struct ReadResult {
    bool ok = false;
    QString error;   // why the file could not be read, for the user
    QList<Row> rows; // rows[0] is spreadsheet row 1; up to the last row that holds a value
};

// The first worksheet of the workbook at `path`, its first `columns` columns (the others are read past and
// dropped). Rows keep their places (an empty row in the middle is an empty Row, which holds no cells),
// cells keep their columns (a missing cell is an empty Cell). Numbers are numbers; cells formatted as a
// date or a time come as their text ("2025-03-01", "08:30:00", "2025-03-01 08:30:00") from both formats;
// an .xlsx boolean as the spreadsheet shows it (TRUE, FALSE, or the words of its format such as 是/否; an
// .xls boolean comes as the number 1 or 0). A damaged or crafted file (a cell beyond the largest sheet, a
// part beyond kMaxPartBytes, more than the memory there is) is refused with the reason.
ReadResult readFirstSheet(const QString& path, int columns = kMaxSheetColumns);

// The two readers, for a file whose format is known.
ReadResult readXlsx(const QString& path, int columns = kMaxSheetColumns);
ReadResult readXls(const QString& path, int columns = kMaxSheetColumns);

// Removes trailing empty cells of every row and trailing empty rows.
void trimEmptyEdges(QList<Row>& rows);

// The message of a reader that ran out of memory.
QString outOfMemoryReason();

} // namespace lichuan::spreadsheet
