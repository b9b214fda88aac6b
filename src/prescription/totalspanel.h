#pragma once
// The priced lines: amounts and total, the dose caption, the drawer sort and the scrolling of the lines.

#include <QObject>

namespace lichuan {

class Form2;

class TotalsPanel : public QObject {
    Q_OBJECT
public:
    explicit TotalsPanel(Form2& form);

    // Recomputes every line amount and the total (unless the totals are suspended) and writes the total
    // into header field 9.
    void RecalcTotals();
    // "按斗位排序": puts the lines in the order of their drawer positions, packed from line 0. The
    // amounts and the total are not recomputed; they move with their lines.
    void drawerSort();

private:
    void scrollLines(int value);

    Form2& form_;
};

} // namespace lichuan
