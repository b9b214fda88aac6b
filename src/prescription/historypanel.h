#pragma once
// The history panel: the history query and list, reloading a saved prescription, the record menu and its
// delete.

#include <QObject>

namespace lichuan {

class Form2;

class HistoryPanel : public QObject {
    Q_OBJECT
public:
    explicit HistoryPanel(Form2& form);

    // The history range of a window that opens: from one month back to today.
    void setMonthRange();
    // Runs the history query with the filter and dates as they stand and refills the list.
    void runQuery();

private:
    Form2& form_;
};

} // namespace lichuan
