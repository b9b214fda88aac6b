#pragma once
// Bringing back a copy of the main database: the copies the daily backup made (and any other the user
// names), each checked as the backup checks its copies, and the restore itself, which keeps the current file
// first and puts the copy in its place with one rename, so that a program killed at any moment leaves a
// main database that opens (the old one or the copy). The statistics file is not in the daily backup and is
// never touched here.

#include "data/dbcheck.h"

#include <QDateTime>
#include <QString>
#include <vector>

namespace lichuan {

class Clock;
struct ProcessState;

// The folder inside the backup folder where a restore keeps the file it replaced.
inline const QString kBeforeRestoreFolderName = QStringLiteral("恢复前");

struct CopyInfo {
    QString path;
    QString place; // where it lies: "8日", "恢复前", or the folder the user named
    QDateTime modified;
    qint64 size = 0;
    bool inspected = false;  // the fields below have been read
    QString problem;         // why it is no good copy, empty when it passes the checks
    DatabaseSummary summary; // when it passes
};

// The copies in the day folders (<backupRoot>/<d>日/数据库.dat) and in the folder of the files replaced by a
// restore, newest first; not inspected yet.
std::vector<CopyInfo> listBackupCopies(const QString& backupRoot);
// The database files (*.dat) of another folder, newest first; not inspected yet.
std::vector<CopyInfo> listCopiesIn(const QString& folder);
// Opens the copy read-only and fills in what it holds and whether it passes the backup's checks.
void inspect(CopyInfo& copy);

// The name under which a restore at `now` keeps the file it replaces:
// <backupRoot>/恢复前/数据库-yyyyMMdd-HHmmss.dat (a second later when that name is taken).
QString beforeRestorePath(const QString& backupRoot, const QDateTime& now);

// The steps of a restore, as a failure names them.
enum class RestoreStep { CheckCopy, KeepCurrent, WriteCopy, CheckWritten, Replace, Reopen, Done };
QString stepName(RestoreStep step);

struct RestoreOutcome {
    RestoreStep failed = RestoreStep::Done; // Done: the copy is the main database now
    QString detail;                         // what went wrong
    QString keptAs;                         // where the replaced file was kept
    // The text for the user: what was done, or which step failed and that the current file is as it was.
    QString message() const;
};

// Restores the copy at `copyPath` over the main database file in use (state.MainConnStr), on the file road
// only. In this order: the copy is checked; the current file is kept as a checked copy (beforeRestorePath);
// the copy is written beside the main file as <name>.restoring, opened (which upgrades an older copy), given
// the log line of the restore and checked again; the connection is closed and the file renamed over the
// main file; the connection is opened again (with the station and the clock of the log). Any failure before
// the rename leaves the current file as it was and the connection open on it. The login password of the
// restored file is read at the next start.
RestoreOutcome restoreCopy(ProcessState& state, const QString& copyPath, const QString& backupRoot,
                           const Clock& clock);

} // namespace lichuan
