#pragma once
// The PostgreSQL engine behind Database: one libpq connection, statements translated once and prepared
// once per session, table stamps from LISTEN/NOTIFY, a reconnect that never blocks a keystroke for long,
// and commits whose answer was lost settled before anything else is written.

#include "data/connection.h"
#include "data/sqltranslate.h"

#include <QElapsedTimer>
#include <QHash>
#include <map>
#include <optional>
#include <utility>
#include <vector>

struct pg_conn;
struct pg_result;

namespace lichuan::detail {

class ServerConnection : public Connection {
public:
    // Connects at once (waits up to the connect timeout). Throws DbError.
    static std::unique_ptr<ServerConnection> connect(const QString& address, const QString& schema);
    ~ServerConnection() override;

    std::unique_ptr<Cursor> prepare(const QString& sql) override;
    void exec(const QString& sql) override;
    void execNative(const QString& sql) override;
    int changes() const override { return changes_; }
    bool inTransaction() const override;
    void begin(bool nested) override;
    void commit(bool nested) override;
    void rollback(bool nested) override;
    qint64 tableStamp(const QString& table) override;
    bool hasTable(const QString& table) override;
    QStringList tableNames() override;
    int userVersion() override;
    void setUserVersion(int version) override;

    // Runs a prepared form of `sql` with text parameters (nullopt = NULL). The result is owned by the
    // caller (PQclear). Throws DbError.
    pg_result* run(const QString& sql, const std::vector<std::optional<QByteArray>>& values);

    // Loads rows into `table` through COPY: `rows` gives one row at a time (false when done). Text only;
    // a value with a NUL character is refused. Throws DbError.
    void copyIn(const QString& table, const QStringList& columns,
                const std::function<bool(std::vector<std::optional<QString>>&)>& rows);

    // For tests: the next commit's answer is lost (the connection breaks right after COMMIT is sent).
    void loseNextCommitAnswer() { loseCommitAnswer_ = true; }
    // Whether a connection to the server is up now.
    bool connected() const;
    // Requests sent to the server so far (a benchmark counts those of a keystroke).
    qint64 roundTrips() const { return roundTrips_; }

private:
    ServerConnection(std::vector<std::pair<QByteArray, QByteArray>> options, QString schema);
    void open();            // blocking connect with the connect timeout
    void startSession();    // schema, LISTEN, statement cache reset
    void ensureConnected(); // throws when the server is away; reconnects with back-off
    bool pollReconnect(int budgetMs);
    void markBroken();
    void settleLostCommit();
    pg_result* check(pg_result* result, const QString& what);
    QString errorText() const;
    void readNotifications();

    struct Prepared {
        QByteArray name; // empty: planned at each call with its values
        QByteArray text;
        int parameters = 0;
    };
    const Prepared& prepared(const QString& sql);

    std::vector<std::pair<QByteArray, QByteArray>> options_;
    QString schema_;
    pg_conn* conn_ = nullptr;
    pg_conn* pending_ = nullptr; // a reconnect under way
    int pendingStatus_ = 0;      // its last polling status
    QElapsedTimer pendingSince_;
    QElapsedTimer sinceFailure_;
    int backoffMs_ = 0;
    QHash<QString, Prepared> prepared_;
    int nextStatement_ = 0;
    int changes_ = 0;
    int depth_ = 0; // open transactions and savepoints of this connection
    std::map<QString, qint64> counters_;
    qint64 epoch_ = 0;
    std::optional<qint64> lostCommit_; // the transaction whose COMMIT answer never came
    bool lastCommitSettled_ = false;   // what the server said of it
    bool loseCommitAnswer_ = false;
    qint64 roundTrips_ = 0;
};

} // namespace lichuan::detail
