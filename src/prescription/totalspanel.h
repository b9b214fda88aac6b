#pragma once
// The priced lines: amounts and total, the dose caption and the drawer sort.

#include <QObject>

namespace lichuan {

class Form2;

class TotalsPanel : public QObject {
    Q_OBJECT
public:
    explicit TotalsPanel(Form2& form);

    // Recomputes every line amount and the total (unless the totals are suspended).
    void RecalcTotals();
    // "按斗位排序": puts the lines in the order of their drawer positions.
    void drawerSort();

private:
    Form2& form_;
};

} // namespace lichuan
