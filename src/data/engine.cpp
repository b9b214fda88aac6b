#include "data/engine.h"

#include "data/gbk.h"
#include "data/tracking.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstring>

#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlite3.h>

namespace lichuan {

namespace {

QString lastMessage(sqlite3* db) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

// A DELETE without WHERE would empty a table at once, unseen by the update hook that counts the writes
// of each table; answering SQLITE_IGNORE makes the engine delete such rows one by one instead.
int authorize(void*, int action, const char* table, const char*, const char*, const char*) {
    if (action == SQLITE_DELETE && table && std::strncmp(table, "sqlite_", 7) != 0)
        return SQLITE_IGNORE;
    return SQLITE_OK;
}

int collateGbk(void*, int lengthA, const void* a, int lengthB, const void* b) {
    return gbk::compareUtf8(static_cast<const char*>(a), lengthA, static_cast<const char*>(b), lengthB);
}

// Settings of the file format, pinned so that files stay readable by every station of a clinic.
void configureConnection(sqlite3* db, const QByteArray& key) {
    if (sqlite3_key(db, key.constData(), key.size()) != SQLITE_OK)
        throw DbError(lastMessage(db));
    const char* pragmas = "PRAGMA kdf_iter = 64000;"
                          "PRAGMA cipher_page_size = 1024;";
    char* err = nullptr;
    if (sqlite3_exec(db, pragmas, nullptr, nullptr, &err) != SQLITE_OK) {
        const QString message = QString::fromUtf8(err ? err : "pragma failed");
        sqlite3_free(err);
        throw DbError(message);
    }
}

} // namespace

DbError::DbError(const QString& message) : std::runtime_error(message.toStdString()) {}

QByteArray databaseKey() {
    // Held a little apart so that the key is not one plain string in the binary.
    const char parts[] = {'m', 'q', '4', '8', '1', '7'};
    return QByteArray(parts, sizeof parts);
}

std::unique_ptr<Database> Database::open(const QString& path, const QByteArray& key, OpenMode mode,
                                         QString* error) {
    auto fail = [&](const QString& message) -> std::unique_ptr<Database> {
        if (error)
            *error = message;
        return nullptr;
    };
    const bool exists = QFileInfo(path).isFile();
    if (mode == OpenMode::ExistingOnly && !exists)
        return fail(QStringLiteral("文件不存在：%1").arg(path));
    if (mode == OpenMode::CreateNew && QFileInfo::exists(path))
        return fail(QStringLiteral("文件已存在：%1").arg(path));

    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX |
                      (mode == OpenMode::CreateNew ? SQLITE_OPEN_CREATE : 0);
    const QByteArray utf8Path = path.toUtf8();
    if (sqlite3_open_v2(utf8Path.constData(), &db, flags, nullptr) != SQLITE_OK) {
        const QString message = lastMessage(db);
        sqlite3_close(db);
        return fail(message);
    }
    std::unique_ptr<Database> result(new Database(db, path));
    try {
        // Another station may be writing the file right now: every read, the first one too, waits for it.
        sqlite3_busy_timeout(db, 10000);
        configureConnection(db, key);
        // The key is checked by the first read of the file.
        result->exec(QStringLiteral("select count(*) from sqlite_master"));
        result->exec(QStringLiteral("PRAGMA journal_mode = DELETE; PRAGMA cache_size = -65536;"));
        if (sqlite3_create_collation(db, "GBK", SQLITE_UTF8, nullptr, collateGbk) != SQLITE_OK)
            throw DbError(lastMessage(db));
        sqlite3_set_authorizer(db, authorize, nullptr);
        // A row that an INSERT OR REPLACE removes is counted by the triggers as a delete.
        result->exec(QStringLiteral("PRAGMA recursive_triggers = ON"));
        if (mode == OpenMode::ExistingOnly)
            tracking::upgrade(*result);
    } catch (const DbError& e) {
        result.reset();
        if (mode == OpenMode::CreateNew)
            QFile::remove(path);
        return fail(e.message());
    }
    return result;
}

Database::Database(sqlite3* db, QString path) : db_(db), path_(std::move(path)) {
    sqlite3_update_hook(db_, &Database::countWrite, this);
}

Database::~Database() {
    attachments_.clear();
    sqlite3_close_v2(db_);
}

void Database::countWrite(void* self, int, const char*, const char* table, long long) {
    ++static_cast<Database*>(self)->writesByTable_[table];
}

void Database::exec(const QString& sql) {
    char* err = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_exec(db_, utf8.constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString message = QString::fromUtf8(err ? err : sqlite3_errmsg(db_));
        sqlite3_free(err);
        throw DbError(message);
    }
}

int Database::changes() const {
    return sqlite3_changes(db_);
}

qint64 Database::dataVersion() const {
    try {
        Statement version(*this, QStringLiteral("PRAGMA data_version"));
        if (version.next())
            return version.integer(0);
    } catch (const DbError&) {
    }
    return -1;
}

// The stamp of a table is its counter in [变更计数], which the file's triggers bump on every change of its
// rows by any connection (tracking.h). A file without the counters (one that could not be upgraded) gives a
// number that changes with every commit to the file and every write of the table by this connection.
qint64 Database::tableStamp(const QString& table) const {
    try {
        Statement count(*this, QStringLiteral("select [计数] from [变更计数] where [表名] = ?"));
        count.bind(1, table);
        if (count.next())
            return count.integer(0);
    } catch (const DbError&) {
        // A file without the counters (it could not be upgraded): see below.
    }
    const auto found = writesByTable_.find(table.toStdString());
    const qint64 writes = found == writesByTable_.end() ? 0 : found->second;
    return (dataVersion() << 32) + writes;
}

void Database::backupTo(const QString& target, const QByteArray& key) const {
    const QString temporary = target + QStringLiteral(".part");
    QFile::remove(temporary);
    sqlite3* dest = nullptr;
    const QByteArray utf8 = temporary.toUtf8();
    if (sqlite3_open_v2(utf8.constData(), &dest, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        const QString message = lastMessage(dest);
        sqlite3_close(dest);
        throw DbError(message);
    }
    QString message;
    try {
        configureConnection(dest, key);
        sqlite3_backup* backup = sqlite3_backup_init(dest, "main", db_, "main");
        if (!backup)
            throw DbError(lastMessage(dest));
        const int stepResult = sqlite3_backup_step(backup, -1);
        sqlite3_backup_finish(backup);
        if (stepResult != SQLITE_DONE)
            throw DbError(lastMessage(dest));
    } catch (const DbError& e) {
        message = e.message();
    }
    sqlite3_close(dest);
    if (!message.isEmpty()) {
        QFile::remove(temporary);
        throw DbError(message);
    }
    // One rename replaces the old copy, so a failure leaves that copy as it was.
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::remove(temporary);
        throw DbError(QStringLiteral("无法写入 %1").arg(target));
    }
}

Statement::Statement(const Database& db, const QString& sql) : db_(db) {
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db.handle(), utf8.constData(), utf8.size(), &stmt_, nullptr) != SQLITE_OK) {
        const QString message = lastMessage(db.handle());
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        throw DbError(message);
    }
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

Statement& Statement::bind(int index, const QString& value) {
    if (value.isNull())
        return bindNull(index);
    const QByteArray utf8 = value.toUtf8();
    if (sqlite3_bind_text(stmt_, index, utf8.constData(), utf8.size(), SQLITE_TRANSIENT) != SQLITE_OK)
        throw DbError(lastMessage(db_.handle()));
    return *this;
}

Statement& Statement::bind(int index, qint64 value) {
    if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK)
        throw DbError(lastMessage(db_.handle()));
    return *this;
}

Statement& Statement::bindNull(int index) {
    if (sqlite3_bind_null(stmt_, index) != SQLITE_OK)
        throw DbError(lastMessage(db_.handle()));
    return *this;
}

bool Statement::next() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString message = lastMessage(db_.handle());
    sqlite3_reset(stmt_);
    throw DbError(message);
}

int Statement::run() {
    while (next()) {
    }
    return sqlite3_changes(db_.handle());
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int Statement::columnCount() const {
    return sqlite3_column_count(stmt_);
}

QString Statement::columnName(int column) const {
    return QString::fromUtf8(sqlite3_column_name(stmt_, column));
}

QString Statement::text(int column) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    if (!data)
        return QString(QLatin1String(""));
    return QString::fromUtf8(data, sqlite3_column_bytes(stmt_, column));
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

qint64 Statement::integer(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

Transaction::Transaction(Database& db) : db_(db), nested_(sqlite3_get_autocommit(db.handle()) == 0) {
    // Inside another transaction this one is a savepoint: its work commits or rolls back with the outer one.
    db_.exec(nested_ ? QStringLiteral("SAVEPOINT nested") : QStringLiteral("BEGIN IMMEDIATE"));
}

Transaction::~Transaction() {
    if (!done_) {
        try {
            db_.exec(nested_ ? QStringLiteral("ROLLBACK TO nested; RELEASE nested")
                             : QStringLiteral("ROLLBACK"));
        } catch (const DbError&) {
            // Nothing more can be done; the engine rolls back a broken transaction itself.
        }
    }
}

void Transaction::commit() {
    db_.exec(nested_ ? QStringLiteral("RELEASE nested") : QStringLiteral("COMMIT"));
    done_ = true;
}

QString quoted(const QString& name) {
    return QLatin1Char('[') + name + QLatin1Char(']');
}

QString containsPattern(const QString& text) {
    QString escaped;
    escaped.reserve(text.size() + 2);
    escaped += QLatin1Char('%');
    for (const QChar c : text) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    escaped += QLatin1Char('%');
    return escaped;
}

} // namespace lichuan
