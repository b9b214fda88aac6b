#pragma once
// A multi-line text box whose text and caret are seen in the "\r\n" form the program stores; the widget
// itself holds "\n". Tab moves the focus on instead of inserting a tab.

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
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace lichuan
