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

// The schema version (PRAGMA user_version) since which files have the tracking; the files of the first
// release have version 1 (schema.h has the current version).
constexpr int kVersion = 2;

// How many entries of [变更记录] are kept; a copy older than that is read again whole.
constexpr int kLogLength = 5000;

// Adds the tracking tables, triggers and the name list of 档案 to the tables of the file that exist and
// lack them (the file's version is the caller's to set). Runs inside the caller's transaction. Throws
// DbError.
void addTo(Database& db);

// The rows (rowids) of `table` changed, inserted or deleted since its stamp (Database::tableStamp) was
// `stamp`, each once; or nothing when they are not known (the file keeps no row log for the table or no
// longer reaches back that far, or more than `limit` rows changed): a copy is then read again whole.
std::optional<std::vector<qint64>> rowsChangedSince(const Database& db, const QString& table, qint64 stamp,
                                                    int limit = 1000);

} // namespace tracking
} // namespace lichuan
