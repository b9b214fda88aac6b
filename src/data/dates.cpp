#include "data/dates.h"

#include "data/textrules.h"

#include <QRegularExpression>

namespace lichuan::dates {

QDate parse(const QString& text) {
    // Year, month and day joined by one kind of separator: 2024-03-01, 2024-3-1, 2024/3/1, 2024.3.1.
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{4})([-/.])([0-9]{1,2})\\2([0-9]{1,2})$"));
    const QRegularExpressionMatch match = pattern.match(trimSpaces(text));
    if (!match.hasMatch())
        return QDate();
    // An impossible day such as 2024-02-30 gives an invalid date.
    return QDate(match.captured(1).toInt(), match.captured(3).toInt(), match.captured(4).toInt());
}

QString format(const QDate& date) {
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

} // namespace lichuan::dates
