#pragma once
// What each storage engine gives the RAII classes of engine.h: the encrypted files (SQLCipher) and a
// PostgreSQL server. Only engine*.cpp include this.

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace lichuan::detail {

class Cursor {
public:
    virtual ~Cursor() = default;
    virtual void bindText(int index, const QString& value) = 0;
    virtual void bindInteger(int index, qint64 value) = 0;
    virtual void bindNull(int index) = 0;
    virtual bool next() = 0;
    virtual int run() = 0;
    virtual void reset() = 0;
    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    virtual QString text(int column) const = 0;
    virtual QByteArray bytes(int column) const = 0;
    virtual QByteArrayView textBytes(int column) const = 0;
    virtual bool isNull(int column) const = 0;
    virtual qint64 integer(int column) const = 0;
};

class Connection {
public:
    virtual ~Connection() = default;
    virtual std::unique_ptr<Cursor> prepare(const QString& sql) = 0;
    virtual void exec(const QString& sql) = 0;
    // Runs engine-specific SQL as written (no translation).
    virtual void execNative(const QString& sql) = 0;
    virtual int changes() const = 0;
    virtual bool inTransaction() const = 0;
    virtual void begin(bool nested) = 0;
    virtual void commit(bool nested) = 0;
    virtual void rollback(bool nested) = 0;
    virtual qint64 tableStamp(const QString& table) = 0;
    virtual bool hasTable(const QString& table) = 0;
    virtual QStringList tableNames() = 0;
    virtual int userVersion() = 0;
    virtual void setUserVersion(int version) = 0;
};

} // namespace lichuan::detail
