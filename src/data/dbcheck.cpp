#include "data/dbcheck.h"

#include "data/engine.h"
#include "data/schema.h"
#include "data/settingsrow.h"
#include "data/sqltexts.h"
#include "data/transfer.h"

#include <QSet>

namespace lichuan {

namespace {

const sql::Text kCountPrescriptions{QStringLiteral("select count(*), max([5]) from [档案]")};
const sql::Text kCountPatients{QStringLiteral("select count(*) from [患者信息]")};
const sql::Text kIntegrityCheck{QStringLiteral("PRAGMA integrity_check"), sql::Text::Engines::FileOnly};

QSet<QString> tableNames(const Database& db) {
    const QStringList names = db.tableNames();
    return QSet<QString>(names.begin(), names.end());
}

QString missingTable(const Database& db, const std::vector<schema::Table>& tables) {
    const QSet<QString> present = tableNames(db);
    for (const schema::Table& table : tables) {
        // A later table is added when the file is opened to work with; a file without it is used as before.
        if (!present.contains(table.name) && !table.addedLater)
            return QStringLiteral("缺少表“%1”").arg(table.name);
    }
    return {};
}

} // namespace

QString mainDatabaseProblem(const Database& db) {
    try {
        const QString missing = missingTable(db, schema::mainTables());
        if (!missing.isEmpty())
            return missing;
    } catch (const DbError& e) {
        return e.message();
    }
    if (!readSettingsRow(db))
        return QStringLiteral("表“%1”中没有设置行").arg(schema::kSettings);
    return {};
}

QString statisticsDatabaseProblem(const Database& db) {
    try {
        return missingTable(db, schema::statisticsTables());
    } catch (const DbError& e) {
        return e.message();
    }
}

DatabaseSummary summarize(const Database& db) {
    DatabaseSummary summary;
    Statement prescriptions(db, kCountPrescriptions);
    if (prescriptions.next()) {
        summary.prescriptions = prescriptions.integer(0);
        summary.newestDate = prescriptions.text(1);
    }
    Statement patients(db, kCountPatients);
    if (patients.next())
        summary.patients = patients.integer(0);
    return summary;
}

bool integrityOk(const Database& db, QString* detail) {
    // The server keeps its own storage whole; there is no file to check.
    if (db.engine() == Database::Engine::Server)
        return true;
    QString answer;
    try {
        Statement check(db, kIntegrityCheck);
        if (check.next())
            answer = check.text(0);
    } catch (const DbError& e) {
        answer = e.message();
    }
    if (answer == QLatin1String("ok"))
        return true;
    if (detail)
        *detail = answer.isEmpty() ? QStringLiteral("no answer") : answer;
    return false;
}

std::map<QString, qint64> rowCounts(const Database& db) {
    std::map<QString, qint64> counts;
    for (const QString& table : tableNames(db)) {
        if (table.startsWith(QLatin1String("sqlite_")))
            continue;
        counts[table] = transfer::countRows(db, table);
    }
    return counts;
}

std::map<QString, qint64> rowCounts(const Database& db, const std::vector<schema::Table>& tables) {
    std::map<QString, qint64> counts;
    for (const schema::Table& table : tables) {
        if (!db.hasTable(table.name)) {
            if (table.addedLater)
                continue;
            throw DbError(QStringLiteral("缺少表“%1”").arg(table.name));
        }
        counts[table.name] = transfer::countRows(db, table.name);
    }
    return counts;
}

} // namespace lichuan
