#pragma once
// Whether a database file is one the program can work with, and whether a copy holds what its source held.

#include <QString>
#include <map>
#include <vector>

namespace lichuan {

class Database;
namespace schema {
struct Table;
}

// Why a main database cannot be used, or "" when it has every table of the main database (a later table may
// still be missing: it is added when the file is opened to work with) and its settings row can be read.
QString mainDatabaseProblem(const Database& db);

// Why a statistics database cannot be used, or "" when it has its table.
QString statisticsDatabaseProblem(const Database& db);

// What the restore window tells of a main database: its prescriptions, its patients and the date of its
// newest prescription ("" when it has none).
struct DatabaseSummary {
    qint64 prescriptions = 0;
    qint64 patients = 0;
    QString newestDate;
};
// Throws DbError.
DatabaseSummary summarize(const Database& db);

// True when the engine's integrity check of the whole file answers "ok"; `detail` receives its first answer
// otherwise.
bool integrityOk(const Database& db, QString* detail = nullptr);

// The number of rows of every table of the file, by table name. Throws DbError.
std::map<QString, qint64> rowCounts(const Database& db);

// The number of rows of each of the program's `tables` (schema.h), by table name: what a copy must hold
// whatever engine it was written by, without the bookkeeping tables that only the files keep. A table
// that is missing makes it throw DbError, unless it is a later table (then it is not counted).
std::map<QString, qint64> rowCounts(const Database& db, const std::vector<schema::Table>& tables);

} // namespace lichuan
