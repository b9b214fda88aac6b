#pragma once
// A one-line field as the sheet's fields behave: a limit on what the user types (text the program sets is
// never cut) and the caret at the end whenever the field gets the focus.

#include <QLineEdit>

namespace lichuan {

class FieldEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit FieldEdit(QWidget* parent = nullptr);
    // Most characters the user can type, paste or compose into the field; 0 for no limit.
    void setTypingLimit(int characters);
    int typingLimit() const { return limit_; }

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    int limit_ = 0;
};

} // namespace lichuan
