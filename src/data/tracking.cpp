#include "data/tracking.h"

#include "data/engine.h"
#include "data/quietread.h"
#include "data/schema.h"
#include "data/sqltexts.h"

namespace lichuan::tracking {

namespace {

// Tables whose changed rows are noted, for the copies kept of them (patient suggestions, pick list).
bool logsRows(const QString& table) {
    return table == schema::kPatient || table == schema::kCatalog;
}

// A table name as an SQL text literal; the names are the program's own and hold no quote.
QString literal(const QString& name) {
    return QLatin1Char('\'') + name + QLatin1Char('\'');
}

bool tableExists(const Database& db, const QString& table) {
    return db.hasTable(table);
}

// The names of 档案 and the index of its rows by name, on both engines.
const sql::Text kCreateArchiveNames{
    QStringLiteral("CREATE TABLE IF NOT EXISTS [档案姓名] ([姓名] TEXT PRIMARY KEY)")};
const sql::Text kFillArchiveNames{
    QStringLiteral("INSERT INTO [档案姓名]([姓名]) SELECT DISTINCT [0] FROM [档案] "
                   "WHERE [0] IS NOT NULL AND [0] NOT IN (SELECT [姓名] FROM [档案姓名])")};
// The rows of one name in date order, with the columns of a history entry.
const sql::Text kArchiveNameIndex{
    QStringLiteral("CREATE INDEX IF NOT EXISTS [档案_姓名] ON [档案]([0], [5], [序号], [1], [2], [发药])")};

// A server announces every change of a table to all stations (LISTEN/NOTIFY): a statement trigger per table
// sends its name, and each connection counts what it hears into the table's stamp. The list of names of
// 档案 is kept as on the files, and GBK order is a server function that falls back character by character
// for what GBK cannot encode (as gbk::sortKey does).
const char* const kServerFunctions = R"SQL(
CREATE OR REPLACE FUNCTION lichuan_note_change() RETURNS trigger LANGUAGE plpgsql AS $f$
BEGIN
    PERFORM pg_notify('lichuan_change', TG_TABLE_NAME);
    RETURN NULL;
END
$f$;
CREATE OR REPLACE FUNCTION lichuan_note_name() RETURNS trigger LANGUAGE plpgsql AS $f$
BEGIN
    INSERT INTO "档案姓名"("姓名") VALUES (NEW."0") ON CONFLICT DO NOTHING;
    RETURN NULL;
END
$f$;
CREATE OR REPLACE FUNCTION lichuan_gbk_weight(w integer) RETURNS bytea LANGUAGE sql IMMUTABLE AS $f$
    SELECT decode(lpad(to_hex(w), 6, '0'), 'hex')
$f$;
CREATE OR REPLACE FUNCTION lichuan_gbk(t text) RETURNS bytea LANGUAGE plpgsql IMMUTABLE STRICT AS $f$
DECLARE
    g bytea;
    k bytea := ''::bytea;
    i integer := 0;
    b integer;
    w integer;
    c text;
BEGIN
    BEGIN
        g := convert_to(t, 'GBK');
    EXCEPTION WHEN others THEN
        g := NULL;
    END;
    IF g IS NOT NULL THEN
        WHILE i < length(g) LOOP
            b := get_byte(g, i);
            IF b < 128 OR b = 128 THEN
                w := CASE WHEN b BETWEEN 65 AND 90 THEN b + 32 ELSE b END;
                i := i + 1;
            ELSE
                w := b * 256 + get_byte(g, i + 1);
                i := i + 2;
            END IF;
            k := k || lichuan_gbk_weight(w);
        END LOOP;
        RETURN k;
    END IF;
    FOREACH c IN ARRAY regexp_split_to_array(t, '') LOOP
        BEGIN
            g := convert_to(c, 'GBK');
            IF length(g) = 1 THEN
                b := get_byte(g, 0);
                w := CASE WHEN b BETWEEN 65 AND 90 THEN b + 32 ELSE b END;
            ELSE
                w := get_byte(g, 0) * 256 + get_byte(g, 1);
            END IF;
        EXCEPTION WHEN others THEN
            w := 65536 + ascii(c);
        END;
        k := k || lichuan_gbk_weight(w);
    END LOOP;
    RETURN k;
END
$f$;
)SQL";

void addServerTracking(Database& db) {
    db.execNative(QString::fromUtf8(kServerFunctions));
    for (const auto* tables : {&schema::mainTables(), &schema::statisticsTables()}) {
        for (const schema::Table& table : *tables) {
            if (!tableExists(db, table.name))
                continue;
            db.execNative(
                QStringLiteral("CREATE OR REPLACE TRIGGER \"%1_变更\" AFTER INSERT OR UPDATE OR DELETE "
                               "ON \"%1\" FOR EACH STATEMENT EXECUTE FUNCTION lichuan_note_change()")
                    .arg(table.name));
        }
    }
    if (!tableExists(db, schema::kArchive))
        return;
    db.exec(kCreateArchiveNames);
    db.exec(kFillArchiveNames);
    db.execNative(QStringLiteral("CREATE OR REPLACE TRIGGER \"档案_姓名\" AFTER INSERT OR UPDATE OF \"0\" "
                                 "ON \"档案\" FOR EACH ROW WHEN (NEW.\"0\" IS NOT NULL) "
                                 "EXECUTE FUNCTION lichuan_note_name()"));
    db.exec(kArchiveNameIndex);
}

// The statements of a trigger body that record one change of `table`; `row` is NEW.rowid or OLD.rowid.
QString recordChange(const QString& table, const QString& row) {
    const QString name = literal(table);
    if (!logsRows(table)) {
        return QStringLiteral("UPDATE [变更计数] SET [计数] = [计数] + 1 WHERE [表名] = %1;").arg(name);
    }
    // The counter of a table with a row log is the number of its latest log entry.
    return QStringLiteral("INSERT INTO [变更记录]([表名],[行号]) VALUES(%1, %2);"
                          "DELETE FROM [变更记录] WHERE [序号] <= (SELECT max([序号]) FROM [变更记录]) - %3;"
                          "UPDATE [变更计数] SET [计数] = (SELECT max([序号]) FROM [变更记录]) "
                          "WHERE [表名] = %1;")
        .arg(name, row)
        .arg(kLogLength);
}

// A change of the rowid itself leaves the old row gone and the new one there.
QString updateChange(const QString& table) {
    QString update = recordChange(table, QStringLiteral("NEW.rowid"));
    if (logsRows(table)) {
        update += QStringLiteral("INSERT INTO [变更记录]([表名],[行号]) SELECT %1, OLD.rowid "
                                 "WHERE OLD.rowid <> NEW.rowid;")
                      .arg(literal(table));
    }
    return update;
}

// The files' own bookkeeping (a server announces its changes instead): %1 the table's name, %2 the
// table, %3 what the trigger does.
std::vector<QStringList> triggerFillings(const std::function<QString(const QString&)>& body) {
    return sql::forEveryTable([&](const schema::Table& table) {
        return QStringList{table.name, quoted(table.name), body(table.name)};
    });
}
QString insertChange(const QString& table) {
    return recordChange(table, QStringLiteral("NEW.rowid"));
}
QString deleteChange(const QString& table) {
    return recordChange(table, QStringLiteral("OLD.rowid"));
}
const sql::Text kCountChanges{QStringLiteral("INSERT INTO [变更计数]([表名],[计数]) SELECT %1, 0 "
                                             "WHERE NOT EXISTS (SELECT 1 FROM [变更计数] WHERE [表名] = %1)"),
                              [] {
                                  return sql::forEveryTable([](const schema::Table& table) {
                                      return QStringList{literal(table.name)};
                                  });
                              },
                              sql::Text::Engines::FileOnly};
const sql::Text kInsertTrigger{
    QStringLiteral("CREATE TRIGGER IF NOT EXISTS [%1_变更_增] AFTER INSERT ON %2 BEGIN %3 END"),
    [] { return triggerFillings(insertChange); }, sql::Text::Engines::FileOnly};
const sql::Text kUpdateTrigger{
    QStringLiteral("CREATE TRIGGER IF NOT EXISTS [%1_变更_改] AFTER UPDATE ON %2 BEGIN %3 END"),
    [] { return triggerFillings(updateChange); }, sql::Text::Engines::FileOnly};
const sql::Text kDeleteTrigger{
    QStringLiteral("CREATE TRIGGER IF NOT EXISTS [%1_变更_删] AFTER DELETE ON %2 BEGIN %3 END"),
    [] { return triggerFillings(deleteChange); }, sql::Text::Engines::FileOnly};

void addTriggers(Database& db, const QString& table) {
    const QString target = quoted(table);
    db.exec(kCountChanges.arg(literal(table)));
    db.exec(kInsertTrigger.arg(table, target, insertChange(table)));
    db.exec(kUpdateTrigger.arg(table, target, updateChange(table)));
    db.exec(kDeleteTrigger.arg(table, target, deleteChange(table)));
}

const QString kNoteName = QStringLiteral("INSERT INTO [档案姓名]([姓名]) SELECT NEW.[0] WHERE NOT EXISTS "
                                         "(SELECT 1 FROM [档案姓名] WHERE [姓名] = NEW.[0]);");
const sql::Text kNameInsertTrigger{
    QStringLiteral("CREATE TRIGGER IF NOT EXISTS [档案_姓名_增] AFTER INSERT ON [档案] "
                   "WHEN NEW.[0] IS NOT NULL BEGIN %1 END")
        .arg(kNoteName),
    sql::Text::Engines::FileOnly};
const sql::Text kNameUpdateTrigger{
    QStringLiteral("CREATE TRIGGER IF NOT EXISTS [档案_姓名_改] AFTER UPDATE OF [0] ON "
                   "[档案] WHEN NEW.[0] IS NOT NULL BEGIN %1 END")
        .arg(kNoteName),
    sql::Text::Engines::FileOnly};

// The names of 档案 (column 0), each once: the history search matches a name part against this short list
// and then seeks the rows of the matching names. Names of rows deleted since stay; they find no row.
void addArchiveNames(Database& db) {
    db.exec(kCreateArchiveNames);
    db.exec(kFillArchiveNames);
    db.exec(kNameInsertTrigger);
    db.exec(kNameUpdateTrigger);
    db.exec(kArchiveNameIndex);
}

const sql::Text kCreateChangeCounts{
    QStringLiteral("CREATE TABLE IF NOT EXISTS [变更计数] "
                   "([表名] TEXT PRIMARY KEY, [计数] INTEGER NOT NULL DEFAULT 0)"),
    sql::Text::Engines::FileOnly};
const sql::Text kCreateChangeLog{
    QStringLiteral("CREATE TABLE IF NOT EXISTS [变更记录] "
                   "([序号] INTEGER PRIMARY KEY AUTOINCREMENT, [表名] TEXT, [行号] INTEGER)"),
    sql::Text::Engines::FileOnly};
const sql::Text kLogRange{QStringLiteral("select min([序号]), max([序号]) from [变更记录]"),
                          sql::Text::Engines::FileOnly};
const sql::Text kRowsChanged{QStringLiteral("select distinct [行号] from [变更记录] "
                                            "where [序号] > ? and [表名] = ? limit ?"),
                             sql::Text::Engines::FileOnly};

} // namespace

void addTo(Database& db) {
    if (db.engine() == Database::Engine::Server) {
        addServerTracking(db);
        return;
    }
    db.exec(kCreateChangeCounts);
    db.exec(kCreateChangeLog);
    for (const auto* tables : {&schema::mainTables(), &schema::statisticsTables()}) {
        for (const schema::Table& table : *tables) {
            if (tableExists(db, table.name))
                addTriggers(db, table.name);
        }
    }
    if (tableExists(db, schema::kArchive))
        addArchiveNames(db);
}

std::optional<std::vector<qint64>> rowsChangedSince(const Database& db, const QString& table, qint64 stamp,
                                                    int limit) {
    // A server's stamps count announcements, not entries of a row log: the copy is read anew.
    if (db.engine() == Database::Engine::Server)
        return std::nullopt;
    return readQuietly([&]() -> std::optional<std::vector<qint64>> {
        // The log must still hold every entry after `stamp`, and `stamp` must be one of its numbers.
        Statement range(db, kLogRange);
        if (!range.next() || range.isNull(0) || stamp < range.integer(0) - 1 || stamp > range.integer(1))
            return std::nullopt;
        Statement changed(db, kRowsChanged);
        changed.bind(1, stamp).bind(2, table).bind(3, qint64(limit) + 1);
        std::vector<qint64> rows;
        while (changed.next())
            rows.push_back(changed.integer(0));
        if (rows.size() > std::size_t(limit))
            return std::nullopt;
        return rows;
    });
}

} // namespace lichuan::tracking
