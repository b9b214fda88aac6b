#include "app/backup.h"

#include "app/startup.h"
#include "app/state.h"
#include "data/engine.h"

#include <QDir>
#include <QFileInfo>

namespace lichuan {

QString dailyBackupFolder(const QString& backupRoot, const QDate& today) {
    return QDir::cleanPath(backupRoot + QLatin1Char('/') + QString::number(today.day()) +
                           QStringLiteral("日"));
}

bool writeDailyBackup(const ProcessState& state, const QString& backupRoot, const QDate& today,
                      QString* error) {
    auto fail = [error](const QString& message) {
        if (error)
            *error = message;
        return false;
    };
    if (!today.isValid())
        return fail(QStringLiteral("日期无效，未备份。"));
    const QString folder = dailyBackupFolder(backupRoot, today);
    MakePath(folder);
    if (!QFileInfo(folder).isDir())
        return fail(QStringLiteral("无法创建备份文件夹：%1").arg(folder));
    const QString target = QDir(folder).filePath(kMainFileName);

    try {
        if (state.mainDb) {
            state.mainDb->backupTo(target, databaseKey());
            return true;
        }
        // No connection was kept (the file could not be opened at start-up): try the file itself once more.
        QString openError;
        const auto source = Database::open(state.BackupSourcePath, databaseKey(),
                                           Database::OpenMode::ExistingOnly, &openError);
        if (!source)
            return fail(
                QStringLiteral("无法打开数据库文件：%1（%2）").arg(state.BackupSourcePath, openError));
        source->backupTo(target, databaseKey());
        return true;
    } catch (const DbError& e) {
        return fail(QStringLiteral("无法写入备份文件：%1（%2）").arg(target, e.message()));
    }
}

} // namespace lichuan
