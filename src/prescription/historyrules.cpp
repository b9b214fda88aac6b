#include "prescription/historyrules.h"

#include "data/dates.h"
#include "data/textrules.h"
#include "prescription/sheetgeometry.h"

#include <algorithm>

namespace lichuan::historyrules {

DateRange monthBack(const QDate& today) {
    return {dates::format(today.addMonths(-1)), dates::format(today)};
}

DateRange todayOnly(const QDate& today) {
    return {dates::format(today), dates::format(today)};
}

DateRange tenYearsBack(const QDate& today) {
    // QDate clamps an impossible day to the month's last: 2024-02-29 minus ten years is 2014-02-28.
    return {dates::format(today.addYears(-10)), dates::format(today)};
}

std::optional<DateRange> dayNextTo(const QString& endDate, int days) {
    const QDate end = dates::parse(endDate);
    if (!end.isValid())
        return std::nullopt;
    const QString day = dates::format(end.addDays(days));
    return DateRange{day, day};
}

bool filterWidensRange(const QString& filter) {
    return !trimSpaces(filter).isEmpty();
}

QPoint recordMenuPosition(const QPoint& listTopLeft, const QPoint& pointer) {
    const int left = listTopLeft.x() + pointer.x() + 60;
    const int top = std::min(listTopLeft.y() + pointer.y() + 60, sheetgeometry::kRecordMenuMaxTop);
    return {left, top};
}

} // namespace lichuan::historyrules
