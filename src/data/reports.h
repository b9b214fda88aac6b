#pragma once
// What the log and the two statistics windows read: the prescriptions of a date range, the count and
// takings of a period, the dispensed quantities of a category. Dates are real dates (a typed date has been
// read by the date parser before it comes here); every value is a bound parameter. No function here throws.

#include "data/numbers.h"

#include <QDate>
#include <QString>
#include <vector>

namespace lichuan {

class Database;

// One line of the outpatient log: the columns 0, 1, 2, 6, 4 and 5 of a 档案 row.
struct LogRow {
    QString name;      // 0
    QString sex;       // 1
    QString age;       // 2
    QString diagnosis; // 6
    QString address;   // 4
    QString date;      // 5, "yyyy-MM-dd"
    bool operator==(const LogRow& o) const;
};

struct LogResult {
    std::vector<LogRow> rows; // in the order of the record keys; empty when tooMany or failed
    bool tooMany = false;     // more rows than the limit
    bool failed = false;      // the database could not be read
};

// The prescriptions whose date lies in [from, to], ordered by record key. More than `limit` rows give an
// empty list with tooMany set.
LogResult queryLog(const Database& main, const QDate& from, const QDate& to, int limit);

// The number of prescriptions of a period, settled or not, and the sum of the leading numbers of their
// totals (column 9; an empty total counts 0), summed exactly.
struct BusinessTotals {
    int count = 0;
    numbers::Decimal4 takings;
    bool failed = false;
};
BusinessTotals businessTotals(const Database& main, const QDate& from, const QDate& to);

// What one item name of a category added up to in a period.
struct UsageTotal {
    QString name;
    numbers::Decimal4 quantity; // the sum of the leading numbers of 数量
    numbers::Decimal4 amount;   // the sum of the leading numbers of 金额
    QString unit;               // 单位 of the first statistics line of the name (the earliest written)
    bool operator==(const UsageTotal& o) const;
};

struct UsageResult {
    std::vector<UsageTotal> totals; // one per distinct name, in GBK order of the names
    bool failed = false;
};

// The statistics lines of `category` dated in [from, to], summed by name: one query over the lines; the sums
// are made exactly here from the texts of the lines.
UsageResult usageTotals(const Database& statistics, const QString& category, const QDate& from,
                        const QDate& to);

// The same result the name-by-name way: the distinct names first, then for each name its quantities, its
// amounts and its first unit, each by a query of its own (1 + 3N queries). Kept to check usageTotals against
// and to measure what the grouped query saves.
UsageResult usageTotalsByName(const Database& statistics, const QString& category, const QDate& from,
                              const QDate& to);

// The two margins of the log print in the settings row (日志左边距, 日志上边距), in millimetres as text.
struct LogMargins {
    QString left;
    QString top;
};
LogMargins readLogMargins(const Database& main);
// Writes both margins; false when they were not stored (a value too long for its column included).
bool writeLogMargins(Database& main, const LogMargins& margins);

} // namespace lichuan
