#pragma once
// A spreadsheet cell as the program exchanges it: empty, a text, or a number.

#include <QList>
#include <QString>

namespace lichuan::spreadsheet {

struct Cell {
    enum class Kind { Empty, Text, Number };

    Kind kind = Kind::Empty;
    QString text;         // the text of a text cell
    double number = 0;    // the value of a number cell
    QString numberFormat; // how a written number is shown ("0.000"); empty: as the value is

    static Cell fromText(const QString& value);
    static Cell fromNumber(double value, const QString& format = QString());

    bool isEmpty() const { return kind == Kind::Empty || (kind == Kind::Text && text.isEmpty()); }
    bool isNumber() const { return kind == Kind::Number; }
    // The cell as the program's texts hold it: a number as its shortest decimal with 15 significant
    // digits (2.5 → "2.5", 10 → "10", 0.1 + 0.2 → "0.3"), an empty cell as "".
    QString toText() const;
};

using Row = QList<Cell>;

// The cell of a row by 0-based column; an empty cell beyond the row's end.
const Cell& cellAt(const Row& row, int column);

} // namespace lichuan::spreadsheet
