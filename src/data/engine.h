#pragma once
// A thin RAII layer over the storage engines: one Database per file (SQLCipher) or per server connection
// (PostgreSQL through libpq), kept open for the run, Statements with bound parameters only, and a
// Transaction that rolls back unless committed. The data functions write their SQL once, for the file
// engine; the server connection translates each text once (sqltranslate.h).

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <typeindex>

namespace lichuan {

namespace detail {
class Connection;
class Cursor;
} // namespace detail

// Raised by the engine layer; the data functions that windows call catch it and report a failure instead.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message);
    QString message() const { return QString::fromUtf8(what()); }
};

// The key both database files are protected with.
QByteArray databaseKey();

class Database {
public:
    // ReadOnly opens an existing file as it is: nothing is written to it, not even the upgrade that an older
    // file gets when it is opened to work with (a backup copy that is only looked at keeps its bytes).
    enum class OpenMode { ExistingOnly, CreateNew, ReadOnly };
    enum class Engine { File, Server };

    // Opens the file at `path` with `key` and checks the key at once. With CreateNew the file must not
    // exist yet; with ExistingOnly and ReadOnly it must. Returns nullptr and sets `error` when the file
    // cannot be opened, is not a database or the key is wrong; the file is never written in that case.
    static std::unique_ptr<Database> open(const QString& path, const QByteArray& key, OpenMode mode,
                                          QString* error = nullptr);
    // Connects to a PostgreSQL server. `address` is a connection URI (postgresql://host:port/database?…,
    // see serveraddress.h); `schema`, when given, is the schema the tables are in (tests give each case
    // its own). Returns nullptr and sets `error` when the server cannot be reached or refuses the login.
    static std::unique_ptr<Database> connect(const QString& address, const QString& schema = QString(),
                                             QString* error = nullptr);

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    Engine engine() const { return engine_; }
    // The file's path, or the server address (without a password written in it).
    const QString& path() const { return path_; }

    // The names of the program's tables in this database.
    QStringList tableNames() const;
    bool hasTable(const QString& table) const;
    // The schema version written by the program (0 for a database it never wrote).
    int userVersion() const;
    void setUserVersion(int version);
    bool inTransaction() const;

    // Runs one or more statements without parameters (schema, pragmas). Throws DbError.
    void exec(const QString& sql);
    // Runs SQL written for this database's own engine, untranslated (server functions, triggers).
    void execNative(const QString& sql);

    // Rows changed by the last insert, update or delete of this connection.
    int changes() const;

    // A number that changes whenever another connection commits to the file or this connection writes rows
    // of `table`; a copy of the table kept in memory is current while the number stays the same.
    qint64 tableStamp(const QString& table) const;

    // An object of type T kept with this connection for the data functions (a cache, say): made on first
    // use, gone with the connection.
    template <class T> T& attachment() const {
        std::shared_ptr<void>& slot = attachments_[std::type_index(typeid(T))];
        if (!slot)
            slot = std::make_shared<T>();
        return *static_cast<T*>(slot.get());
    }

    // Copies a consistent snapshot of this database file into a new keyed file at `target` (an existing
    // file there is replaced only when the copy succeeded). Files only; throws DbError.
    void backupTo(const QString& target, const QByteArray& key) const;

    detail::Connection& connection() const { return *connection_; }

private:
    Database(std::unique_ptr<detail::Connection> connection, Engine engine, QString path);

    std::unique_ptr<detail::Connection> connection_;
    Engine engine_;
    QString path_;
    mutable std::map<std::type_index, std::shared_ptr<void>> attachments_;
};

class Statement {
public:
    // Prepares `sql`; every value is bound with bind(), never joined into the text. Throws DbError.
    Statement(const Database& db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Parameters are numbered from 1. A null QString binds SQL NULL.
    Statement& bind(int index, const QString& value);
    Statement& bind(int index, qint64 value);
    Statement& bindNull(int index);

    // Advances to the next row; false when the result is exhausted. Throws DbError.
    bool next();
    // Runs a statement that returns no rows; returns the number of rows changed.
    int run();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    // The value of a column of the current row as text; null reads as empty text.
    QString text(int column) const;
    // The value as the engine stores it, undecoded: for checking text before it is trusted.
    QByteArray bytes(int column) const;
    // The same without a copy, valid until the statement moves on: for telling a value from the last one.
    QByteArrayView textBytes(int column) const;
    bool isNull(int column) const;
    qint64 integer(int column) const;

private:
    std::unique_ptr<detail::Cursor> cursor_;
};

// Begins a transaction; one begun while another is open is a savepoint within it.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& db_;
    bool nested_;
    bool done_ = false;
};

// A read-only transaction: every table as of one moment, for a copy whose row counts must agree with the
// rows it copied. On a file other stations go on reading (their commits wait until it ends); a server's
// view is REPEATABLE READ. It only reads: it ends with a rollback when it goes.
class ReadSnapshot {
public:
    explicit ReadSnapshot(Database& db);
    ~ReadSnapshot();
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

    // Throws DbError when the view ended early (a lost connection): what was read after that is not one view.
    void checkStillOpen() const;

private:
    Database& db_;
};

// Quotes a table or column name for SQL text: [名称].
QString quoted(const QString& name);

// Escapes a user's text for `like ? escape '\'` so that %, _ and \ match themselves, and wraps it in %…%.
QString containsPattern(const QString& text);

} // namespace lichuan
