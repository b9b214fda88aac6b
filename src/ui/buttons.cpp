#include "ui/buttons.h"

#include <QAbstractButton>
#include <QEvent>
#include <QKeyEvent>

namespace lichuan {

namespace {

class EnterClicks final : public QObject {
public:
    explicit EnterClicks(QAbstractButton& button) : QObject(&button), button_(button) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &button_ && event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !key->isAutoRepeat()) {
                if (button_.isEnabled())
                    button_.click();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QAbstractButton& button_;
};

} // namespace

void clickOnEnter(QAbstractButton& button) {
    button.installEventFilter(new EnterClicks(button));
}

} // namespace lichuan
