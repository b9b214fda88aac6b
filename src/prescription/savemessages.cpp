#include "prescription/savemessages.h"

#include "prescription/sheetgeometry.h"

namespace lichuan::savemessages {

namespace {

QString joined(const QStringList& columns) {
    QStringList titles;
    for (const QString& column : columns) {
        const QString title = columnTitle(column);
        if (!titles.contains(title))
            titles << title;
    }
    return titles.join(QStringLiteral("、"));
}

} // namespace

QString columnTitle(const QString& column) {
    bool isNumber = false;
    const int field = column.toInt(&isNumber);
    if (isNumber && field >= 0 && field < kHeaderFieldCount) {
        QString caption =
            QString::fromUtf16(sheetgeometry::kHeaderFields[static_cast<size_t>(field)].caption);
        caption.remove(QStringLiteral("："));
        return caption;
    }
    if (column == QLatin1String("T1"))
        return QStringLiteral("处方内容");
    if (column == QStringLiteral("计价"))
        return QStringLiteral("划价明细");
    if (column == QStringLiteral("发药"))
        return QStringLiteral("结算标记");
    if (column == QStringLiteral("序号"))
        return QStringLiteral("处方编号");
    return column;
}

QString refusedValues(const QStringList& refusedColumns) {
    if (refusedColumns.isEmpty())
        return QString();
    return QStringLiteral("以下内容过长，未能保存：") + joined(refusedColumns);
}

QString refusedStatistics(const QStringList& refusedColumns) {
    if (refusedColumns.isEmpty())
        return QString();
    return QStringLiteral("以下内容过长，未能存入用药统计：") + joined(refusedColumns);
}

} // namespace lichuan::savemessages
