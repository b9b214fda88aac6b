#pragma once
// Whether a database file is one the program can work with, and whether a copy holds what its source held.

#include <QString>
#include <map>

namespace lichuan {

class Database;

// Why a main database cannot be used, or "" when it has every table of the main database and its settings
// row can be read.
QString mainDatabaseProblem(const Database& db);

// Why a statistics database cannot be used, or "" when it has its table.
QString statisticsDatabaseProblem(const Database& db);

// True when the engine's integrity check of the whole file answers "ok"; `detail` receives its first answer
// otherwise.
bool integrityOk(const Database& db, QString* detail = nullptr);

// The number of rows of every table of the file, by table name. Throws DbError.
std::map<QString, qint64> rowCounts(const Database& db);

} // namespace lichuan
