#include "ui/crlftextedit.h"

#include "data/textrules.h"

#include <QTextBlock>
#include <QTextCursor>

namespace lichuan {

CrLfTextEdit::CrLfTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
}

QString CrLfTextEdit::text() const {
    return toCrLf(toPlainText());
}

void CrLfTextEdit::setText(const QString& crLfText) {
    setPlainText(fromCrLf(crLfText));
}

int CrLfTextEdit::caret() const {
    return widgetPositionToCrLf(toPlainText(), textCursor().position());
}

void CrLfTextEdit::setCaret(int crLfPosition) {
    QTextCursor cursor = textCursor();
    const int position = crLfPositionToWidget(text(), crLfPosition);
    cursor.setPosition(qBound(0, position, document()->characterCount() - 1));
    setTextCursor(cursor);
}

void CrLfTextEdit::moveCaretToEnd() {
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::End);
    setTextCursor(cursor);
}

void CrLfTextEdit::insertAtCaret(const QString& crLfText) {
    QTextCursor cursor = textCursor();
    cursor.insertText(fromCrLf(crLfText));
    setTextCursor(cursor);
}

void CrLfTextEdit::append(const QString& crLfText) {
    moveCaretToEnd();
    insertAtCaret(crLfText);
    moveCaretToEnd();
}

void CrLfTextEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseDoubleClickEvent(event);
    Q_EMIT doubleClicked();
}

void CrLfTextEdit::mousePressEvent(QMouseEvent* event) {
    QPlainTextEdit::mousePressEvent(event);
    Q_EMIT clicked();
}

} // namespace lichuan
