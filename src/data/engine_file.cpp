#include "data/engine_file.h"

#include "data/engine.h"
#include "data/gbk.h"

#include <QFile>
#include <cstdio>
#include <cstring>

#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlite3.h>

namespace lichuan::detail {

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

class FileCursor : public Cursor {
public:
    FileCursor(sqlite3* db, const QString& sql) : db_(db) {
        const QByteArray utf8 = sql.toUtf8();
        if (sqlite3_prepare_v2(db, utf8.constData(), utf8.size(), &stmt_, nullptr) != SQLITE_OK) {
            const QString message = lastMessage(db);
            sqlite3_finalize(stmt_);
            stmt_ = nullptr;
            throw DbError(message);
        }
    }
    ~FileCursor() override { sqlite3_finalize(stmt_); }

    void bindText(int index, const QString& value) override {
        const QByteArray utf8 = value.toUtf8();
        if (sqlite3_bind_text(stmt_, index, utf8.constData(), utf8.size(), SQLITE_TRANSIENT) != SQLITE_OK)
            throw DbError(lastMessage(db_));
    }
    void bindInteger(int index, qint64 value) override {
        if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK)
            throw DbError(lastMessage(db_));
    }
    void bindNull(int index) override {
        if (sqlite3_bind_null(stmt_, index) != SQLITE_OK)
            throw DbError(lastMessage(db_));
    }
    bool next() override {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        const QString message = lastMessage(db_);
        sqlite3_reset(stmt_);
        throw DbError(message);
    }
    int run() override {
        while (next()) {
        }
        return sqlite3_changes(db_);
    }
    void reset() override {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    int columnCount() const override { return sqlite3_column_count(stmt_); }
    QString columnName(int column) const override {
        return QString::fromUtf8(sqlite3_column_name(stmt_, column));
    }
    QString text(int column) const override {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        if (!data)
            return QString(QLatin1String(""));
        return QString::fromUtf8(data, sqlite3_column_bytes(stmt_, column));
    }
    QByteArray bytes(int column) const override {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
        return data ? QByteArray(data, sqlite3_column_bytes(stmt_, column)) : QByteArray();
    }
    QByteArrayView textBytes(int column) const override {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return data ? QByteArrayView(data, sqlite3_column_bytes(stmt_, column)) : QByteArrayView();
    }
    bool isNull(int column) const override { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
    qint64 integer(int column) const override { return sqlite3_column_int64(stmt_, column); }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

} // namespace

std::unique_ptr<FileConnection> FileConnection::open(const QString& path, const QByteArray& key, bool create,
                                                     bool readOnly) {
    sqlite3* db = nullptr;
    // A connection is used by one thread at a time (start-up may open one on another thread and hand it
    // over), so the engine's lock around every call, a good part of the cost of reading a row, is left out.
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX |
                      (create && !readOnly ? SQLITE_OPEN_CREATE : 0);
    const QByteArray utf8Path = path.toUtf8();
    if (sqlite3_open_v2(utf8Path.constData(), &db, flags, nullptr) != SQLITE_OK) {
        const QString message = lastMessage(db);
        sqlite3_close(db);
        throw DbError(message);
    }
    auto connection = std::make_unique<FileConnection>(db);
    // Another station may be writing the file right now: every read, the first one too, waits for it.
    sqlite3_busy_timeout(db, 10000);
    configureConnection(db, key);
    // The key is checked by the first read of the file.
    connection->exec(QStringLiteral("select count(*) from sqlite_master"));
    connection->exec(readOnly ? QStringLiteral("PRAGMA cache_size = -65536;")
                              : QStringLiteral("PRAGMA journal_mode = DELETE; PRAGMA cache_size = -65536;"));
    if (sqlite3_create_collation(db, "GBK", SQLITE_UTF8, nullptr, collateGbk) != SQLITE_OK)
        throw DbError(lastMessage(db));
    sqlite3_set_authorizer(db, authorize, nullptr);
    // A row that an INSERT OR REPLACE removes is counted by the triggers as a delete.
    connection->exec(QStringLiteral("PRAGMA recursive_triggers = ON"));
    return connection;
}

FileConnection::FileConnection(sqlite3* db) : db_(db) {
    sqlite3_update_hook(db_, &FileConnection::countWrite, this);
}

FileConnection::~FileConnection() {
    sqlite3_close_v2(db_);
}

void FileConnection::countWrite(void* self, int, const char*, const char* table, long long) {
    ++static_cast<FileConnection*>(self)->writesByTable_[table];
}

std::unique_ptr<Cursor> FileConnection::prepare(const QString& sql) {
    return std::make_unique<FileCursor>(db_, sql);
}

void FileConnection::exec(const QString& sql) {
    char* err = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_exec(db_, utf8.constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString message = QString::fromUtf8(err ? err : sqlite3_errmsg(db_));
        sqlite3_free(err);
        throw DbError(message);
    }
}

int FileConnection::changes() const {
    return sqlite3_changes(db_);
}

bool FileConnection::inTransaction() const {
    return sqlite3_get_autocommit(db_) == 0;
}

void FileConnection::begin(bool nested) {
    exec(nested ? QStringLiteral("SAVEPOINT nested") : QStringLiteral("BEGIN IMMEDIATE"));
}

void FileConnection::commit(bool nested) {
    exec(nested ? QStringLiteral("RELEASE nested") : QStringLiteral("COMMIT"));
}

void FileConnection::rollback(bool nested) {
    exec(nested ? QStringLiteral("ROLLBACK TO nested; RELEASE nested") : QStringLiteral("ROLLBACK"));
}

qint64 FileConnection::dataVersion() {
    try {
        FileCursor version(db_, QStringLiteral("PRAGMA data_version"));
        if (version.next())
            return version.integer(0);
    } catch (const DbError&) {
    }
    return -1;
}

// The stamp of a table is its counter in [变更计数], which the file's triggers bump on every change of its
// rows by any connection (tracking.h). A file without the counters (one that could not be upgraded) gives a
// number that changes with every commit to the file and every write of the table by this connection.
qint64 FileConnection::tableStamp(const QString& table) {
    try {
        FileCursor count(db_, QStringLiteral("select [计数] from [变更计数] where [表名] = ?"));
        count.bindText(1, table);
        if (count.next())
            return count.integer(0);
    } catch (const DbError&) {
        // A file without the counters (it could not be upgraded): see below.
    }
    const auto found = writesByTable_.find(table.toStdString());
    const qint64 writes = found == writesByTable_.end() ? 0 : found->second;
    return (dataVersion() << 32) + writes;
}

bool FileConnection::hasTable(const QString& table) {
    FileCursor find(db_, QStringLiteral("select 1 from sqlite_master where type = 'table' and name = ?"));
    find.bindText(1, table);
    return find.next();
}

QStringList FileConnection::tableNames() {
    QStringList names;
    FileCursor select(db_, QStringLiteral("select [name] from [sqlite_master] where [type] = 'table' and "
                                          "[name] not like 'sqlite\\_%' escape '\\'"));
    while (select.next())
        names << select.text(0);
    return names;
}

int FileConnection::userVersion() {
    FileCursor version(db_, QStringLiteral("PRAGMA user_version"));
    return version.next() ? int(version.integer(0)) : 0;
}

void FileConnection::setUserVersion(int version) {
    exec(QStringLiteral("PRAGMA user_version = %1").arg(version));
}

void FileConnection::backupTo(const QString& target, const QByteArray& key) const {
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

} // namespace lichuan::detail
