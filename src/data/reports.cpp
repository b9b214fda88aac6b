#include "data/reports.h"

#include "data/dates.h"
#include "data/engine.h"
#include "data/settingsrow.h"

#include <QStringView>

namespace lichuan {

namespace {

const QString kLogLeft = QStringLiteral("日志左边距");
const QString kLogTop = QStringLiteral("日志上边距");

// The separator of the texts a group gathers: a control character no typed quantity or amount holds.
constexpr char16_t kGroupSeparator = u'\x1f';

numbers::Decimal4 sumOfTexts(QStringView joined) {
    numbers::Decimal4 sum;
    for (QStringView piece : joined.split(QChar(kGroupSeparator)))
        sum += numbers::Decimal4::fromText(piece);
    return sum;
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
        // One row more than the limit tells that there are too many, without counting them all.
        Statement select(main, QStringLiteral("select [0],[1],[2],[6],[4],[5] from [档案] "
                                              "where [5] between ? and ? order by [序号] limit ?"));
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
        Statement select(main, QStringLiteral("select [9] from [档案] where [5] between ? and ?"));
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
        // The unit is that of the group's earliest line: SQLite takes a bare column from the row that
        // gives min(). The texts are gathered, not summed: sum() would turn them into floating numbers.
        Statement select(statistics,
                         QStringLiteral("select [名称], min(rowid), [单位], "
                                        "group_concat([数量], char(31)), group_concat([金额], char(31)) "
                                        "from [统计] where [分类] = ? and [日期] between ? and ? "
                                        "group by [名称] order by [名称] collate GBK, [名称]"));
        select.bind(1, category.isNull() ? QStringLiteral("") : category)
            .bind(2, dates::format(from))
            .bind(3, dates::format(to));
        while (select.next()) {
            UsageTotal total;
            total.name = select.text(0);
            total.unit = select.text(2);
            total.quantity = sumOfTexts(select.text(3));
            total.amount = sumOfTexts(select.text(4));
            result.totals.push_back(std::move(total));
        }
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
    const QString lines =
        QStringLiteral("from [统计] where [分类] = ? and [名称] = ? and [日期] between ? and ?");
    try {
        Statement names(statistics,
                        QStringLiteral("select distinct [名称] from [统计] where [分类] = ? and "
                                       "[日期] between ? and ? order by [名称] collate GBK, [名称]"));
        names.bind(1, bound).bind(2, first).bind(3, last);
        while (names.next()) {
            UsageTotal total;
            total.name = names.text(0);
            auto sumOf = [&](const QString& column) {
                Statement select(statistics, QStringLiteral("select %1 %2").arg(column, lines));
                select.bind(1, bound).bind(2, total.name).bind(3, first).bind(4, last);
                numbers::Decimal4 sum;
                while (select.next())
                    sum += numbers::Decimal4::fromText(select.text(0));
                return sum;
            };
            total.quantity = sumOf(QStringLiteral("[数量]"));
            total.amount = sumOf(QStringLiteral("[金额]"));
            Statement unit(
                statistics,
                QStringLiteral("select [单位] from [统计] where rowid = (select min(rowid) %1)").arg(lines));
            unit.bind(1, bound).bind(2, total.name).bind(3, first).bind(4, last);
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
