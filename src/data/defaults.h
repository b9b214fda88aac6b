#pragma once
// The rows every new main database starts with: 447 catalog rows, 13 templates, 7 diagnoses, 3 addresses
// and the settings row. Search codes are made by the same functions the windows use.

#include <QDateTime>
#include <QString>

namespace lichuan {

class Database;

namespace defaults {

// The factory login password stored in the default settings row; the login window shows it as a hint
// while the stored password still equals it.
inline const QString kPassword = QStringLiteral("888");

// Fills the tables of a freshly created main database, in one transaction. `created` is the creation time
// the catalog and template keys are made from. Throws DbError.
void fillMain(Database& db, const QDateTime& created);

} // namespace defaults
} // namespace lichuan
