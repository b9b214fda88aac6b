#include "session/startup.h"

#include "data/dbcheck.h"
#include "data/defaults.h"
#include "data/gbk.h"
#include "data/schema.h"
#include "data/serveraddress.h"
#include "data/serverdatabase.h"
#include "data/settingsrow.h"
#include "data/textrules.h"
#include "session/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <future>
#include <unistd.h>

namespace lichuan {

namespace {

// The computer-name file holds one short line; anything beyond this is not read.
constexpr qint64 kNameFileLimit = 64 * 1024;

QString joinPath(const QString& folder, const QString& name) {
    return QDir::cleanPath(folder + QLatin1Char('/') + name);
}

// The entry `name` of `folder`, matched without regard to case (a folder copied from another system may
// hold 数据库.DAT); an exact match wins. Empty when there is none.
QString findEntry(const QString& folder, const QString& name, QDir::Filters kind) {
    const QString exact = joinPath(folder, name);
    const QFileInfo exactInfo(exact);
    if (exactInfo.exists() && ((kind & QDir::Files) ? exactInfo.isFile() : exactInfo.isDir()))
        return exact;
    const QStringList entries =
        QDir(folder).entryList(kind | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return joinPath(folder, entry);
    }
    return {};
}

QString findFile(const QString& folder, const QString& name) {
    return findEntry(folder, name, QDir::Files);
}

// A folder path with its last few levels matched without regard to case (computer names are not
// case-sensitive on the network). Empty when it does not exist.
QString resolveFolder(const QString& path, int levels = 3) {
    if (QFileInfo(path).isDir())
        return path;
    if (levels == 0)
        return {};
    const QFileInfo info(path);
    const QString parent = info.path();
    if (parent == path || info.fileName().isEmpty())
        return {};
    const QString resolvedParent = resolveFolder(parent, levels - 1);
    if (resolvedParent.isEmpty())
        return {};
    return findEntry(resolvedParent, info.fileName(), QDir::Dirs);
}

// Text of a name file: UTF-16 when it starts with its byte-order mark, else UTF-8 when the bytes are valid
// UTF-8 (a BOM dropped), else GBK.
QString decodeNameFile(QByteArray bytes) {
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(QStringConverter::Utf16);
        return decoder.decode(bytes);
    }
    const qsizetype lineEnd = [&bytes] {
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (bytes.at(i) == '\n' || bytes.at(i) == '\r')
                return i;
        }
        return bytes.size();
    }();
    bytes.truncate(lineEnd);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return gbk::decode(bytes);
}

// The computer name: the first line of the file, without "\r", trimmed of spaces. Leading backslashes of a
// network path ("\\name") are dropped. Empty when the file is unreadable or empty.
QString readComputerName(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = decodeNameFile(file.read(kNameFileLimit));
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\r') || text.at(i) == QLatin1Char('\n')) {
            text.truncate(i);
            break;
        }
    }
    text.remove(QChar(0xFEFF));
    text = trimSpaces(text);
    while (text.startsWith(QLatin1Char('\\')))
        text.remove(0, 1);
    return trimSpaces(text);
}

// The main database file of the named computer's shared folder, or empty when none is reachable.
QString findSharedMainFile(const Platform& platform, const QString& computerName) {
    for (const QString& candidate : shareFolderCandidates(platform, computerName)) {
        const QString folder = resolveFolder(candidate);
        if (folder.isEmpty())
            continue;
        const QString main = findFile(folder, kMainFileName);
        if (!main.isEmpty())
            return main;
    }
    return {};
}

// An existing database file opened with the key. An empty file is no database either: opening it would
// give a keyed database without tables that every later query fails on.
std::unique_ptr<Database> openExisting(const QString& path, QString* error = nullptr) {
    if (QFileInfo(path).size() == 0) {
        if (error)
            *error = QStringLiteral("文件为空");
        return nullptr;
    }
    return Database::open(path, databaseKey(), Database::OpenMode::ExistingOnly, error);
}

QString cannotOpenMessage(const QString& path) {
    return QStringLiteral("无法打开数据库文件：%1，请检查该文件是否完好，或从备份中恢复。").arg(path);
}

QString cannotCreateMessage(const QString& path) {
    return QStringLiteral("无法创建数据库文件：%1，请检查该文件夹是否可以写入。").arg(path);
}

// A main database the program can work with: it opens with the key, has every table and its settings row.
// Anything less is reported with a message naming the file and gives no connection.
std::unique_ptr<Database> openMain(const QString& path, Messages& messages) {
    auto db = openExisting(path);
    if (!db) {
        messages.inform(cannotOpenMessage(path));
        return nullptr;
    }
    const QString problem = mainDatabaseProblem(*db);
    if (!problem.isEmpty()) {
        messages.inform(QStringLiteral("数据库文件不完整：%1（%2），请从备份中恢复。").arg(path, problem));
        return nullptr;
    }
    return db;
}

// The temporary name a new database file is written under before it is renamed into place.
QString creationName(const QString& path) {
    return path + QStringLiteral(".creating");
}

// Removes what a start killed while creating `path` left behind: the temporary file and its journals.
void removeCreationLeftovers(const QString& path) {
    const QString temporary = creationName(path);
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(temporary + QLatin1String(suffix));
}

// Renames `from` to `to` unless `to` exists; flushes the folder so that the new name survives a power cut.
bool renameIntoPlace(const QString& from, const QString& to) {
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) != 0) {
        // A file system without that flag: the existence test and the rename are then two steps.
        if (errno != EINVAL || QFileInfo::exists(to) ||
            std::rename(source.constData(), target.constData()) != 0)
            return false;
    }
    const int folder = ::open(QFile::encodeName(QFileInfo(to).path()).constData(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

// Writes a new database file at `path`: under a temporary name, schema and default rows in one
// transaction, checked, then renamed into place, so that a start killed at any moment leaves either no
// file or a complete one. Returns false when it could not be written; nothing is left behind then.
bool createDatabaseFile(const QString& path, bool main, const QDateTime& now) {
    const QString temporary = creationName(path);
    removeCreationLeftovers(path);
    auto db = Database::open(temporary, databaseKey(), Database::OpenMode::CreateNew);
    if (!db)
        return false;
    try {
        Transaction transaction(*db);
        if (main) {
            schema::createMain(*db);
            defaults::fillMain(*db, now);
        } else {
            schema::createStatistics(*db);
        }
        transaction.commit();
        const QString problem = main ? mainDatabaseProblem(*db) : statisticsDatabaseProblem(*db);
        if (!problem.isEmpty() || !integrityOk(*db))
            throw DbError(problem);
    } catch (const DbError&) {
        db.reset();
        removeCreationLeftovers(path);
        return false;
    }
    // Closed before the rename: an open connection would keep naming its journal after the old name.
    db.reset();
    if (!renameIntoPlace(temporary, path)) {
        removeCreationLeftovers(path);
        return false;
    }
    return true;
}

// A database file of the data folder: found (whatever the case of its name) or created with its schema and
// default rows. An existing file is not opened or written here.
QString ensureLocalFile(const QString& folder, const QString& name, bool main, const QDateTime& now,
                        Messages& messages) {
    const QString existing = findFile(folder, name);
    if (!existing.isEmpty())
        return existing;
    const QString path = joinPath(folder, name);
    if (!createDatabaseFile(path, main, now)) {
        // Another start may have created it meanwhile; otherwise the folder cannot be written.
        const QString created = findFile(folder, name);
        if (!created.isEmpty())
            return created;
        messages.inform(cannotCreateMessage(path));
    }
    return path;
}

// The connection to a local file; a file that could not be created was reported already.
std::unique_ptr<Database> connectMain(const QString& path, Messages& messages) {
    if (!QFileInfo(path).isFile())
        return nullptr;
    return openMain(path, messages);
}

// Opens the statistics file on a thread of its own, so that its key is derived while the main file's is (each
// takes a good part of a tenth of a second); `connect` waits for it and says when it could not be opened.
class StatisticsOpening {
public:
    explicit StatisticsOpening(QString path)
        : path_(std::move(path)), exists_(QFileInfo(path_).isFile()),
          opening_(
              std::async(std::launch::async, [this] { return exists_ ? openExisting(path_) : nullptr; })) {}
    std::unique_ptr<Database> connect(Messages& messages) {
        auto db = opening_.get();
        if (exists_ && !db)
            messages.inform(cannotOpenMessage(path_));
        return db;
    }

private:
    const QString path_;
    const bool exists_;
    std::future<std::unique_ptr<Database>> opening_;
};

// The server road: both connections to the clinic's database server, whose tables the first station to
// find it empty writes. False (and the user told) when it cannot be used; the station then works on its
// local files.
bool connectServer(ProcessState& state, const QString& address, const QDateTime& now, Messages& messages) {
    QString error;
    auto main = Database::connect(address, QString(), &error);
    if (!main) {
        messages.inform(kRemoteUnreachable);
        return false;
    }
    const QString problem = prepareServerDatabase(*main, now);
    auto statistics = problem.isEmpty() ? Database::connect(address, QString(), &error) : nullptr;
    if (!problem.isEmpty() || !statistics) {
        messages.inform(QStringLiteral("无法打开远程数据库：%1（%2），患者数据将保存在本地数据库！")
                            .arg(server::displayAddress(address), problem.isEmpty() ? error : problem));
        return false;
    }
    state.mainDb = std::move(main);
    state.statsDb = std::move(statistics);
    state.MainConnStr = address;
    state.StatsConnStr = address;
    state.BackupSourcePath = address;
    return true;
}

} // namespace

void MakePath(const QString& path) {
    if (!path.isEmpty())
        QDir().mkpath(path);
}

void runStartup(ProcessState& state, const Platform& platform, Messages& messages, const QDateTime& now) {
    state.mainDb.reset();
    state.statsDb.reset();

    // 1. The printer that is the default now; printing returns to it.
    state.StartupPrinter = platform.defaultPrinter;

    // 2–3. The data folder: on d: when its root holds anything, else on c:.
    bool useD = false;
    if (!platform.driveD.isEmpty()) {
        const QDir rootD(platform.driveD);
        useD =
            !rootD.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty();
    }
    state.DataFolder = joinPath(useD ? platform.driveD : platform.driveC, kDataFolderName);
    MakePath(state.DataFolder);

    // 4. Missing database files are written; an existing one is never touched. What a start killed while
    // writing one left behind goes first.
    for (const QString& name : {kMainFileName, kStatsFileName})
        removeCreationLeftovers(joinPath(state.DataFolder, name));
    const QString localMain = ensureLocalFile(state.DataFolder, kMainFileName, true, now, messages);
    const QString localStats = ensureLocalFile(state.DataFolder, kStatsFileName, false, now, messages);

    // 5. Local or shared databases.
    bool shared = false;
    const QString nameFile = findFile(state.DataFolder, kComputerNameFile);
    if (!nameFile.isEmpty()) {
        const QString computerName = readComputerName(nameFile);
        const QString sharedMain = computerName.isEmpty() || server::isServerAddress(computerName)
                                       ? QString()
                                       : findSharedMainFile(platform, computerName);
        if (server::isServerAddress(computerName)) {
            shared = connectServer(state, computerName, now, messages);
        } else if (sharedMain.isEmpty()) {
            messages.inform(kRemoteUnreachable);
        } else {
            // Prescriptions must never be written nowhere: a shared file that cannot be opened sends the
            // station to its local databases, and the user is told which file failed.
            QString problem;
            state.mainDb = openExisting(sharedMain, &problem);
            if (state.mainDb) {
                problem = mainDatabaseProblem(*state.mainDb);
                if (!problem.isEmpty())
                    state.mainDb.reset();
            }
            if (!state.mainDb) {
                messages.inform(QStringLiteral("无法打开远程数据库文件：%1，患者数据将保存在本地数据库！")
                                    .arg(sharedMain));
            } else {
                shared = true;
                const QString folder = QFileInfo(sharedMain).path();
                QString sharedStats = findFile(folder, kStatsFileName);
                if (sharedStats.isEmpty())
                    sharedStats = joinPath(folder, kStatsFileName);
                state.MainConnStr = sharedMain;
                state.StatsConnStr = sharedStats;
                state.BackupSourcePath = sharedMain;
                state.statsDb = openExisting(sharedStats);
                if (!state.statsDb)
                    messages.inform(cannotOpenMessage(sharedStats));
            }
        }
    }
    if (!shared) {
        state.MainConnStr = localMain;
        state.StatsConnStr = localStats;
        state.BackupSourcePath = localMain;
        StatisticsOpening statistics(localStats);
        state.mainDb = connectMain(localMain, messages);
        state.statsDb = statistics.connect(messages);
    }

    // 6. The login password.
    state.LoginPassword.clear();
    if (state.mainDb) {
        if (const auto row = readSettingsRow(*state.mainDb))
            state.LoginPassword = row->value(QStringLiteral("密码"));
    }

    state.StationSuffix = stationSuffixFor(platform.machineId);
}

} // namespace lichuan
