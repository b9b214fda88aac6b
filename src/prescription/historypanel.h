#pragma once
// The history panel: the history query and list, reloading a saved prescription, the record menu and its
// delete.

#include <QObject>
#include <QString>
#include <vector>

class QPoint;

namespace lichuan {

class Form2;
struct SheetRecord;

class HistoryPanel : public QObject {
    Q_OBJECT
public:
    explicit HistoryPanel(Form2& form);

    // The history range of a window that opens: from one month back to today.
    void setMonthRange();
    // Runs the history query with the filter and dates as they stand and refills the list; each entry
    // keeps the key of its own row.
    void runQuery();
    // Loads the saved prescription of history entry `row` into the sheet, as a click on it does.
    void reload(int row);
    // Puts `record` on the sheet as a reload does; `saved` tells whether it is the stored row that a later
    // save updates (otherwise the sheet is a new one holding it).
    void showRecord(const SheetRecord& record, bool saved);
    // "删除(D)" of the record menu: after the user's consent, deletes the prescription on the sheet with
    // its statistics lines, removes its history entry and starts a new sheet.
    void deleteSheetRecord();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showToday();
    void showPatientHistory();
    void stepDay(int days);
    void nameFilterChanged(const QString& text);
    void showRecordMenu(const QPoint& pointerInList);
    void highlightMenuEntry(int entry);
    void startNewSheet();

    Form2& form_;
    bool keyNavigation_ = false;     // a key press of the user is moving through the list
    std::vector<QString> entryKeys_; // the record key of each entry of the list, in its order
};

} // namespace lichuan
