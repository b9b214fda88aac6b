#pragma once
// The drug usage statistics "用药统计": for one category, every item name dispensed in a period of at most
// 33 days with its summed quantity, unit and amount, in a 16-row grid, and its export to a workbook.

#include "reports/reportrules.h"
#include "session/services.h"

#include <QWidget>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTimer;

namespace lichuan {

namespace reports {
class FixedRowsView;
class TextRowsModel;
} // namespace reports

class Form13 final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form13)
public:
    explicit Form13(Services& services, QWidget* parent = nullptr);

    // "统   计": the totals of the period and category into the grid.
    void compute();
    // "导出Excel": writes the last computed result to a workbook; nothing without one.
    void exportUsage();

    // The last computed result, as the export writes it.
    const std::vector<reports::UsageLine>& lines() const { return lines_; }

    QLineEdit* Text3;  // start date
    QLineEdit* Text4;  // end date
    QComboBox* Combo1; // category
    QPushButton* Command1;
    QPushButton* Command2;
    QLineEdit* Text1; // hidden: the path of the last export
    reports::FixedRowsView* grid;
    QScrollBar* VS1;
    QGroupBox* Picture1; // the frame of the progress strip
    QLabel* Label4;      // the progress strip
    QTimer* Timer1;

private:
    void build();
    void startProgress();
    void stopProgress();
    void advanceProgress();

    Services& services_;
    reports::TextRowsModel* model_;
    std::vector<reports::UsageLine> lines_;
};

} // namespace lichuan
