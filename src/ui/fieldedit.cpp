#include "ui/fieldedit.h"

#include "data/gbk.h"

#include <QValidator>

namespace lichuan {

namespace {

// Refuses an edit that makes the text longer than the limit, but never one that shortens it, so a longer
// text set by the program can still be corrected by hand.
class TypingLimitValidator final : public QValidator {
public:
    TypingLimitValidator(QLineEdit* edit, int limit) : QValidator(edit), edit_(edit), limit_(limit) {
        connect(edit, &QLineEdit::textChanged, this,
                [this](const QString& text) { length_ = gbk::charCount(text); });
        length_ = gbk::charCount(edit->text());
    }
    State validate(QString& input, int&) const override {
        const int length = gbk::charCount(input);
        return (length > limit_ && length > length_) ? Invalid : Acceptable;
    }

private:
    QLineEdit* edit_;
    int limit_;
    int length_ = 0;
};

} // namespace

FieldEdit::FieldEdit(QWidget* parent) : QLineEdit(parent) {}

void FieldEdit::setTypingLimit(int characters) {
    limit_ = characters;
    delete validator();
    setValidator(characters > 0 ? new TypingLimitValidator(this, characters) : nullptr);
}

void FieldEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    deselect();
    end(false);
}

} // namespace lichuan
