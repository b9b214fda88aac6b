#pragma once
// Change tracking inside the database files, so that every station (and any other program that writes the
// file) tells the others what it changed without doing anything itself: triggers count the changes of
// every table in [变更计数], note the rows changed of the tables that stations keep copies of in [变更记录],
// and keep the list of names that stand in 档案 in [档案姓名] (which the history search uses).
// Only built-in SQL is used (no custom collation), so the sqlcipher command-line tool still opens the file.

#include <QString>
#include <optional>
#include <vector>

namespace lichuan {

class Database;

namespace tracking {

inline const QString kCounts = QStringLiteral("变更计数");
inline const QString kLog = QStringLiteral("变更记录");
inline const QString kArchiveNames = QStringLiteral("档案姓名");

// The schema version (PRAGMA user_version) of a file with the tracking and the log table [操作记录]; the
// files of the first release have version 1, those with the tracking alone version 2.
constexpr int kVersion = 3;

// How many entries of [变更记录] are kept; a copy older than that is read again whole.
constexpr int kLogLength = 5000;

// Adds the tracking tables, triggers and the name list of 档案 to the tables of the file that exist and
// lack them, and sets the file's version. Runs inside the caller's transaction. Throws DbError.
void addTo(Database& db);

// Adds the tracking and the later tables (schema::addLaterTables) to a file written by an earlier release
// (whose user_version is older), in one transaction; a file that cannot be written (read-only, locked for
// long) opens without them and is read as before. Returns true when the file has them now.
bool upgrade(Database& db);

// The rows (rowids) of `table` changed, inserted or deleted since its stamp (Database::tableStamp) was
// `stamp`, each once; or nothing when they are not known (the file keeps no row log for the table or no
// longer reaches back that far, or more than `limit` rows changed): a copy is then read again whole.
std::optional<std::vector<qint64>> rowsChangedSince(const Database& db, const QString& table, qint64 stamp,
                                                    int limit = 1000);

} // namespace tracking
} // namespace lichuan
