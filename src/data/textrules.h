#pragma once
// Text rules of the item text: trimming spaces, the herbal layout in 13-column cells, caret columns,
// template insertion and the clean-up of a template before it is stored. Line breaks are "\r\n" here.

#include <QString>
#include <QStringList>
#include <QStringView>

namespace lichuan {

inline const QString kCrLf = QStringLiteral("\r\n");

// Removes leading and trailing U+0020 only (never tabs, line breaks or full-width spaces).
QString trimSpaces(const QString& text);
QString trimLeadingSpaces(const QString& text);
QString trimTrailingSpaces(const QString& text);

// The item followed by filler spaces: 13 − w spaces for a width w ≤ 12 display columns, else one space.
QString PadItem(const QString& item);

// 1-based display column of `position` within its line of `text` (lines end in "\r\n").
int CaretColumn(const QString& text, int position);

// The herbal layout of an item text.
struct HerbalLayout {
    QString text;      // laid-out items followed by the tail
    int caret = 0;     // position just after the last item; 0 when there was no item
    QStringList items; // the items in order, without filler
    QString tail;      // the text after the last unit character
};
// Unit characters end items ("条", "g", "枚", "个", and a "$" typed by the user); each item is padded with
// PadItem and a new line (after an empty line) starts when the caret column exceeds 35.
HerbalLayout layOutHerbal(const QString& text);

// Removes surrounding spaces and then one trailing "\r\n", 21 times in a row.
QString trimForSave(const QString& content);
// A formula before it is stored: "克" → "g", "、" → " " (the caller lays it out afterwards).
QString normaliseFormula(const QString& content);

// The text to insert at the end of the item text for a template of kind "西成药组套", given the item text.
QString westernTemplateInsertion(const QString& itemText, const QString& content);

// Converts between the "\r\n" form of all logic and storage and the "\n" of Qt's text widgets.
QString toCrLf(const QString& widgetText);
QString fromCrLf(const QString& text);
// Caret positions: a position in the "\r\n" text ↔ the position in the "\n" text.
int crLfPositionToWidget(const QString& crLfText, int position);
int widgetPositionToCrLf(const QString& widgetText, int position);

} // namespace lichuan
