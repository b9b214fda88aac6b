#include "data/settingsrow.h"

#include "data/engine.h"
#include "data/quietread.h"
#include "data/schema.h"

namespace lichuan {

namespace {

// The settings table has no key of its own: its first row is the one with the lowest rowid.
const QString kFirstRowId = QStringLiteral("(select min(rowid) from [设置])");

} // namespace

std::optional<SettingsRow> readSettingsRow(const Database& main) {
    return readQuietly([&]() -> std::optional<SettingsRow> {
        Statement select(main, QStringLiteral("select * from [设置] order by rowid limit 1"));
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
        QStringList assignments;
        for (const QString& column : columns)
            assignments << quoted(column) + QStringLiteral(" = ?");
        Statement update(main, QStringLiteral("update [设置] set %1 where rowid = %2")
                                   .arg(assignments.join(QStringLiteral(", ")), kFirstRowId));
        for (int i = 0; i < written.size(); ++i)
            update.bind(i + 1, written.at(i));
        if (update.run() == 0) {
            // A table that lost its row gets one again rather than silently dropping the save.
            QStringList names;
            QStringList marks;
            for (const QString& column : columns) {
                names << quoted(column);
                marks << QStringLiteral("?");
            }
            Statement insert(main,
                             QStringLiteral("insert into [设置](%1) values(%2)")
                                 .arg(names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
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
