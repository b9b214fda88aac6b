#pragma once
// Pricing and settlement of the sheet ("划价结算"), and its undo ("撤消结算").

#include <QObject>

namespace lichuan {

class Form2;

class PricingPanel : public QObject {
    Q_OBJECT
public:
    explicit PricingPanel(Form2& form);

    // Prices the item text against the catalog, fills the priced lines, marks the sheet settled, saves it
    // and replaces its statistics lines. Items left out are named in one message. A settlement that was
    // stored prints the pick-up ticket when the settings ask for it.
    void settle();
    // Clears the priced lines and the settled marker, saves, and removes the statistics lines; when the save
    // is refused the sheet stays settled as its stored row is.
    void undoSettlement();

private:
    Form2& form_;
};

} // namespace lichuan
