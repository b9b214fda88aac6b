#include "data/engine_server.h"

#include "data/engine.h"
#include "data/serveraddress.h"
#include "data/sqltexts.h"

#include <QThread>
#include <libpq-fe.h>
#include <poll.h>
#include <sys/socket.h>

namespace lichuan::detail {

namespace {

// Every write transaction of every station takes this lock first, so that writers follow one another as
// they do on the files: two stations saving the same new patient cannot both insert it.
const char* const kBegin = "BEGIN; SELECT pg_advisory_xact_lock(740518)";
constexpr int kKeystrokeBudgetMs = 100; // the longest a call waits for a reconnect under way
constexpr int kSaveBudgetMs = 3000;     // how long a commit whose answer was lost waits for the server
constexpr int kMaxBackoffMs = 10000;

QString serverAway() {
    return QStringLiteral("与数据库服务器的连接已中断，正在重新连接");
}

const sql::Text kHasTable{QStringLiteral("select 1 from information_schema.tables "
                                         "where table_schema = current_schema() and table_name = ?"),
                          sql::Text::Engines::ServerOnly};
const sql::Text kTableNames{QStringLiteral("select table_name from information_schema.tables where "
                                           "table_schema = current_schema() and table_type = 'BASE TABLE' "
                                           "and table_name <> 'lichuan_schema'"),
                            sql::Text::Engines::ServerOnly};
const sql::Text kUserVersion{QStringLiteral("select max(version) from lichuan_schema"),
                             sql::Text::Engines::ServerOnly};

bool isSelect(const QString& sql) {
    return sql.trimmed().startsWith(QLatin1String("select"), Qt::CaseInsensitive);
}

class ServerCursor : public Cursor {
public:
    ServerCursor(ServerConnection& connection, QString sql) : connection_(connection), sql_(std::move(sql)) {}
    ~ServerCursor() override { PQclear(result_); }

    void bindText(int index, const QString& value) override {
        if (value.contains(QChar(0)))
            throw DbError(QStringLiteral("文字中有空字符（NUL），服务器不能保存"));
        slot(index) = value.toUtf8();
    }
    void bindInteger(int index, qint64 value) override { slot(index) = QByteArray::number(value); }
    void bindNull(int index) override { slot(index) = std::nullopt; }

    bool next() override {
        if (!result_) {
            result_ = connection_.run(sql_, values_);
            row_ = -1;
        }
        return ++row_ < PQntuples(result_);
    }
    int run() override {
        PQclear(result_);
        result_ = connection_.run(sql_, values_);
        row_ = PQntuples(result_);
        return QByteArray(PQcmdTuples(result_)).toInt();
    }
    void reset() override {
        PQclear(result_);
        result_ = nullptr;
        values_.clear();
    }
    int columnCount() const override { return result_ ? PQnfields(result_) : 0; }
    QString columnName(int column) const override {
        return result_ ? QString::fromUtf8(PQfname(result_, column)) : QString();
    }
    QString text(int column) const override {
        if (!valid(column))
            return QString(QLatin1String(""));
        return QString::fromUtf8(PQgetvalue(result_, row_, column), PQgetlength(result_, row_, column));
    }
    QByteArray bytes(int column) const override {
        if (!valid(column))
            return {};
        return QByteArray(PQgetvalue(result_, row_, column), PQgetlength(result_, row_, column));
    }
    QByteArrayView textBytes(int column) const override {
        if (!valid(column))
            return {};
        return QByteArrayView(PQgetvalue(result_, row_, column), PQgetlength(result_, row_, column));
    }
    bool isNull(int column) const override { return !valid(column) || PQgetisnull(result_, row_, column); }
    qint64 integer(int column) const override {
        if (!valid(column))
            return 0;
        const QByteArray value(PQgetvalue(result_, row_, column), PQgetlength(result_, row_, column));
        bool ok = false;
        const qint64 whole = value.trimmed().toLongLong(&ok);
        return ok ? whole : qint64(value.trimmed().toDouble());
    }

private:
    std::optional<QByteArray>& slot(int index) {
        if (index < 1)
            throw DbError(QStringLiteral("parameter %1 out of range").arg(index));
        if (values_.size() < std::size_t(index))
            values_.resize(std::size_t(index));
        return values_[std::size_t(index - 1)];
    }
    bool valid(int column) const {
        return result_ && row_ >= 0 && row_ < PQntuples(result_) && column >= 0 &&
               column < PQnfields(result_);
    }

    ServerConnection& connection_;
    QString sql_;
    std::vector<std::optional<QByteArray>> values_;
    PGresult* result_ = nullptr;
    int row_ = -1;
};

// A value of COPY's text format.
void appendCopyValue(QByteArray& line, const std::optional<QString>& value) {
    if (!value) {
        line += "\\N";
        return;
    }
    for (const char c : value->toUtf8()) {
        switch (c) {
        case '\\':
            line += "\\\\";
            break;
        case '\t':
            line += "\\t";
            break;
        case '\n':
            line += "\\n";
            break;
        case '\r':
            line += "\\r";
            break;
        default:
            line += c;
        }
    }
}

} // namespace

ServerConnection::ServerConnection(std::vector<std::pair<QByteArray, QByteArray>> options, QString schema)
    : options_(std::move(options)), schema_(std::move(schema)) {}

ServerConnection::~ServerConnection() {
    if (pending_)
        PQfinish(pending_);
    if (conn_)
        PQfinish(conn_);
}

std::unique_ptr<ServerConnection> ServerConnection::connect(const QString& address, const QString& schema) {
    server::Options options = server::connectionOptions(address, QSysInfo::machineHostName());
    if (!options.error.isEmpty())
        throw DbError(options.error);
    std::unique_ptr<ServerConnection> connection(new ServerConnection(std::move(options.values), schema));
    connection->open();
    return connection;
}

namespace {

struct OptionArrays {
    std::vector<const char*> keywords;
    std::vector<const char*> values;
    explicit OptionArrays(const std::vector<std::pair<QByteArray, QByteArray>>& options) {
        for (const auto& [keyword, value] : options) {
            keywords.push_back(keyword.constData());
            values.push_back(value.constData());
        }
        keywords.push_back(nullptr);
        values.push_back(nullptr);
    }
};

} // namespace

void ServerConnection::open() {
    const OptionArrays arrays(options_);
    conn_ = PQconnectdbParams(arrays.keywords.data(), arrays.values.data(), 0);
    if (!conn_ || PQstatus(conn_) != CONNECTION_OK)
        throw DbError(errorText());
    startSession();
}

void ServerConnection::startSession() {
    // Notices ("already exists, skipping") are no news for the program.
    PQsetNoticeProcessor(
        conn_, [](void*, const char*) {}, nullptr);
    prepared_.clear();
    depth_ = 0;
    // Changes made while this station was away were not announced to it: every copy is read anew.
    ++epoch_;
    if (!schema_.isEmpty()) {
        QString name = schema_;
        name.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        execNative(QStringLiteral("SET search_path TO \"%1\"").arg(name));
    }
    // Each statement is planned with its values: a name part or a date range changes the best plan.
    execNative(QStringLiteral("LISTEN lichuan_change"));
}

QString ServerConnection::errorText() const {
    const QString text = QString::fromUtf8(conn_ ? PQerrorMessage(conn_) : "out of memory").trimmed();
    return text.isEmpty() ? serverAway() : text;
}

bool ServerConnection::connected() const {
    return conn_ && PQstatus(conn_) == CONNECTION_OK;
}

void ServerConnection::markBroken() {
    depth_ = 0;
    if (!sinceFailure_.isValid()) {
        // The first loss is retried at once; failed attempts then wait longer and longer.
        backoffMs_ = 0;
        sinceFailure_.start();
    }
}

bool ServerConnection::pollReconnect(int budgetMs) {
    QElapsedTimer spent;
    spent.start();
    auto fail = [this] {
        if (pending_)
            PQfinish(pending_);
        pending_ = nullptr;
        sinceFailure_.start();
        backoffMs_ = qBound(500, backoffMs_ * 2, kMaxBackoffMs);
        return false;
    };
    if (!pending_) {
        if (sinceFailure_.isValid() && sinceFailure_.elapsed() < backoffMs_)
            return false;
        const OptionArrays arrays(options_);
        pending_ = PQconnectStartParams(arrays.keywords.data(), arrays.values.data(), 0);
        pendingStatus_ = PGRES_POLLING_WRITING;
        pendingSince_.start();
        if (!pending_ || PQstatus(pending_) == CONNECTION_BAD)
            return fail();
    }
    // A new attempt waits until its socket can be written, as if a poll had answered so.
    auto status = PostgresPollingStatusType(pendingStatus_);
    while (status != PGRES_POLLING_OK) {
        if (status == PGRES_POLLING_FAILED)
            return fail();
        if (pendingSince_.elapsed() > server::kConnectTimeoutSeconds * 1000)
            return fail();
        const int left = budgetMs - int(spent.elapsed());
        if (left <= 0)
            return false;
        pollfd watch{PQsocket(pending_), short(status == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0};
        if (::poll(&watch, 1, left) <= 0)
            return false;
        status = PQconnectPoll(pending_);
        pendingStatus_ = status;
    }
    if (conn_)
        PQfinish(conn_);
    conn_ = pending_;
    pending_ = nullptr;
    sinceFailure_.invalidate();
    backoffMs_ = 0;
    try {
        startSession();
    } catch (const DbError&) {
        markBroken();
        return false;
    }
    return true;
}

void ServerConnection::ensureConnected() {
    if (connected())
        return;
    if (!pollReconnect(kKeystrokeBudgetMs))
        throw DbError(serverAway());
    settleLostCommit();
}

void ServerConnection::settleLostCommit() {
    if (!lostCommit_)
        return;
    // The transaction is settled once the server knows its end; until then nothing else is written.
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const QByteArray xid = QByteArray::number(*lostCommit_);
        const char* values[] = {xid.constData()};
        PGresult* result =
            PQexecParams(conn_, "select txid_status($1::bigint)", 1, nullptr, values, nullptr, nullptr, 0);
        const bool ok = PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) == 1;
        const QByteArray status = ok ? QByteArray(PQgetvalue(result, 0, 0)) : QByteArray();
        PQclear(result);
        if (!ok) {
            markBroken();
            throw DbError(errorText());
        }
        if (status != "in progress" || waited.elapsed() > kSaveBudgetMs) {
            lastCommitSettled_ = status == "committed";
            lostCommit_.reset();
            return;
        }
        QThread::msleep(20);
    }
}

pg_result* ServerConnection::check(pg_result* result, const QString& what) {
    const ExecStatusType status = PQresultStatus(result);
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_COPY_IN)
        return result;
    QString message =
        QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(conn_)).trimmed();
    PQclear(result);
    if (!connected()) {
        markBroken();
        message = message.isEmpty() ? serverAway()
                                    : serverAway() + QStringLiteral("（") + message + QStringLiteral("）");
    }
    if (message.isEmpty())
        message = serverAway();
    throw DbError(what.isEmpty() ? message : message + QStringLiteral(" (") + what + QLatin1Char(')'));
}

void ServerConnection::readNotifications() {
    if (!connected())
        return;
    PQconsumeInput(conn_);
    while (PGnotify* note = PQnotifies(conn_)) {
        ++counters_[QString::fromUtf8(note->extra)];
        PQfreemem(note);
    }
}

const ServerConnection::Prepared& ServerConnection::prepared(const QString& sql) {
    auto found = prepared_.constFind(sql);
    if (found != prepared_.constEnd())
        return *found;
    const sql::ServerText text = sql::serverSql(sql);
    Prepared statement{QByteArray(), text.text.toUtf8(), text.parameters};
    // A statement whose best plan depends on its values (a date range, a list of names, a pattern) is
    // planned at each call; any other is prepared once and may keep one plan.
    const QString lower = text.text.toLower();
    const bool valueDependent = lower.contains(QLatin1String(" between ")) ||
                                lower.contains(QLatin1String(" in (")) ||
                                lower.contains(QLatin1String(" like "));
    if (!valueDependent) {
        statement.name = QByteArray("s") + QByteArray::number(++nextStatement_);
        ++roundTrips_;
        PQclear(check(PQprepare(conn_, statement.name.constData(), statement.text.constData(),
                                text.parameters, nullptr),
                      text.text));
    }
    return *prepared_.insert(sql, statement);
}

pg_result* ServerConnection::run(const QString& sql, const std::vector<std::optional<QByteArray>>& values) {
    for (int attempt = 0;; ++attempt) {
        ensureConnected();
        try {
            const Prepared& statement = prepared(sql);
            std::vector<const char*> pointers(std::size_t(statement.parameters), nullptr);
            for (std::size_t i = 0; i < pointers.size() && i < values.size(); ++i)
                pointers[i] = values[i] ? values[i]->constData() : nullptr;
            ++roundTrips_;
            PGresult* result = statement.name.isEmpty()
                                   ? PQexecParams(conn_, statement.text.constData(), statement.parameters,
                                                  nullptr, pointers.data(), nullptr, nullptr, 0)
                                   : PQexecPrepared(conn_, statement.name.constData(), statement.parameters,
                                                    pointers.data(), nullptr, nullptr, 0);
            result = check(result, QString());
            changes_ = QByteArray(PQcmdTuples(result)).toInt();
            return result;
        } catch (const DbError&) {
            // A read outside a transaction is simply asked again once the server is back.
            if (attempt > 0 || connected() || depth_ > 0 || !isSelect(sql))
                throw;
        }
    }
}

std::unique_ptr<Cursor> ServerConnection::prepare(const QString& sql) {
    return std::make_unique<ServerCursor>(*this, sql);
}

void ServerConnection::exec(const QString& sql) {
    execNative(sql::serverSql(sql).text);
}

void ServerConnection::execNative(const QString& sql) {
    ensureConnected();
    ++roundTrips_;
    PQclear(check(PQexec(conn_, sql.toUtf8().constData()), QString()));
    readNotifications();
}

bool ServerConnection::inTransaction() const {
    if (!conn_)
        return false;
    const PGTransactionStatusType status = PQtransactionStatus(conn_);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
}

void ServerConnection::begin(bool nested) {
    if (nested) {
        execNative(QStringLiteral("SAVEPOINT nested"));
    } else {
        execNative(QString::fromLatin1(kBegin));
    }
    ++depth_;
}

void ServerConnection::rollback(bool nested) {
    if (!connected()) {
        depth_ = 0;
        return;
    }
    execNative(nested ? QStringLiteral("ROLLBACK TO SAVEPOINT nested; RELEASE SAVEPOINT nested")
                      : QStringLiteral("ROLLBACK"));
    depth_ = nested ? depth_ - 1 : 0;
}

void ServerConnection::commit(bool nested) {
    if (nested) {
        execNative(QStringLiteral("RELEASE SAVEPOINT nested"));
        --depth_;
        return;
    }
    if (!connected())
        throw DbError(serverAway());
    // The transaction's id is asked first: should the answer to COMMIT be lost, the server can still say
    // whether it committed.
    roundTrips_ += 2;
    PGresult* id = check(PQexec(conn_, "select txid_current_if_assigned()"), QString());
    std::optional<qint64> xid;
    if (PQntuples(id) == 1 && !PQgetisnull(id, 0, 0))
        xid = QByteArray(PQgetvalue(id, 0, 0)).toLongLong();
    PQclear(id);

    PGresult* result = nullptr;
    if (loseCommitAnswer_) {
        loseCommitAnswer_ = false;
        PQsendQuery(conn_, "COMMIT");
        PQflush(conn_);
        ::shutdown(PQsocket(conn_), SHUT_RDWR);
        while (PGresult* r = PQgetResult(conn_)) {
            PQclear(result);
            result = r;
        }
        if (PQresultStatus(result) == PGRES_COMMAND_OK) {
            PQclear(result);
            result = nullptr;
        }
    } else {
        result = PQexec(conn_, "COMMIT");
    }
    depth_ = 0;
    if (PQresultStatus(result) == PGRES_COMMAND_OK) {
        // A transaction that failed earlier answers COMMIT with ROLLBACK.
        const bool committed = QByteArray(PQcmdStatus(result)) == "COMMIT";
        PQclear(result);
        readNotifications();
        if (!committed)
            throw DbError(QStringLiteral("事务已回滚"));
        return;
    }
    const QString message = QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(conn_));
    PQclear(result);
    if (connected() || !xid)
        throw DbError(message.trimmed().isEmpty() ? serverAway() : message.trimmed());
    // The answer was lost with the connection: ask the server, as soon as it can be reached again.
    lostCommit_ = xid;
    markBroken();
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < kSaveBudgetMs) {
        if (pollReconnect(kKeystrokeBudgetMs)) {
            settleLostCommit();
            if (lastCommitSettled_)
                return;
            throw DbError(QStringLiteral("数据库服务器未能保存：连接在提交时中断"));
        }
        if (!pending_)
            QThread::msleep(50);
    }
    throw DbError(serverAway());
}

qint64 ServerConnection::tableStamp(const QString& table) {
    readNotifications();
    return (epoch_ << 32) + counters_[table];
}

bool ServerConnection::hasTable(const QString& table) {
    ServerCursor find(*this, kHasTable);
    find.bindText(1, table);
    return find.next();
}

QStringList ServerConnection::tableNames() {
    ServerCursor select(*this, kTableNames);
    QStringList names;
    while (select.next())
        names << select.text(0);
    return names;
}

int ServerConnection::userVersion() {
    if (!hasTable(QStringLiteral("lichuan_schema")))
        return 0;
    ServerCursor select(*this, kUserVersion);
    return select.next() ? int(select.integer(0)) : 0;
}

void ServerConnection::setUserVersion(int version) {
    execNative(QStringLiteral("CREATE TABLE IF NOT EXISTS lichuan_schema (version integer NOT NULL);"
                              "DELETE FROM lichuan_schema; INSERT INTO lichuan_schema VALUES (%1)")
                   .arg(version));
}

void ServerConnection::copyIn(const QString& table, const QStringList& columns,
                              const std::function<bool(std::vector<std::optional<QString>>&)>& rows) {
    ensureConnected();
    auto quote = [](QString name) {
        return QLatin1Char('"') + name.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    };
    QStringList names;
    for (const QString& column : columns)
        names << quote(column);
    const QString sql =
        QStringLiteral("COPY %1 (%2) FROM STDIN").arg(quote(table), names.join(QLatin1Char(',')));
    PQclear(check(PQexec(conn_, sql.toUtf8().constData()), sql));
    QByteArray buffer;
    std::vector<std::optional<QString>> row;
    QString refusal;
    auto flush = [&] {
        if (!buffer.isEmpty() && PQputCopyData(conn_, buffer.constData(), int(buffer.size())) != 1)
            refusal = errorText();
        buffer.clear();
    };
    while (refusal.isEmpty() && rows(row)) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i)
                buffer += '\t';
            if (row[i] && row[i]->contains(QChar(0))) {
                refusal = QStringLiteral("文字中有空字符（NUL）");
                break;
            }
            appendCopyValue(buffer, row[i]);
        }
        buffer += '\n';
        if (buffer.size() > 256 * 1024)
            flush();
    }
    if (refusal.isEmpty())
        flush();
    PQputCopyEnd(conn_, refusal.isEmpty() ? nullptr : refusal.toUtf8().constData());
    PGresult* result = PQgetResult(conn_);
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    const QString message = QString::fromUtf8(PQresultErrorMessage(result)).trimmed();
    PQclear(result);
    while (PGresult* rest = PQgetResult(conn_))
        PQclear(rest);
    if (!refusal.isEmpty())
        throw DbError(refusal);
    if (!ok)
        throw DbError(message);
}

} // namespace lichuan::detail
