#pragma once
// Dates typed by people: one parser for every date field, and the month and year arithmetic of the lists.

#include <QDate>
#include <QString>

namespace lichuan::dates {

// "2024-03-01", "2024-3-1", "2024/3/1" and "2024.3.1" (surrounding spaces allowed); an invalid date such as
// 2024-02-30 or any other text gives an invalid QDate.
QDate parse(const QString& text);

// yyyy-MM-dd, as stored and shown.
QString format(const QDate& date);

} // namespace lichuan::dates
