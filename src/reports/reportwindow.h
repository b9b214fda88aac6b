#pragma once
// What the three report windows share: the busy pointer, the save dialog of an export, and writing a
// workbook with the messages that tell how it went.

#include <QString>
#include <functional>

class QLineEdit;
class QWidget;

namespace lichuan {
class Messages;
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

// Asks where an export goes; an empty text when the user cancelled. Tests put their own in its place.
using SavePathChooser = std::function<QString(QWidget* parent)>;
// The save dialog "另存为" for workbooks, starting in `folder`.
SavePathChooser workbookSaveDialog(const QString& folder);

// Writes the workbook to `path` (with ".xlsx" appended when the name lacks it) and says "文件导出成功！" only
// when the file was written; otherwise says what failed. True when the file was written.
bool exportWorkbook(const spreadsheet::Workbook& workbook, const QString& path, Messages& messages);

// A date field of the report windows: 10 characters wide, captioned by `caption`.
QLineEdit* dateField(const QString& name, QWidget* parent);

} // namespace lichuan::reports
