#pragma once
// The outpatient log "门诊日志": the prescriptions of a date range in a 20-row grid, their export to a
// workbook and the printed log book; it keeps the log's print margins in the settings row.

#include "data/reports.h"
#include "session/services.h"

#include <QWidget>
#include <array>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace lichuan::printing {
struct Document;
}

namespace lichuan {

namespace reports {
class FixedRowsView;
class TextRowsModel;
} // namespace reports

class Form7 final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form7)
public:
    explicit Form7(Services& services, QWidget* parent = nullptr);
    ~Form7() override;

    // "查  询": the prescriptions of the range into the grid.
    void query();
    // "导出Excel": asks for a file and writes the range's prescriptions to it.
    void exportLog();
    // "打  印": the log book of the range on the default printer (or the preview where there is none).
    void printLog();
    // The log book of the range as it would be printed; empty when there is nothing to print.
    printing::Document logBook();

    const std::vector<LogRow>& results() const { return results_; }

    QLineEdit* Text3; // start date
    QLineEdit* Text4; // end date
    QLineEdit* Text1; // left margin of the print, millimetres
    QLineEdit* Text5; // top margin of the print, millimetres
    QLineEdit* Text6; // hidden: the path of the last export
    QLabel* Label1;   // "记录数：" + count
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    std::array<QPushButton*, 7> Cm2{}; // column headings
    reports::FixedRowsView* grid;
    QScrollBar* VS1;
    QScrollBar* HS1;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    // The two dates as real dates; false (after the warning, if asked) when either cannot be read.
    bool readDates(QDate* from, QDate* to) const;

    Services& services_;
    reports::TextRowsModel* model_;
    std::vector<LogRow> results_;
};

} // namespace lichuan
