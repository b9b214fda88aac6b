#pragma once
// The daily backup written when the main window closes: <root>/<d>日/数据库.dat.

#include <QDate>
#include <QString>
#include <map>
#include <memory>

namespace lichuan {

class Database;
struct ProcessState;

inline const QString kBackupFolderName = QStringLiteral("中医处方数据库备份");

// The folder of today's copy: <backupRoot>/<day of month>日.
QString dailyBackupFolder(const QString& backupRoot, const QDate& today);

// Copies a consistent, keyed snapshot of the main database in use into today's folder, replacing the copy
// of the same day number. Only the connection start-up accepted is copied, and only while it still has its
// tables and settings row; the new copy replaces the old one only after it opened with the key, passed the
// integrity check and held as many rows in every table of the program as the source. Returns false (and sets
// `error`) when no copy was made; the old copy is then as it was.
bool writeDailyBackup(const ProcessState& state, const QString& backupRoot, const QDate& today,
                      QString* error = nullptr);

// Writes a consistent, keyed snapshot of `source` to `target` (its folder made when missing): beside it
// first, checked as below, then renamed over it. Returns what failed ("" when the copy is in place); an old
// file at `target` is then as it was.
QString writeCheckedCopy(Database& source, const QString& target);

// Why the copy at `path` is not a good copy of a source that held `rows` (rows by table), or "" when it is:
// it opens with the key, passes the engine's integrity check, holds as many rows in each table named in
// `rows` and a settings row.
QString backupCopyProblem(const QString& path, const std::map<QString, qint64>& rows);

// The checks of a copy without a source to compare with: why the file at `path` is no copy the program can
// work with (it must open with the key, pass the integrity check, have the tables and the settings row), or
// "". The file is only read.
QString copyProblem(const QString& path);
// The copy at `path` opened read-only when it passes those checks; nothing (and `problem` set) otherwise.
std::unique_ptr<Database> openCheckedCopy(const QString& path, QString* problem = nullptr);

} // namespace lichuan
