#include "reports/reportrules.h"

#include "data/dates.h"

#include <cstdlib>

namespace lichuan::reports {

Period defaultPeriod(const QDate& today) {
    return {dates::format(today.addMonths(-1)), dates::format(today)};
}

QString logCountCaption(int count) {
    return QStringLiteral("记录数：") + QString::number(count);
}

QString logExportCountCaption(int count) {
    return QStringLiteral("计录数：") + QString::number(count);
}

QString businessLine(const BusinessTotals& totals) {
    if (totals.count == 0)
        return kNoFigures;
    return QStringLiteral("门诊处方数：%1张，业务额(￥)：%2")
        .arg(totals.count)
        .arg(totals.takings.toFixed2());
}

bool usageSpanAllowed(const QDate& from, const QDate& to) {
    return from.isValid() && to.isValid() && std::llabs(from.daysTo(to)) <= kUsageMaxSpanDays;
}

bool UsageLine::operator==(const UsageLine& o) const {
    return name == o.name && quantity == o.quantity && unit == o.unit && amount == o.amount;
}

std::vector<UsageLine> usageLines(const std::vector<UsageTotal>& totals) {
    std::vector<UsageLine> lines;
    lines.reserve(totals.size());
    for (const UsageTotal& total : totals) {
        UsageLine line;
        line.name = total.name.isEmpty() ? kNoName : total.name;
        const double quantity = double(total.quantity.units()) / 10000.0;
        if (total.unit == QLatin1String("g")) {
            line.quantity = numbers::fixed(quantity / 1000.0, 2);
            line.unit = QStringLiteral("kg");
        } else {
            line.quantity = numbers::shortest(quantity);
            line.unit = total.unit;
        }
        line.amount = total.amount.toFixed2();
        lines.push_back(std::move(line));
    }
    return lines;
}

QString usageGridAmount(const QString& amount) {
    return amount == QLatin1String("0.00") ? QString() : amount;
}

QString auditDetailText(const audit::Line& line, const QString& content) {
    QString text = QStringLiteral("%1　%2　站点：%3\n").arg(line.time, line.action, line.station);
    if (!line.key.isEmpty() || !line.name.isEmpty())
        text += QStringLiteral("处方号：%1　姓名：%2\n").arg(line.key, line.name);
    text += line.text;
    if (content.isEmpty())
        return text;
    if (line.action == audit::kDeleted) {
        const std::optional<SheetRecord> record = audit::recordFromRowText(content);
        if (!record)
            return text;
        text += QStringLiteral("\n\n删除前的处方：\n");
        QStringList fields;
        for (int i = 0; i < kHeaderFieldCount; ++i) {
            if (!record->fields[std::size_t(i)].isEmpty())
                fields << audit::fieldName(i) + QStringLiteral("：") + record->fields[std::size_t(i)];
        }
        text += fields.join(QStringLiteral("　")) + QStringLiteral("\n") + record->items;
        return text;
    }
    return text + QStringLiteral("\n\n修改前的药品内容：\n") + content;
}

} // namespace lichuan::reports
