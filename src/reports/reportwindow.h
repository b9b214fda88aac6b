#pragma once
// What the three report windows share: the busy pointer, the question where an export goes, and writing
// a workbook with the messages that tell how it went.

#include <QString>

class QLineEdit;
class QWidget;

namespace lichuan {
class Messages;
struct Services;
namespace spreadsheet {
struct Workbook;
}
} // namespace lichuan

namespace lichuan::reports {

// Shows the busy pointer while it lives.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// Asks where an export goes ("另存为", workbooks, starting in the data folder); empty when the user
// cancelled.
QString askExportPath(Services& services, QWidget* parent);

// Writes the workbook to `path` (with ".xlsx" appended when the name lacks it) and says "文件导出成功！" only
// when the file was written; otherwise says what failed. True when the file was written.
bool exportWorkbook(const spreadsheet::Workbook& workbook, const QString& path, Messages& messages);

// A date field of the report windows: 10 characters wide, captioned by `caption`.
QLineEdit* dateField(const QString& name, QWidget* parent);

} // namespace lichuan::reports
