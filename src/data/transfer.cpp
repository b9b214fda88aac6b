#include "data/transfer.h"

#include "data/clinicalrules.h"
#include "data/dbcheck.h"
#include "data/engine.h"
#include "data/engine_server.h"
#include "data/schema.h"
#include "data/sqltexts.h"
#include "data/tracking.h"

#include <QFile>
#include <limits>
#include <optional>

namespace lichuan::transfer {

namespace {

constexpr qint64 kPageRows = 5000; // rows read from the server per query of the backup

QString columnList(const schema::Table& table) {
    return sql::columnsOf(table, QStringLiteral(", "));
}

// The fillings of a text with a table's columns (%1) and the table (%2), for every table.
std::vector<QStringList> columnsAndTable() {
    return sql::forEveryTable([](const schema::Table& table) {
        return QStringList{columnList(table), quoted(table.name)};
    });
}

const sql::Text kCountRows{QStringLiteral("select count(*) from %1"), sql::everyTable};
const sql::Text kAllRows{QStringLiteral("select rowid, %1 from %2 order by rowid"), columnsAndTable};
// A page of the rows after a rowid, read through the table's key.
const sql::Text kPageOfRows{QStringLiteral("select rowid, %1 from %2 where rowid > ? order by rowid limit ?"),
                            columnsAndTable};
// %1 the table, %2 its columns, %3 a mark for the rowid and each column.
const sql::Text kInsertRow{QStringLiteral("insert into %1(rowid, %2) values(%3)"), [] {
                               return sql::forEveryTable([](const schema::Table& table) {
                                   return QStringList{quoted(table.name), columnList(table),
                                                      sql::marks(int(table.columns.size()) + 1)};
                               });
                           }};

// Strict UTF-8 as the server takes it: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isUtf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char lead = p[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        char32_t code = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > n)
            return false;
        for (int k = 1; k < length; ++k) {
            const unsigned char next = p[i + k];
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
            (length == 4 && (code < 0x10000 || code > 0x10FFFF)))
            return false;
        i += length;
    }
    return true;
}

QString refusal(const QString& table, qint64 row, const QString& column, const QString& what) {
    return QStringLiteral("表“%1”第 %2 行（rowid %2）的列“%3”%4，未迁移。服务器数据库保持原样。")
        .arg(table)
        .arg(row)
        .arg(column, what);
}

// Streams the rows of `table` from the file into the server with COPY, row numbers included; returns how
// many rows were sent. A value the server must not take ends the stream and is thrown after it.
qint64 loadTable(const Database& file, detail::ServerConnection& server, const schema::Table& table) {
    Statement select(file, kAllRows.arg(columnList(table), quoted(table.name)));
    QStringList columns{QStringLiteral("rowid")};
    for (const schema::Column& column : table.columns)
        columns << column.name;
    qint64 sent = 0;
    QString refused;
    server.copyIn(table.name, columns, [&](std::vector<std::optional<QString>>& row) {
        if (!select.next())
            return false;
        const qint64 rowid = select.integer(0);
        row.assign(columns.size(), std::nullopt);
        row[0] = QString::number(rowid);
        for (int i = 1; i < columns.size(); ++i) {
            if (select.isNull(i))
                continue;
            const QByteArray bytes = select.bytes(i);
            if (bytes.contains('\0'))
                refused = refusal(table.name, rowid, columns[i], QStringLiteral("含有空字符（NUL）"));
            else if (!isUtf8(bytes))
                refused = refusal(table.name, rowid, columns[i],
                                  QStringLiteral("含有无效的文字编码（不是 UTF-8）"));
            if (!refused.isEmpty())
                return false;
            row[std::size_t(i)] = QString::fromUtf8(bytes);
        }
        ++sent;
        return true;
    });
    if (!refused.isEmpty())
        throw DbError(refused);
    return sent;
}

bool hasProgramTable(Database& db) {
    for (const auto* tables : {&schema::mainTables(), &schema::statisticsTables()}) {
        for (const schema::Table& table : *tables) {
            if (db.hasTable(table.name))
                return true;
        }
    }
    return db.hasTable(QStringLiteral("档案姓名"));
}

// Copies the rows of `table` from the server into the file with their row numbers, a page at a time.
void copyRowsToFile(const Database& server, Database& file, const schema::Table& table) {
    const QString columns = columnList(table);
    Statement page(server, kPageOfRows.arg(columns, quoted(table.name)));
    Statement insert(file,
                     kInsertRow.arg(quoted(table.name), columns, sql::marks(int(table.columns.size()) + 1)));
    const int width = int(table.columns.size()) + 1;
    qint64 after = std::numeric_limits<qint64>::min();
    for (;;) {
        page.reset();
        page.bind(1, after).bind(2, kPageRows);
        qint64 rows = 0;
        while (page.next()) {
            ++rows;
            after = page.integer(0);
            insert.reset();
            insert.bind(1, after);
            for (int i = 1; i < width; ++i) {
                if (page.isNull(i))
                    insert.bindNull(i + 1);
                else
                    insert.bind(i + 1, page.text(i));
            }
            insert.run();
        }
        if (rows < kPageRows)
            return;
    }
}

} // namespace

qint64 countRows(const Database& db, const QString& table) {
    Statement count(db, kCountRows.arg(quoted(table)));
    return count.next() ? count.integer(0) : 0;
}

TableCounts copyFilesToServer(Database& mainFile, Database& statisticsFile, Database& server) {
    if (server.engine() != Database::Engine::Server || mainFile.engine() != Database::Engine::File ||
        statisticsFile.engine() != Database::Engine::File)
        throw DbError(QStringLiteral("只能把数据库文件迁移到数据库服务器"));
    QString problem = mainDatabaseProblem(mainFile);
    if (!problem.isEmpty())
        throw DbError(QStringLiteral("数据库文件 %1 不完整（%2），未迁移。").arg(mainFile.path(), problem));
    problem = statisticsDatabaseProblem(statisticsFile);
    if (!problem.isEmpty())
        throw DbError(
            QStringLiteral("用药统计文件 %1 不完整（%2），未迁移。").arg(statisticsFile.path(), problem));

    auto& connection = static_cast<detail::ServerConnection&>(server.connection());
    const std::pair<Database*, const std::vector<schema::Table>*> sources[] = {
        {&mainFile, &schema::mainTables()}, {&statisticsFile, &schema::statisticsTables()}};
    TableCounts counts;
    // A write transaction waits for every station's, so nobody writes the tables meanwhile.
    Transaction transaction(server);
    if (hasProgramTable(server))
        throw DbError(QStringLiteral("服务器数据库中已有本程序的表，只能迁移到空的数据库，未迁移。"));
    schema::createMain(server);
    schema::createStatistics(server);
    // The names of 档案 are listed once after loading rather than by a trigger call per row.
    server.execNative(QStringLiteral("ALTER TABLE \"%1\" DISABLE TRIGGER \"%1_姓名\"").arg(schema::kArchive));
    bool rulesMissing = false;
    for (const auto& [file, tables] : sources) {
        ReadSnapshot snapshot(*file);
        for (const schema::Table& table : *tables) {
            // A file that could not be upgraded lacks the tables of later releases: they stay empty, and the
            // server gets the default rules instead.
            if (table.addedLater && !file->hasTable(table.name)) {
                rulesMissing = rulesMissing || table.name == schema::kClinicalRules;
                counts.emplace_back(table.name, 0);
                continue;
            }
            const qint64 inFile = countRows(*file, table.name);
            const qint64 sent = loadTable(*file, connection, table);
            const qint64 onServer = countRows(server, table.name);
            if (sent != inFile || onServer != inFile)
                throw DbError(QStringLiteral("表“%1”的行数不符（文件中 %2 行，服务器上 %3 行），未迁移。")
                                  .arg(table.name)
                                  .arg(inFile)
                                  .arg(onServer));
            // New rows are numbered after the ones carried over.
            server.execNative(QStringLiteral("SELECT setval(pg_get_serial_sequence('\"%1\"', 'rowid'), "
                                             "coalesce(max(rowid), 0) + 1, false) FROM \"%1\"")
                                  .arg(table.name));
            counts.emplace_back(table.name, onServer);
        }
    }
    server.execNative(QStringLiteral("ALTER TABLE \"%1\" ENABLE TRIGGER \"%1_姓名\"").arg(schema::kArchive));
    if (rulesMissing)
        clinical::mergeDefaultRules(server);
    tracking::addTo(server); // fills the list of names from the rows just loaded
    transaction.commit();
    return counts;
}

std::map<QString, qint64> copyServerToFile(Database& server, const QString& target, const QByteArray& key) {
    if (server.engine() != Database::Engine::Server)
        throw DbError(QStringLiteral("不是数据库服务器"));
    QString error;
    auto file = Database::open(target, key, Database::OpenMode::CreateNew, &error);
    if (!file)
        throw DbError(error);
    try {
        ReadSnapshot snapshot(server);
        const std::map<QString, qint64> counts = rowCounts(server, schema::mainTables());
        Transaction transaction(*file);
        schema::createMain(*file);
        for (const schema::Table& table : schema::mainTables()) {
            if (counts.count(table.name))
                copyRowsToFile(server, *file, table);
        }
        transaction.commit();
        snapshot.checkStillOpen();
        return counts;
    } catch (const DbError&) {
        file.reset();
        QFile::remove(target);
        throw;
    }
}

} // namespace lichuan::transfer
