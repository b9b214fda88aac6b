#include "data/clinicalnotes.h"

#include "data/engine.h"
#include "data/gbk.h"
#include "data/schema.h"
#include "data/sqltexts.h"

namespace lichuan::clinical {

namespace {

const QString kKeyEquals = QStringLiteral("[序号] = ? collate nocase");
const sql::Text kInsertNote{
    QStringLiteral("insert into [用药确认]([序号],[妊娠],[理由],[警示],[时间],[站点]) "
                   "values(?,?,?,?,?,?)")};
const sql::Text kSelectNote{
    QStringLiteral("select [妊娠],[理由],[警示],[时间],[站点] from [用药确认] where ") + kKeyEquals +
    QStringLiteral(" order by rowid limit 1")};
const sql::Text kDeleteNote{QStringLiteral("delete from [用药确认] where ") + kKeyEquals};

bool hasTable(const Database& main) {
    return main.hasTable(schema::kClinicalConfirmations);
}

// A value cut to its column's width, so that a note never makes the prescription's save fail.
QString fitted(const QString& column, const QString& value) {
    if (schema::fits(schema::kClinicalConfirmations, column, value))
        return value;
    return gbk::leftChars(value, schema::columnWidth(schema::kClinicalConfirmations, column));
}

} // namespace

void writeNote(Database& main, const QString& key, const ClinicalNote& note) {
    if (!hasTable(main))
        return;
    deleteNote(main, key);
    if (note.isEmpty())
        return;
    Statement insert(main, kInsertNote);
    insert.bind(1, key)
        .bind(2, note.pregnant ? QStringLiteral("1") : QString(QLatin1String("")))
        .bind(3, fitted(QStringLiteral("理由"), note.reason))
        .bind(4, note.warnings)
        .bind(5, note.time)
        .bind(6, fitted(QStringLiteral("站点"), note.station));
    insert.run();
}

ClinicalNote readNote(const Database& main, const QString& key) {
    ClinicalNote note;
    if (!hasTable(main))
        return note;
    Statement select(main, kSelectNote);
    select.bind(1, key);
    if (select.next()) {
        note.pregnant = select.text(0) == QLatin1String("1");
        note.reason = select.text(1);
        note.warnings = select.text(2);
        note.time = select.text(3);
        note.station = select.text(4);
    }
    return note;
}

void deleteNote(Database& main, const QString& key) {
    if (!hasTable(main))
        return;
    Statement remove(main, kDeleteNote);
    remove.bind(1, key);
    remove.run();
}

} // namespace lichuan::clinical
