#pragma once
// Pricing and settlement of the sheet, and its undo.

#include <QObject>

namespace lichuan {

class Form2;

class PricingPanel : public QObject {
    Q_OBJECT
public:
    explicit PricingPanel(Form2& form);

private:
    Form2& form_;
};

} // namespace lichuan
