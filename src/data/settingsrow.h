#pragma once
// The one row of 设置.

#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

namespace lichuan {

class Database;

// Column name → value of the settings row; a null column reads as empty text.
using SettingsRow = QMap<QString, QString>;

// The first row of 设置, or nothing when it cannot be read.
std::optional<SettingsRow> readSettingsRow(const Database& main);

// Writes the given columns into the first row of 设置 in one transaction. Values too long for their column
// are not written and are listed in `refused`. Returns false when the row could not be written. A new login
// password is noted in the log (not the password itself).
bool writeSettingsRow(Database& main, const SettingsRow& values, QStringList* refused = nullptr);

} // namespace lichuan
