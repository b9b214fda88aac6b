#include "data/serverdatabase.h"

#include "data/dbcheck.h"
#include "data/defaults.h"
#include "data/engine.h"
#include "data/schema.h"
#include "data/upgrade.h"

namespace lichuan {

QString prepareServerDatabase(Database& db, const QDateTime& now) {
    if (db.engine() != Database::Engine::Server)
        return QStringLiteral("不是数据库服务器");
    try {
        // A write transaction waits for every other station's (engine_server.cpp), so the test below and
        // the writing are one step for the whole clinic.
        Transaction transaction(db);
        if (!db.hasTable(schema::kArchive) && !db.hasTable(schema::kStatistics)) {
            schema::createMain(db);
            defaults::fillMain(db, now);
            schema::createStatistics(db);
        }
        transaction.commit();
        // A database written by an earlier release gets what this one added (once, for the whole clinic).
        if (db.userVersion() < schema::kVersion)
            upgradeDatabase(db);
    } catch (const DbError& e) {
        return e.message();
    }
    const QString main = mainDatabaseProblem(db);
    return main.isEmpty() ? statisticsDatabaseProblem(db) : main;
}

} // namespace lichuan
