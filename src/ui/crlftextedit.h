#pragma once
// A multi-line text box whose text and caret are seen in the "\r\n" form the program stores; the widget
// itself holds one break per line. Every other character comes back as it was typed or set (U+00A0, U+2028,
// a tab set by the program). Tab moves the focus on instead of inserting a tab; Shift+Enter breaks the line
// as Enter does.

#include <QPlainTextEdit>

namespace lichuan {

class CrLfTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CrLfTextEdit(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& crLfText);
    // Caret position counted in the "\r\n" text.
    int caret() const;
    void setCaret(int crLfPosition);
    void moveCaretToEnd();
    // Inserts text at the caret, replacing the selection.
    void insertAtCaret(const QString& crLfText);
    // Appends text at the end and puts the caret after it.
    void append(const QString& crLfText);

Q_SIGNALS:
    void doubleClicked();
    void clicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace lichuan
