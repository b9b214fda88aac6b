#pragma once
// The rules of the log and the two statistics windows that need no window: the default period, the texts
// they show and the drug usage lines as shown and exported.

#include "data/audit.h"
#include "data/reports.h"

#include <QDate>
#include <QString>
#include <vector>

namespace lichuan::reports {

// The log lists at most this many prescriptions.
constexpr int kLogRowLimit = 30000;
constexpr int kLogGridRows = 20;
constexpr int kUsageGridRows = 16;
// The longest period of the drug usage statistics, both ends included.
constexpr int kUsageMaxSpanDays = 32;

inline const QString kTooManyRows = QStringLiteral("数据太多，请缩短查询时间范围！");
inline const QString kBadDates = QStringLiteral("请填写正确格式的起止日期！日期格式为“2016-01-03”。");
inline const QString kExported = QStringLiteral("文件导出成功！");
inline const QString kSpanTooLong = QStringLiteral("统计日期范围不能超过1个月！");
inline const QString kNoFigures = QStringLiteral("无统计数字");
inline const QString kSaveTitle = QStringLiteral("另存为");
inline const QString kSaveFilter = QStringLiteral("Excel文件 (*.xlsx)");

// Start and end of the period a window opens with: today one calendar month back (clamped to the month's
// last day), and today, both "yyyy-MM-dd".
struct Period {
    QString from;
    QString to;
};
Period defaultPeriod(const QDate& today);

// "记录数：" + n after a query; the export's own caption is "计录数：" + n.
QString logCountCaption(int count);
QString logExportCountCaption(int count);

// The result line of the business statistics: "无统计数字" for no prescriptions, else
// "门诊处方数：12张，业务额(￥)：345.00".
QString businessLine(const BusinessTotals& totals);

// Whether a usage period may be computed: fewer than 33 days between the two dates, in either order.
bool usageSpanAllowed(const QDate& from, const QDate& to);

// One line of the usage result as the export writes it: a total in grams as kilograms with two decimals,
// any other unit as the summed quantity; the amount with two decimals. The lines without a name (null or
// empty in older files, one group) are named kNoName.
inline const QString kNoName = QStringLiteral("（无名称）");
struct UsageLine {
    QString name;
    QString quantity;
    QString unit;
    QString amount;
    bool operator==(const UsageLine& o) const;
};
std::vector<UsageLine> usageLines(const std::vector<UsageTotal>& totals);
// The amount as the grid shows it: "0.00" is shown empty.
QString usageGridAmount(const QString& amount);

// The whole text of a line of the log as the 操作记录 window shows it below the list: its fields and 说明,
// then what the change replaced (`content`): the old item text of a change, the deleted prescription's
// fields and item text.
QString auditDetailText(const audit::Line& line, const QString& content);

} // namespace lichuan::reports
