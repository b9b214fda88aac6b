#include "app/startup.h"

#include "app/messages.h"
#include "data/defaults.h"
#include "data/schema.h"
#include "data/settingsrow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <iconv.h>

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

QString trimSpacesOnly(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

QString decodeGbk(const QByteArray& bytes) {
    iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    QByteArray in = bytes;
    QByteArray out(bytes.size() * 2 + 4, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = static_cast<size_t>(in.size());
    size_t outLeft = static_cast<size_t>(out.size());
    const size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == static_cast<size_t>(-1))
        return {};
    out.truncate(out.size() - static_cast<qsizetype>(outLeft));
    return QString::fromUtf8(out);
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
    return decodeGbk(bytes);
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
    text = trimSpacesOnly(text);
    while (text.startsWith(QLatin1Char('\\')))
        text.remove(0, 1);
    return trimSpacesOnly(text);
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
std::unique_ptr<Database> openExisting(const QString& path) {
    if (QFileInfo(path).size() == 0)
        return nullptr;
    return Database::open(path, databaseKey(), Database::OpenMode::ExistingOnly);
}

QString cannotOpenMessage(const QString& path) {
    return QStringLiteral("无法打开数据库文件：%1，请检查该文件是否完好，或从备份中恢复。").arg(path);
}

// A database file of the data folder: found (whatever the case of its name) or created with its schema.
// A file created here is returned open in `created`; an existing file is not opened or written.
QString ensureLocalFile(const QString& folder, const QString& name, bool main, const QDateTime& now,
                        Messages& messages, std::unique_ptr<Database>& created) {
    const QString existing = findFile(folder, name);
    if (!existing.isEmpty())
        return existing;
    const QString path = joinPath(folder, name);
    QString error;
    auto db = Database::open(path, databaseKey(), Database::OpenMode::CreateNew, &error);
    if (!db) {
        messages.inform(QStringLiteral("无法创建数据库文件：%1，请检查该文件夹是否可以写入。").arg(path));
        return path;
    }
    try {
        if (main) {
            schema::createMain(*db);
            defaults::fillMain(*db, now);
        } else {
            schema::createStatistics(*db);
        }
    } catch (const std::exception&) {
        // A half-written file would be kept for ever (an existing file is never touched): remove it, so that
        // the next start writes it afresh.
        db.reset();
        QFile::remove(path);
        messages.inform(QStringLiteral("无法创建数据库文件：%1，请检查该文件夹是否可以写入。").arg(path));
        return path;
    }
    created = std::move(db);
    return path;
}

// The connection to `path`: the one kept from creating the file when it is the same file, else opened.
std::unique_ptr<Database> connect(const QString& path, std::unique_ptr<Database>& created,
                                  Messages& messages) {
    if (created && created->path() == path)
        return std::move(created);
    if (!QFileInfo(path).isFile())
        return nullptr; // creating it failed and was reported
    auto db = openExisting(path);
    if (!db)
        messages.inform(cannotOpenMessage(path));
    return db;
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

    // 4. Missing database files are written; an existing one is never touched.
    std::unique_ptr<Database> createdMain;
    std::unique_ptr<Database> createdStats;
    const QString localMain =
        ensureLocalFile(state.DataFolder, kMainFileName, true, now, messages, createdMain);
    const QString localStats =
        ensureLocalFile(state.DataFolder, kStatsFileName, false, now, messages, createdStats);

    // 5. Local or shared databases.
    bool shared = false;
    const QString nameFile = findFile(state.DataFolder, kComputerNameFile);
    if (!nameFile.isEmpty()) {
        const QString computerName = readComputerName(nameFile);
        const QString sharedMain =
            computerName.isEmpty() ? QString() : findSharedMainFile(platform, computerName);
        if (sharedMain.isEmpty()) {
            messages.inform(kRemoteUnreachable);
        } else {
            // Prescriptions must never be written nowhere: a shared file that cannot be opened sends the
            // station to its local databases, and the user is told which file failed.
            state.mainDb = openExisting(sharedMain);
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
        state.mainDb = connect(localMain, createdMain, messages);
        state.statsDb = connect(localStats, createdStats, messages);
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
