#include "data/reports.h"

#include "data/dates.h"
#include "data/engine.h"
#include "data/gbk.h"
#include "data/settingsrow.h"
#include "data/sqltexts.h"

#include <QHash>
#include <QStringView>
#include <algorithm>

namespace lichuan {

namespace {

const QString kLogLeft = QStringLiteral("日志左边距");
const QString kLogTop = QStringLiteral("日志上边距");

// One row more than the limit tells that there are too many, without counting them all.
const sql::Text kLog{QStringLiteral("select [0],[1],[2],[6],[4],[5] from [档案] "
                                    "where [5] between ? and ? order by [序号] limit ?")};
const sql::Text kTakings{QStringLiteral("select [9] from [档案] where [5] between ? and ?")};
const sql::Text kUsageLines{QStringLiteral("select [名称], [数量], [金额], [单位], rowid from [统计] "
                                           "where [分类] = ? and [日期] between ? and ?")};
const sql::Text kUsageNames{
    QStringLiteral("select [名称] from [统计] where [分类] = ? and [日期] between ? and ? "
                   "group by [名称] order by [名称] collate GBK, [名称]")};
// The lines of one name (a null name and an empty one are the same "no name", as in usageTotals()).
const QString kLinesOfName =
    QStringLiteral("from [统计] where [分类] = ? and coalesce([名称], '') = ? and [日期] between ? and ?");
// %1: the column summed.
const sql::Text kSumOfName{
    QStringLiteral("select %1 ") + kLinesOfName, [] {
        return std::vector<QStringList>{{QStringLiteral("[数量]")}, {QStringLiteral("[金额]")}};
    }};
const sql::Text kUnitOfName{
    QStringLiteral("select [单位] from [统计] where rowid = (select min(rowid) %1)").arg(kLinesOfName)};

// The value of a stored quantity or amount. The usual texts ("60", "3.000", "0.125") are read digit by
// digit; anything else goes through the number reader, which gives the same value for these.
numbers::Decimal4 decimalOf(QStringView text) {
    long long units = 0;
    int decimals = -1;
    bool plain = !text.isEmpty() && text.size() <= 14;
    for (qsizetype i = 0; plain && i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= u'0' && c <= u'9' && decimals < 4) {
            units = units * 10 + (c - u'0');
            if (decimals >= 0)
                ++decimals;
        } else if (c == u'.' && decimals < 0 && i > 0) {
            decimals = 0;
        } else {
            plain = false;
        }
    }
    if (!plain)
        return numbers::Decimal4::fromText(text);
    for (int d = decimals < 0 ? 0 : decimals; d < 4; ++d)
        units *= 10;
    return numbers::Decimal4::fromUnits(units);
}

// A stored date as the log shows it; a text the parser cannot read is shown as it is.
QString shownDate(const QString& stored) {
    const QDate date = dates::parse(stored.left(10));
    return date.isValid() ? dates::format(date) : stored;
}

} // namespace

bool LogRow::operator==(const LogRow& o) const {
    return name == o.name && sex == o.sex && age == o.age && diagnosis == o.diagnosis &&
           address == o.address && date == o.date;
}

bool UsageTotal::operator==(const UsageTotal& o) const {
    return name == o.name && quantity.units() == o.quantity.units() && amount.units() == o.amount.units() &&
           unit == o.unit;
}

LogResult queryLog(const Database& main, const QDate& from, const QDate& to, int limit) {
    LogResult result;
    if (!from.isValid() || !to.isValid())
        return result;
    try {
        Statement select(main, kLog);
        select.bind(1, dates::format(from)).bind(2, dates::format(to)).bind(3, qint64(limit) + 1);
        while (select.next()) {
            if (int(result.rows.size()) == limit) {
                result.rows.clear();
                result.tooMany = true;
                break;
            }
            result.rows.push_back(LogRow{select.text(0), select.text(1), select.text(2), select.text(3),
                                         select.text(4), shownDate(select.text(5))});
        }
    } catch (const DbError&) {
        result = LogResult();
        result.failed = true;
    }
    return result;
}

BusinessTotals businessTotals(const Database& main, const QDate& from, const QDate& to) {
    BusinessTotals totals;
    if (!from.isValid() || !to.isValid())
        return totals;
    try {
        Statement select(main, kTakings);
        select.bind(1, dates::format(from)).bind(2, dates::format(to));
        while (select.next()) {
            ++totals.count;
            totals.takings += numbers::Decimal4::fromText(select.text(0));
        }
    } catch (const DbError&) {
        totals = BusinessTotals();
        totals.failed = true;
    }
    return totals;
}

UsageResult usageTotals(const Database& statistics, const QString& category, const QDate& from,
                        const QDate& to) {
    UsageResult result;
    if (!from.isValid() || !to.isValid())
        return result;
    try {
        // One pass over the period's lines, grouped by name here: cheaper than letting the engine sort them
        // into groups, and the texts are summed exactly (sum() would turn them into floating numbers).
        Statement select(statistics, kUsageLines);
        select.bind(1, category.isNull() ? QStringLiteral("") : category)
            .bind(2, dates::format(from))
            .bind(3, dates::format(to));
        struct Group {
            UsageTotal total;
            qint64 firstLine = 0; // the earliest written line gives the unit
        };
        std::vector<Group> groups;
        QHash<QString, size_t> byName;
        while (select.next()) {
            // A null name reads as empty text: null and empty names are one group, "no name".
            const QString name = select.text(0);
            const qint64 line = select.integer(4);
            auto found = byName.constFind(name);
            if (found == byName.constEnd()) {
                found = byName.insert(name, groups.size());
                groups.push_back({UsageTotal{name, {}, {}, select.text(3)}, line});
            }
            Group& group = groups[*found];
            group.total.quantity += decimalOf(select.text(1));
            group.total.amount += decimalOf(select.text(2));
            if (line < group.firstLine) {
                group.firstLine = line;
                group.total.unit = select.text(3);
            }
        }
        // In the order of "order by [名称] collate GBK, [名称]".
        std::vector<std::pair<QByteArray, size_t>> order;
        order.reserve(groups.size());
        for (size_t i = 0; i < groups.size(); ++i)
            order.emplace_back(gbk::sortKey(groups[i].total.name), i);
        std::sort(order.begin(), order.end(), [&groups](const auto& a, const auto& b) {
            if (const int c = a.first.compare(b.first))
                return c < 0;
            return groups[a.second].total.name < groups[b.second].total.name;
        });
        result.totals.reserve(groups.size());
        for (const auto& entry : order)
            result.totals.push_back(std::move(groups[entry.second].total));
    } catch (const DbError&) {
        result = UsageResult();
        result.failed = true;
    }
    return result;
}

UsageResult usageTotalsByName(const Database& statistics, const QString& category, const QDate& from,
                              const QDate& to) {
    UsageResult result;
    if (!from.isValid() || !to.isValid())
        return result;
    const QString bound = category.isNull() ? QStringLiteral("") : category;
    const QString first = dates::format(from);
    const QString last = dates::format(to);
    try {
        Statement names(statistics, kUsageNames);
        names.bind(1, bound).bind(2, first).bind(3, last);
        while (names.next()) {
            // The null name comes first, next to the empty one; both are counted under the empty one.
            if (names.text(0).isEmpty() && !result.totals.empty() && result.totals.back().name.isEmpty())
                continue;
            UsageTotal total;
            total.name = names.text(0);
            const QString boundName = total.name.isNull() ? QStringLiteral("") : total.name;
            auto sumOf = [&](const QString& column) {
                Statement select(statistics, kSumOfName.arg(column));
                select.bind(1, bound).bind(2, boundName).bind(3, first).bind(4, last);
                numbers::Decimal4 sum;
                while (select.next())
                    sum += numbers::Decimal4::fromText(select.text(0));
                return sum;
            };
            total.quantity = sumOf(QStringLiteral("[数量]"));
            total.amount = sumOf(QStringLiteral("[金额]"));
            Statement unit(statistics, kUnitOfName);
            unit.bind(1, bound).bind(2, boundName).bind(3, first).bind(4, last);
            if (unit.next())
                total.unit = unit.text(0);
            result.totals.push_back(std::move(total));
        }
    } catch (const DbError&) {
        result = UsageResult();
        result.failed = true;
    }
    return result;
}

LogMargins readLogMargins(const Database& main) {
    LogMargins margins;
    if (const auto row = readSettingsRow(main)) {
        margins.left = row->value(kLogLeft);
        margins.top = row->value(kLogTop);
    }
    return margins;
}

bool writeLogMargins(Database& main, const LogMargins& margins) {
    QStringList refused;
    SettingsRow values;
    values.insert(kLogLeft, margins.left);
    values.insert(kLogTop, margins.top);
    return writeSettingsRow(main, values, &refused) && refused.isEmpty();
}

} // namespace lichuan
