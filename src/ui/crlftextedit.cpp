#include "ui/crlftextedit.h"

#include "data/textrules.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>

namespace lichuan {

CrLfTextEdit::CrLfTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
}

namespace {

// The document's own text: blocks apart by U+2029, every other character (U+00A0, U+2028, tabs) as it is.
// toPlainText() would turn U+00A0 into a space and U+2028 into a break.
QString rawText(const QTextDocument& document) {
    return document.toRawText();
}

} // namespace

QString CrLfTextEdit::text() const {
    QString text = rawText(*document());
    text.replace(QChar::ParagraphSeparator, kCrLf);
    return text;
}

void CrLfTextEdit::setText(const QString& crLfText) {
    setPlainText(fromCrLf(crLfText));
}

int CrLfTextEdit::caret() const {
    // Every block break before the caret is one character in the widget and two in the "\r\n" text.
    const QString raw = rawText(*document());
    const int position = qBound(0, textCursor().position(), int(raw.size()));
    return position + int(QStringView(raw).left(position).count(QChar::ParagraphSeparator));
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

void CrLfTextEdit::keyPressEvent(QKeyEvent* event) {
    // Shift+Enter breaks the line like Enter: the widget would otherwise put U+2028 into the text, which is
    // no line break of the stored text.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers().testFlag(Qt::ShiftModifier)) {
        QKeyEvent plain(event->type(), event->key(), event->modifiers() & ~Qt::ShiftModifier, event->text(),
                        event->isAutoRepeat(), ushort(event->count()));
        QPlainTextEdit::keyPressEvent(&plain);
        event->setAccepted(plain.isAccepted());
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
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
