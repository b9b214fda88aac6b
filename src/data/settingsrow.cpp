#include "data/settingsrow.h"

#include "data/audit.h"
#include "data/engine.h"
#include "data/quietread.h"
#include "data/schema.h"
#include "data/sqltexts.h"

namespace lichuan {

namespace {

// The settings table has no key of its own: its first row is the one with the lowest rowid.
const QString kFirstRowId = QStringLiteral("(select min(rowid) from [设置])");

const schema::Table& settingsTable() {
    return *schema::findTable(schema::kSettings);
}

const sql::Text kReadRow{QStringLiteral("select * from [设置] order by rowid limit 1")};
// %1: "[column] = ?" for each column written.
const sql::Text kUpdateRow{QStringLiteral("update [设置] set %1 where rowid = ") + kFirstRowId, [] {
                               return std::vector<QStringList>{{sql::columnsOf(
                                   settingsTable(), QStringLiteral(", "), QStringLiteral(" = ?"))}};
                           }};
// %1 the columns written, %2 a mark for each.
const sql::Text kInsertRow{QStringLiteral("insert into [设置](%1) values(%2)"), [] {
                               return std::vector<QStringList>{
                                   {sql::columnsOf(settingsTable(), QStringLiteral(", ")),
                                    sql::marks(int(settingsTable().columns.size()))}};
                           }};

} // namespace

std::optional<SettingsRow> readSettingsRow(const Database& main) {
    return readQuietly([&]() -> std::optional<SettingsRow> {
        Statement select(main, kReadRow);
        if (!select.next())
            return std::nullopt;
        SettingsRow row;
        for (int column = 0; column < select.columnCount(); ++column) {
            // The server's tables show their row number as a column; it is no setting.
            if (select.columnName(column) == QLatin1String("rowid"))
                continue;
            // A null column reads as empty text, never as a null QString that callers would have to test.
            QString value = select.text(column);
            if (value.isNull())
                value = QLatin1String("");
            row.insert(select.columnName(column), value);
        }
        return row;
    });
}

bool writeSettingsRow(Database& main, const SettingsRow& values, QStringList* refused) {
    QStringList columns;
    QStringList written;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        // Only columns of the table are named in SQL text, and only values that fit them are stored.
        if (schema::columnWidth(schema::kSettings, it.key()) < 0 ||
            !schema::fits(schema::kSettings, it.key(), it.value())) {
            if (refused)
                *refused << it.key();
            continue;
        }
        columns << it.key();
        written << it.value();
    }
    if (columns.isEmpty())
        return true;
    try {
        Transaction transaction(main);
        // A new login password is noted in the log, never the password itself.
        if (const qsizetype at = columns.indexOf(QStringLiteral("密码")); at >= 0) {
            const std::optional<SettingsRow> before = readSettingsRow(main);
            if (!before || before->value(QStringLiteral("密码")) != written.at(at))
                audit::write(main, audit::kPasswordChanged, QString(), QString(),
                             QStringLiteral("登录密码已修改"));
        }
        QStringList assignments;
        for (const QString& column : columns)
            assignments << quoted(column) + QStringLiteral(" = ?");
        Statement update(main, kUpdateRow.arg(assignments.join(QStringLiteral(", "))));
        for (int i = 0; i < written.size(); ++i)
            update.bind(i + 1, written.at(i));
        if (update.run() == 0) {
            // A table that lost its row gets one again rather than silently dropping the save.
            QStringList names;
            for (const QString& column : columns)
                names << quoted(column);
            Statement insert(
                main, kInsertRow.arg(names.join(QStringLiteral(", ")), sql::marks(int(columns.size()))));
            for (int i = 0; i < written.size(); ++i)
                insert.bind(i + 1, written.at(i));
            insert.run();
        }
        transaction.commit();
        return true;
    } catch (const DbError&) {
        return false;
    }
}

} // namespace lichuan
