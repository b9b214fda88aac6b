#pragma once
// The date ranges of the history panel and where its record menu opens.

#include <QDate>
#include <QPoint>
#include <QString>
#include <optional>

namespace lichuan::historyrules {

// Start and end date as the panel shows them, "yyyy-MM-dd".
struct DateRange {
    QString from;
    QString to;
};

// A window that opens: one calendar month back (03-31 → 02-29) up to today.
DateRange monthBack(const QDate& today);
// "今日患者": today alone.
DateRange todayOnly(const QDate& today);
// A name typed into the filter: the same day ten years back (2024-02-29 → 2014-02-28) up to today.
DateRange tenYearsBack(const QDate& today);
// "<<" (days −1) and ">>" (days +1): the single day next to the end date as typed; nothing when the end
// date cannot be read, so the dates stay as they are.
std::optional<DateRange> dayNextTo(const QString& endDate, int days);

// Whether a name filter asks for the ten-year range: it is not blank (spaces only count as blank).
bool filterWidensRange(const QString& filter);

// The record menu's top-left corner in twips, from the list's top-left corner and the pointer's position
// within the list (both twips): 60 right and below the pointer, its top at most 8580.
QPoint recordMenuPosition(const QPoint& listTopLeft, const QPoint& pointer);

} // namespace lichuan::historyrules
