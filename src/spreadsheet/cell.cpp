#include "spreadsheet/cell.h"

#include "data/numbers.h"

namespace lichuan::spreadsheet {

Cell Cell::fromText(const QString& value) {
    Cell cell;
    cell.kind = Kind::Text;
    cell.text = value;
    return cell;
}

Cell Cell::fromNumber(double value, const QString& format) {
    Cell cell;
    cell.kind = Kind::Number;
    cell.number = value;
    cell.numberFormat = format;
    return cell;
}

QString Cell::toText() const {
    switch (kind) {
    case Kind::Text:
        return text;
    case Kind::Number:
        return numbers::shortest(number);
    case Kind::Empty:
        break;
    }
    return QString();
}

const Cell& cellAt(const Row& row, int column) {
    static const Cell empty;
    if (column < 0 || column >= row.size())
        return empty;
    return row.at(column);
}

} // namespace lichuan::spreadsheet
