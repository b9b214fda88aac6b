#include "data/engine.h"

#include "data/connection.h"
#include "data/engine_file.h"
#include "data/engine_server.h"
#include "data/serveraddress.h"
#include "data/upgrade.h"

#include <QFile>
#include <QFileInfo>

namespace lichuan {

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
    if (mode != OpenMode::CreateNew && !exists)
        return fail(QStringLiteral("文件不存在：%1").arg(path));
    if (mode == OpenMode::CreateNew && QFileInfo::exists(path))
        return fail(QStringLiteral("文件已存在：%1").arg(path));
    try {
        std::unique_ptr<Database> result(new Database(
            detail::FileConnection::open(path, key, mode == OpenMode::CreateNew, mode == OpenMode::ReadOnly),
            Engine::File, path));
        try {
            if (mode == OpenMode::ExistingOnly)
                upgradeDatabase(*result);
        } catch (const DbError&) {
            result.reset();
            throw;
        }
        return result;
    } catch (const DbError& e) {
        if (mode == OpenMode::CreateNew)
            QFile::remove(path);
        return fail(e.message());
    }
}

std::unique_ptr<Database> Database::connect(const QString& address, const QString& schema, QString* error) {
    try {
        return std::unique_ptr<Database>(new Database(detail::ServerConnection::connect(address, schema),
                                                      Engine::Server, server::displayAddress(address)));
    } catch (const DbError& e) {
        if (error)
            *error = e.message();
        return nullptr;
    }
}

Database::Database(std::unique_ptr<detail::Connection> connection, Engine engine, QString path)
    : connection_(std::move(connection)), engine_(engine), path_(std::move(path)) {}

Database::~Database() {
    attachments_.clear();
}

void Database::exec(const QString& sql) {
    connection_->exec(sql);
}

void Database::execNative(const QString& sql) {
    connection_->execNative(sql);
}

int Database::changes() const {
    return connection_->changes();
}

qint64 Database::tableStamp(const QString& table) const {
    return connection_->tableStamp(table);
}

QStringList Database::tableNames() const {
    return connection_->tableNames();
}

bool Database::hasTable(const QString& table) const {
    return connection_->hasTable(table);
}

int Database::userVersion() const {
    return connection_->userVersion();
}

void Database::setUserVersion(int version) {
    connection_->setUserVersion(version);
}

bool Database::inTransaction() const {
    return connection_->inTransaction();
}

void Database::backupTo(const QString& target, const QByteArray& key) const {
    const auto* file = dynamic_cast<const detail::FileConnection*>(connection_.get());
    if (!file)
        throw DbError(QStringLiteral("服务器数据库不能按文件复制"));
    file->backupTo(target, key);
}

Statement::Statement(const Database& db, const QString& sql) : cursor_(db.connection().prepare(sql)) {}

Statement::~Statement() = default;

Statement& Statement::bind(int index, const QString& value) {
    if (value.isNull())
        return bindNull(index);
    cursor_->bindText(index, value);
    return *this;
}

Statement& Statement::bind(int index, qint64 value) {
    cursor_->bindInteger(index, value);
    return *this;
}

Statement& Statement::bindNull(int index) {
    cursor_->bindNull(index);
    return *this;
}

bool Statement::next() {
    return cursor_->next();
}

int Statement::run() {
    return cursor_->run();
}

void Statement::reset() {
    cursor_->reset();
}

int Statement::columnCount() const {
    return cursor_->columnCount();
}

QString Statement::columnName(int column) const {
    return cursor_->columnName(column);
}

QString Statement::text(int column) const {
    return cursor_->text(column);
}

QByteArray Statement::bytes(int column) const {
    return cursor_->bytes(column);
}

QByteArrayView Statement::textBytes(int column) const {
    return cursor_->textBytes(column);
}

bool Statement::isNull(int column) const {
    return cursor_->isNull(column);
}

qint64 Statement::integer(int column) const {
    return cursor_->integer(column);
}

Transaction::Transaction(Database& db) : db_(db), nested_(db.inTransaction()) {
    // Inside another transaction this one is a savepoint: its work commits or rolls back with the outer one.
    db_.connection().begin(nested_);
}

Transaction::~Transaction() {
    if (!done_) {
        try {
            db_.connection().rollback(nested_);
        } catch (const DbError&) {
            // Nothing more can be done; the engine rolls back a broken transaction itself.
        }
    }
}

void Transaction::commit() {
    db_.connection().commit(nested_);
    done_ = true;
}

ReadSnapshot::ReadSnapshot(Database& db) : db_(db) {
    db_.execNative(db_.engine() == Database::Engine::Server
                       ? QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY")
                       : QStringLiteral("BEGIN"));
}

ReadSnapshot::~ReadSnapshot() {
    try {
        if (db_.inTransaction())
            db_.execNative(QStringLiteral("ROLLBACK"));
    } catch (const DbError&) {
        // Nothing was written; the engine ends a broken transaction itself.
    }
}

void ReadSnapshot::checkStillOpen() const {
    if (!db_.inTransaction())
        throw DbError(QStringLiteral("读取过程中与数据库的连接中断，未完成复制"));
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
