#pragma once
// The business statistics "统计": how many prescriptions a period had and the sum of their totals.

#include "session/services.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace lichuan {

class Form12 final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form12)
public:
    explicit Form12(Services& services, QWidget* parent = nullptr);

    // "统 计": the count and takings of the period into the result line.
    void compute();
    // "今 日": both dates today, then compute.
    void today();

    QLineEdit* Text3; // start date
    QLineEdit* Text4; // end date
    QPushButton* Command1;
    QPushButton* Command2;
    QGroupBox* Picture1; // "工作量统计"
    QLabel* Label4;      // the result line

private:
    Services& services_;
};

} // namespace lichuan
