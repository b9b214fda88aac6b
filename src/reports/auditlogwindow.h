#pragma once
// The window "操作记录": the log of who changed, deleted, settled, printed and exported what, for a date
// range (today when it opens), one action or all and a part of the patient's name, newest first; the whole
// text of the selected line below the list; a double click on a prescription's line puts that prescription on
// the sheet; the list exported to a workbook.

#include "data/audit.h"
#include "reports/reportwindow.h"
#include "session/services.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace lichuan {

namespace reports {
class AuditLineModel;
}

class AuditLogWindow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AuditLogWindow)
public:
    explicit AuditLogWindow(Services& services, QWidget* parent = nullptr);
    ~AuditLogWindow() override;

    // "查  询" (and every change of a filter): the lines of the filter into the list.
    void query();
    // A double click on line `row`: its prescription on the sheet while it exists; a deleted one, after a
    // question, as a new sheet holding what was deleted.
    void openLine(int row);
    // "导出Excel": asks for a file and writes the listed lines to it.
    void exportLines();

    // The lines listed, and line `row` of them (read when it is asked for).
    int lineCount() const;
    audit::Line line(int row) const;

    QLineEdit* fromDate;
    QLineEdit* toDate;
    QComboBox* actionFilter; // "全部" and the actions
    QLineEdit* nameFilter;
    QPushButton* queryButton;
    QLabel* countLabel;
    QTableView* list;
    QPlainTextEdit* detail; // the selected line's whole text
    QPushButton* exportButton;
    QPushButton* closeButton;

private:
    void build();
    void showDetail(int row);

    Services& services_;
    audit::Filter filter_; // of the lines listed
    reports::AuditLineModel* model_;
};

} // namespace lichuan
