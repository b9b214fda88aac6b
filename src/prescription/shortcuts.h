#pragma once
// The keys of the prescription window: every toolbar action, the pricing buttons, the categories and the
// history buttons get a key that does what their click does; tooltips name the keys. Two keys put the caret
// where a doctor changes numbers: the dose count, and the quantity of the last item, from both of which Enter
// returns to the search box.

#include "prescription/shortcutkeys.h"

#include <QObject>
#include <map>

class QShortcut;

namespace lichuan {

class Form2;

class Shortcuts : public QObject {
    Q_OBJECT
public:
    explicit Shortcuts(Form2& form);

    // Runs what key `key` does, as pressing it in the window does.
    void trigger(SheetKey key);
    // The shortcut object of `key` (for its key sequence and its context).
    QShortcut* shortcut(SheetKey key) const;

    // The dose count, its text selected; nothing in Western mode, where it is hidden.
    void goToDoseCount();
    // The quantity of the last item of the item text, selected so that typing replaces it; Enter then
    // returns to the search box.
    void goToLastQuantity();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setToolTips();
    void triggerPrintMenu(const QString& entry);
    void backToSearchBox();

    Form2& form_;
    std::map<SheetKey, QShortcut*> shortcuts_;
    // Set while the caret stands in the quantity the last-quantity key selected, on this line of the items.
    int quantityLine_ = -1;
    // Where the caret stood before the jump, where the selected quantity ended, and how long the text was.
    int returnCaret_ = 0;
    int quantityEnd_ = 0;
    int textSizeAtJump_ = 0;
};

} // namespace lichuan
