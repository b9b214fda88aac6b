#pragma once
// The clinic's server database: both sets of tables (the main database's and the statistics table) live in
// one server database, which the first station to find it empty fills.

#include <QDateTime>
#include <QString>

namespace lichuan {

class Database;

// Makes the server database ready for work: when it holds none of the program's tables yet, writes the
// tables of both databases and the default rows in one transaction. Two stations starting at once write
// them once (the second waits for the first and then finds the tables). Returns why the database cannot
// be used, or an empty text.
QString prepareServerDatabase(Database& db, const QDateTime& now);

} // namespace lichuan
