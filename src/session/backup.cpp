#include "session/backup.h"

#include "data/dbcheck.h"
#include "data/engine.h"
#include "data/schema.h"
#include "data/serveraddress.h"
#include "data/transfer.h"
#include "session/startup.h"
#include "session/state.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace lichuan {

namespace {

// The rows of the program's tables of the source, counted in the same read snapshot as the copy is taken
// in, so that a station writing the shared file or the server meanwhile cannot make the two disagree. A
// server's tables are written into a new keyed file from one snapshot.
std::map<QString, qint64> copyInOneSnapshot(Database& source, const QString& target) {
    if (source.engine() == Database::Engine::Server)
        return transfer::copyServerToFile(source, target, databaseKey());
    ReadSnapshot snapshot(source);
    const std::map<QString, qint64> counts = rowCounts(source, schema::mainTables());
    source.backupTo(target, databaseKey());
    return counts;
}

} // namespace

std::unique_ptr<Database> openCheckedCopy(const QString& path, QString* problem) {
    QString error;
    // Opened only to be read: a copy that is looked at keeps its bytes (and its time).
    auto copy = Database::open(path, databaseKey(), Database::OpenMode::ReadOnly, &error);
    if (copy && !integrityOk(*copy, &error))
        copy.reset();
    if (copy)
        error = mainDatabaseProblem(*copy);
    if (!error.isEmpty())
        copy.reset();
    if (problem)
        *problem = error;
    return copy;
}

QString copyProblem(const QString& path) {
    QString problem;
    openCheckedCopy(path, &problem);
    return problem;
}

QString backupCopyProblem(const QString& path, const std::map<QString, qint64>& rows) {
    QString error;
    const auto copy = openCheckedCopy(path, &error);
    if (!copy)
        return error;
    if (rows.empty())
        return QStringLiteral("没有可比较的行数");
    try {
        // Every table the source was counted by holds as many rows in the copy.
        for (const auto& [table, count] : rows) {
            if (!copy->hasTable(table))
                return QStringLiteral("备份中缺少表“%1”").arg(table);
            if (transfer::countRows(*copy, table) != count)
                return QStringLiteral("备份中的行数与数据库不同");
        }
    } catch (const DbError& e) {
        return e.message();
    }
    return {};
}

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
    // Only a database that start-up accepted is copied, and only while it still passes the same checks: a
    // damaged or emptied file must never replace the day's good copy.
    if (!state.mainDb)
        return fail(QStringLiteral("没有可用的数据库，未备份。"));
    const QString problem = mainDatabaseProblem(*state.mainDb);
    if (!problem.isEmpty())
        return fail(QStringLiteral("数据库文件 %1 不完整（%2），未备份。")
                        .arg(server::displayAddress(state.mainDb->path()), problem));

    const QString folder = dailyBackupFolder(backupRoot, today);
    const QString written = writeCheckedCopy(*state.mainDb, QDir(folder).filePath(kMainFileName));
    if (!written.isEmpty())
        return fail(written);
    return true;
}

QString writeCheckedCopy(Database& source, const QString& target) {
    const QString folder = QFileInfo(target).path();
    MakePath(folder);
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("无法创建备份文件夹：%1").arg(folder);
    // The new copy is written and checked beside the old one, which it replaces with one rename.
    const QString fresh = target + QStringLiteral(".new");
    QFile::remove(fresh);

    std::map<QString, qint64> counts;
    try {
        counts = copyInOneSnapshot(source, fresh);
    } catch (const DbError& e) {
        QFile::remove(fresh);
        return QStringLiteral("无法写入备份文件：%1（%2）").arg(target, e.message());
    }
    const QString bad = backupCopyProblem(fresh, counts);
    if (!bad.isEmpty()) {
        QFile::remove(fresh);
        return QStringLiteral("备份文件检查未通过：%1（%2）").arg(target, bad);
    }
    if (std::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::remove(fresh);
        return QStringLiteral("无法写入备份文件：%1").arg(target);
    }
    return {};
}

} // namespace lichuan
