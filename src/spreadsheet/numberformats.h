#pragma once
// How an .xlsx cell's number format shows its value, as far as the program needs it: whether a number is
// a date, a time or both (so that an .xlsx gives the same text as an .xls, where the old format's library
// already turns such cells into text), and the words a format gives a boolean.

#include <QString>

namespace lichuan::spreadsheet {

enum class FormatKind { Number, Date, Time, DateTime };

// The kind of a number format: `code` is the format's text from the workbook's styles (empty for a
// built-in format, which `id` names: 14–22 and 45–47, and the Chinese built-ins 27–36 and 50–58).
FormatKind formatKind(int id, const QString& code);

// A date serial of the spreadsheet as the .xls reader gives it: "2025-03-01", "08:30:00" or
// "2025-03-01 14:05:09". Serial 1 is 1900-01-01 (the 1900 system counts a 29 February 1900) or
// 1904-01-02 (the 1904 system). Empty when the serial is no date between the years 1900 and 9999.
QString serialText(double serial, FormatKind kind, bool date1904);

// A boolean as the spreadsheet shows it: the text of the format's first section for TRUE and of its third
// (or first) for FALSE when the format is made of quoted words only ("是";"是";"否"), else TRUE or FALSE.
QString booleanText(bool value, const QString& code);

} // namespace lichuan::spreadsheet
