#pragma once
// The daily backup written when the main window closes: <root>/<d>日/数据库.dat.

#include <QDate>
#include <QString>

namespace lichuan {

struct ProcessState;

inline const QString kBackupFolderName = QStringLiteral("中医处方数据库备份");

// The folder of today's copy: <backupRoot>/<day of month>日.
QString dailyBackupFolder(const QString& backupRoot, const QDate& today);

// Copies a consistent, keyed snapshot of the main database in use into today's folder, replacing the copy
// of the same day number. Returns false (and sets `error`) when no copy could be made.
bool writeDailyBackup(const ProcessState& state, const QString& backupRoot, const QDate& today,
                      QString* error = nullptr);

} // namespace lichuan
