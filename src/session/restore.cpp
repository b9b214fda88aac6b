#include "session/restore.h"

#include "data/audit.h"
#include "data/clock.h"
#include "data/engine.h"
#include "data/schema.h"
#include "session/backup.h"
#include "session/state.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace lichuan {

namespace {

CopyInfo copyAt(const QFileInfo& file, const QString& place) {
    CopyInfo copy;
    copy.path = file.absoluteFilePath();
    copy.place = place;
    copy.modified = file.lastModified();
    copy.size = file.size();
    return copy;
}

void newestFirst(std::vector<CopyInfo>& copies) {
    std::stable_sort(copies.begin(), copies.end(),
                     [](const CopyInfo& a, const CopyInfo& b) { return a.modified > b.modified; });
}

// Flushes a file or a folder to the disk, so that what was written or renamed survives a power cut.
bool sync(const QString& path, bool folder) {
    const int fd = ::open(QFile::encodeName(path).constData(), folder ? O_RDONLY | O_DIRECTORY : O_RDONLY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void removeWithJournal(const QString& path) {
    for (const char* suffix : {"", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

QString summaryText(const DatabaseSummary& summary) {
    return QStringLiteral("处方 %1 张，最新处方日期 %2")
        .arg(summary.prescriptions)
        .arg(summary.newestDate.isEmpty() ? QStringLiteral("无") : summary.newestDate);
}

} // namespace

std::vector<CopyInfo> listBackupCopies(const QString& backupRoot) {
    std::vector<CopyInfo> copies;
    for (int day = 1; day <= 31; ++day) {
        const QString place = QString::number(day) + QStringLiteral("日");
        const QFileInfo file(
            QDir(backupRoot).filePath(place + QLatin1Char('/') + QStringLiteral("数据库.dat")));
        if (file.isFile())
            copies.push_back(copyAt(file, place));
    }
    const QDir kept(QDir(backupRoot).filePath(kBeforeRestoreFolderName));
    for (const QFileInfo& file : kept.entryInfoList({QStringLiteral("*.dat")}, QDir::Files))
        copies.push_back(copyAt(file, kBeforeRestoreFolderName));
    newestFirst(copies);
    return copies;
}

std::vector<CopyInfo> listCopiesIn(const QString& folder) {
    std::vector<CopyInfo> copies;
    const QDir dir(folder);
    for (const QFileInfo& file : dir.entryInfoList(QDir::Files)) {
        if (file.suffix().compare(QLatin1String("dat"), Qt::CaseInsensitive) == 0)
            copies.push_back(copyAt(file, QDir::toNativeSeparators(dir.absolutePath())));
    }
    newestFirst(copies);
    return copies;
}

void inspect(CopyInfo& copy) {
    copy.inspected = true;
    const auto db = openCheckedCopy(copy.path, &copy.problem);
    if (!db)
        return;
    try {
        copy.summary = summarize(*db);
    } catch (const DbError& e) {
        copy.problem = e.message();
    }
}

QString beforeRestorePath(const QString& backupRoot, const QDateTime& now) {
    const QDir folder(QDir(backupRoot).filePath(kBeforeRestoreFolderName));
    QDateTime moment = now;
    for (;;) {
        const QString path = folder.filePath(
            QStringLiteral("数据库-%1.dat").arg(moment.toString(QStringLiteral("yyyyMMdd-HHmmss"))));
        if (!QFileInfo::exists(path))
            return QDir::cleanPath(path);
        moment = moment.addSecs(1);
    }
}

QString stepName(RestoreStep step) {
    switch (step) {
    case RestoreStep::CheckCopy:
        return QStringLiteral("检查所选备份");
    case RestoreStep::KeepCurrent:
        return QStringLiteral("保存当前数据库");
    case RestoreStep::WriteCopy:
        return QStringLiteral("写入恢复文件");
    case RestoreStep::CheckWritten:
        return QStringLiteral("检查恢复文件");
    case RestoreStep::Replace:
        return QStringLiteral("替换数据库文件");
    case RestoreStep::Reopen:
        return QStringLiteral("重新打开数据库");
    case RestoreStep::Done:
        break;
    }
    return {};
}

QString RestoreOutcome::message() const {
    if (failed == RestoreStep::Done)
        return QStringLiteral(
                   "备份已恢复。恢复前的数据库保存为：\n%1\n登录密码以恢复的数据库为准，下次登录时生效。")
            .arg(QDir::toNativeSeparators(keptAs));
    if (failed == RestoreStep::Reopen)
        return QStringLiteral("恢复没有完成：%1失败（%2）。\n恢复前的数据库保存为：%3，请重新启动程序。")
            .arg(stepName(failed), detail, QDir::toNativeSeparators(keptAs));
    return QStringLiteral("恢复没有完成：%1失败（%2）。\n当前的数据库文件没有改动。")
        .arg(stepName(failed), detail);
}

RestoreOutcome restoreCopy(ProcessState& state, const QString& copyPath, const QString& backupRoot,
                           const Clock& clock) {
    RestoreOutcome outcome;
    auto fail = [&outcome](RestoreStep step, const QString& detail) {
        outcome.failed = step;
        outcome.detail = detail;
        return outcome;
    };
    if (!state.mainDb || state.mainDb->engine() != Database::Engine::File)
        return fail(RestoreStep::CheckCopy, QStringLiteral("数据库服务器由其管理员恢复"));
    const QString mainPath = state.mainDb->path();
    if (QFileInfo(copyPath).canonicalFilePath() == QFileInfo(mainPath).canonicalFilePath())
        return fail(RestoreStep::CheckCopy, QStringLiteral("所选文件就是正在使用的数据库"));

    // 1. The copy passes the backup's checks; what it holds is what the written file must hold.
    std::map<QString, qint64> expected;
    DatabaseSummary restored;
    {
        QString problem;
        const auto copy = openCheckedCopy(copyPath, &problem);
        if (!copy)
            return fail(RestoreStep::CheckCopy, problem);
        try {
            expected = rowCounts(*copy, schema::mainTables());
            restored = summarize(*copy);
        } catch (const DbError& e) {
            return fail(RestoreStep::CheckCopy, e.message());
        }
    }

    // 2. The current file is kept, checked like a backup.
    const QDateTime now = clock.now();
    DatabaseSummary current;
    try {
        current = summarize(*state.mainDb);
    } catch (const DbError& e) {
        return fail(RestoreStep::KeepCurrent, e.message());
    }
    const QString keptAs = beforeRestorePath(backupRoot, now);
    if (const QString error = writeCheckedCopy(*state.mainDb, keptAs); !error.isEmpty())
        return fail(RestoreStep::KeepCurrent, error);
    outcome.keptAs = keptAs;

    // 3. The copy beside the main file, on the disk before anything depends on it.
    const QString restoring = mainPath + QStringLiteral(".restoring");
    removeWithJournal(restoring);
    if (!QFile::copy(copyPath, restoring) || !sync(restoring, false)) {
        removeWithJournal(restoring);
        return fail(RestoreStep::WriteCopy, QStringLiteral("无法写入 %1").arg(restoring));
    }
    QFile::setPermissions(restoring, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    // 4. Opened as the program will open it (an older copy is upgraded here), the restore noted in it, and
    // checked again: every row of the copy and the one line more.
    {
        QString error;
        auto written = Database::open(restoring, databaseKey(), Database::OpenMode::ExistingOnly, &error);
        try {
            if (!written)
                throw DbError(error);
            audit::attach(*written, state.StationSuffix, &clock);
            Transaction transaction(*written);
            audit::write(
                *written, audit::kRestored, QString(), QString(),
                QStringLiteral("恢复 %1（%2，%3）；恢复前的数据库（%4）保存为 %5")
                    .arg(QDir::toNativeSeparators(copyPath),
                         QFileInfo(copyPath).lastModified().toString(QStringLiteral("yyyy-MM-dd HH:mm")),
                         summaryText(restored), summaryText(current), QDir::toNativeSeparators(keptAs)));
            transaction.commit();
        } catch (const DbError& e) {
            written.reset();
            removeWithJournal(restoring);
            return fail(RestoreStep::CheckWritten, e.message());
        }
    }
    expected[schema::kAuditLog] += 1;
    if (const QString bad = backupCopyProblem(restoring, expected);
        !bad.isEmpty() || !sync(restoring, false)) {
        removeWithJournal(restoring);
        return fail(RestoreStep::CheckWritten, bad.isEmpty() ? QStringLiteral("无法写入磁盘") : bad);
    }

    // 5. One rename puts it in place. A journal beside the main file means that a write to it is under way
    // (another computer's) or was cut short: the copy must not take that journal over.
    auto reopen = [&state, &clock, &mainPath]() -> QString {
        QString error;
        state.mainDb = Database::open(mainPath, databaseKey(), Database::OpenMode::ExistingOnly, &error);
        if (state.mainDb)
            error = mainDatabaseProblem(*state.mainDb);
        if (!error.isEmpty()) {
            state.mainDb.reset();
            return error;
        }
        audit::attach(*state.mainDb, state.StationSuffix, &clock);
        return {};
    };
    state.mainDb.reset();
    const QString journal = mainPath + QStringLiteral("-journal");
    QString replaceError;
    if (QFileInfo::exists(journal))
        replaceError = QStringLiteral("数据库正在被写入：%1").arg(journal);
    else if (std::rename(QFile::encodeName(restoring).constData(), QFile::encodeName(mainPath).constData()) !=
             0)
        replaceError = QString::fromLocal8Bit(std::strerror(errno));
    if (!replaceError.isEmpty()) {
        removeWithJournal(restoring);
        const QString reopened = reopen();
        if (!reopened.isEmpty())
            return fail(RestoreStep::Reopen, reopened);
        return fail(RestoreStep::Replace, replaceError);
    }
    sync(QFileInfo(mainPath).path(), true);

    // 6. The program works on the restored file from now on.
    if (const QString error = reopen(); !error.isEmpty())
        return fail(RestoreStep::Reopen, error);
    return outcome;
}

} // namespace lichuan
