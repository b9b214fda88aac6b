#pragma once
// The encrypted-file engine (SQLCipher) behind Database.

#include "data/connection.h"

#include <QByteArray>
#include <map>
#include <string>

struct sqlite3;

namespace lichuan::detail {

class FileConnection : public Connection {
public:
    // Takes over an opened handle.
    explicit FileConnection(sqlite3* db);
    ~FileConnection() override;

    // Opens `path` (the file must exist unless `create`) and applies `key`; a `readOnly` connection never
    // writes the file. Throws DbError.
    static std::unique_ptr<FileConnection> open(const QString& path, const QByteArray& key, bool create,
                                                bool readOnly = false);

    std::unique_ptr<Cursor> prepare(const QString& sql) override;
    void exec(const QString& sql) override;
    void execNative(const QString& sql) override { exec(sql); }
    int changes() const override;
    bool inTransaction() const override;
    void begin(bool nested) override;
    void commit(bool nested) override;
    void rollback(bool nested) override;
    qint64 tableStamp(const QString& table) override;
    bool hasTable(const QString& table) override;
    QStringList tableNames() override;
    int userVersion() override;
    void setUserVersion(int version) override;

    sqlite3* handle() const { return db_; }
    void backupTo(const QString& target, const QByteArray& key) const;

private:
    static void countWrite(void* self, int operation, const char* database, const char* table,
                           long long rowid);
    qint64 dataVersion();

    sqlite3* db_;
    std::map<std::string, qint64> writesByTable_; // rows this connection wrote, by table name (UTF-8)
};

} // namespace lichuan::detail
