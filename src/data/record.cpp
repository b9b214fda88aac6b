#include "data/record.h"

#include "data/numbers.h"
#include "data/searchcodes.h"
#include "data/textrules.h"

#include <iterator>

namespace lichuan {

namespace {

const QChar kCellEnd = QLatin1Char('@');
const QChar kColumnEnd = QLatin1Char('$');

// The stored columns of 计价, in order: name, quantity, unit, price, amount, drawer (the category is not
// stored).
constexpr QString PricedLine::*kStoredColumns[] = {&PricedLine::name,   &PricedLine::quantity,
                                                   &PricedLine::unit,   &PricedLine::price,
                                                   &PricedLine::amount, &PricedLine::drawer};

// The pieces of `text` between its separators, as the stored format is split: a last piece that lacks its
// closing separator is a piece all the same (an old text cut short keeps what it holds).
QList<QStringView> splitPieces(QStringView text, QChar separator) {
    return text.split(separator);
}

} // namespace

bool PricedLine::operator==(const PricedLine& o) const {
    return name == o.name && quantity == o.quantity && unit == o.unit && price == o.price &&
           amount == o.amount && drawer == o.drawer && category == o.category;
}

QString pricingText(const PricedLines& lines) {
    QString text;
    for (const auto cell : kStoredColumns) {
        for (const PricedLine& line : lines) {
            if (line.name.isEmpty())
                break;
            // A separator inside a cell would split it: it is kept in its full-width form.
            QString value = line.*cell;
            value.replace(kCellEnd, QChar(0xFF20) /* ＠ */).replace(kColumnEnd, QChar(0xFF04) /* ＄ */);
            text += value;
            text += kCellEnd;
        }
        text += kColumnEnd;
    }
    return text;
}

PricedLines readPricingText(const QString& text) {
    PricedLines lines;
    const QList<QStringView> columns = splitPieces(text, kColumnEnd);
    for (qsizetype column = 0; column < qsizetype(std::size(kStoredColumns)) && column < columns.size();
         ++column) {
        const QList<QStringView> cells = splitPieces(columns.at(column), kCellEnd);
        for (qsizetype line = 0; line < kPricedLineCount && line < cells.size(); ++line)
            lines[std::size_t(line)].*kStoredColumns[column] = cells.at(line).toString();
    }
    return lines;
}

QString timestamp14(const QDateTime& moment) {
    return moment.toString(QStringLiteral("yyyyMMddHHmmss"));
}

QString birthYear(const QString& age, int currentYear) {
    QString rest = age;
    rest.remove(QChar(0x5C81) /* 岁 */);
    rest.remove(QLatin1Char('Y'));
    rest.remove(QLatin1Char('y'));
    // The leading number of the rest: "35岁半" is 35, "abc" is 0.
    return numbers::shortest(currentYear - numbers::leadingNumber(rest));
}

QString patientKey(const QString& name, const QString& age, int currentYear) {
    return name + PinyinInitials(trimSpaces(name)) + birthYear(age, currentYear);
}

namespace {

bool isAsciiSpace(QChar c) {
    return c == QLatin1Char(' ') || (c.unicode() >= '\t' && c.unicode() <= '\r');
}

bool isDigit(QChar c) {
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// A text that is a number as a whole: ASCII blanks, a sign, digits with a point ("19.", "19.5", ".5"), an
// exponent written with e or d, blanks. The suggestions ask this of thousands of rows on one keystroke.
bool isWholeNumber(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto digits = [&] {
        const qsizetype from = i;
        while (i < n && isDigit(text[i]))
            ++i;
        return i > from;
    };
    while (i < n && isAsciiSpace(text[i]))
        ++i;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    const bool whole = digits();
    bool fraction = false;
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        fraction = digits();
    }
    if (!whole && !fraction)
        return false;
    if (i < n && QStringLiteral("eEdD").contains(text[i])) {
        ++i;
        if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
            ++i;
        if (!digits())
            return false;
    }
    while (i < n && isAsciiSpace(text[i]))
        ++i;
    return i == n;
}

} // namespace

bool ageFromBirthYear(QStringView storedYear, int currentYear, int* age) {
    // Only a text that is a number as a whole counts; "1989abc" or "" give no age.
    if (!isWholeNumber(storedYear))
        return false;
    if (age)
        *age = int(numbers::roundHalfEven(currentYear - numbers::leadingNumber(storedYear)));
    return true;
}

QString historyEntryText(const HistoryRow& row) {
    // Made in one piece: a history list makes thousands of them at once.
    QString entry;
    entry.reserve(row.name.size() + row.sex.size() + row.age.size() + row.date.size() + row.settled.size() +
                  4);
    entry.append(row.name)
        .append(QLatin1Char('['))
        .append(row.sex)
        .append(QLatin1Char(','))
        .append(row.age)
        .append(QLatin1Char(','))
        .append(row.date)
        .append(QLatin1Char(']'))
        .append(row.settled);
    return entry;
}

} // namespace lichuan
