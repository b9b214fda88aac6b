#pragma once
// Copying the program's tables from one engine to the other: a clinic's two database files into an empty
// server database (the move onto a server), and the server's main tables into a new keyed file (the daily
// backup on the server road). The columns are those of schema.h, never `*`, and every row keeps its row
// number, so that whatever lists rows in the order they were written lists them as before.

#include <QByteArray>
#include <QString>
#include <map>
#include <utility>
#include <vector>

namespace lichuan {

class Database;

namespace transfer {

// Rows copied, per table, in the order of the schema's lists.
using TableCounts = std::vector<std::pair<QString, qint64>>;

// The number of rows of `table`. Throws DbError.
qint64 countRows(const Database& db, const QString& table);

// Copies every table of the main database file `mainFile` and of the statistics file `statisticsFile` into
// `server`, which must hold none of the program's tables yet, in one transaction: the tables are created,
// loaded, their row numbers carried on, the row count of every table compared with its file's, and only
// then committed. A value with a NUL character or bytes that are not UTF-8 text is refused with its table,
// row and column named. Throws DbError with a message for the user; the server is then as it was.
TableCounts copyFilesToServer(Database& mainFile, Database& statisticsFile, Database& server);

// Writes the main tables of `server` into a new file at `target` (which must not exist yet) keyed with
// `key`, from one read-only snapshot, and returns the row count of each of those tables in that same
// snapshot. Throws DbError; no file is left at `target` then.
std::map<QString, qint64> copyServerToFile(Database& server, const QString& target, const QByteArray& key);

} // namespace transfer
} // namespace lichuan
