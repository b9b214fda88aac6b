#pragma once
// What the prescription window tells the user when a save or a settlement could not store everything.

#include <QString>
#include <QStringList>

namespace lichuan::savemessages {

inline const QString kNameMissing = QStringLiteral("请输入患者姓名！");
inline const QString kDateUnreadable = QStringLiteral("日期无法识别，处方未保存！");
inline const QString kNotSaved = QStringLiteral("数据库出错，处方未保存！");
inline const QString kStatisticsNotSaved = QStringLiteral("数据库出错，用药统计未保存！");
inline const QString kStatisticsNotDeleted = QStringLiteral("数据库出错，用药统计未删除！");
inline const QString kCaseRecordNotStored = QStringLiteral("数据库出错，病历未保存！");

// The name a user knows a refused column by: the header columns "0" … "14" by their field captions
// (without the colon), the other columns of 档案 by what they hold; any other name as it is.
QString columnTitle(const QString& column);

// "以下内容过长，未能保存：姓名、诊断" for the values of a prescription that were too long for their
// columns; "" when there are none. Each column is named once.
QString refusedValues(const QStringList& refusedColumns);
// The same for the statistics lines of a settlement.
QString refusedStatistics(const QStringList& refusedColumns);

} // namespace lichuan::savemessages
