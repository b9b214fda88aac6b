#include "data/upgrade.h"

#include "data/clinicalrules.h"
#include "data/engine.h"
#include "data/schema.h"
#include "data/tracking.h"

namespace lichuan {

bool upgradeDatabase(Database& db) {
    try {
        if (db.userVersion() >= schema::kVersion)
            return true;
        const bool main = db.hasTable(schema::kArchive);
        if (!main && !db.hasTable(schema::kStatistics))
            return false;
        Transaction transaction(db);
        // Another station may have done it meanwhile (a server's write transaction waits for the others').
        if (db.userVersion() >= schema::kVersion)
            return true;
        // The columns this release added to tables of an earlier one (the settings row's
        // 结算后打印取药单), then the tables it added.
        schema::addMissingColumns(db);
        if (main) {
            schema::addLaterTables(db);
            clinical::mergeDefaultRules(db);
        }
        // After the new tables, so that their changes are counted too.
        tracking::addTo(db);
        db.setUserVersion(schema::kVersion);
        transaction.commit();
        return true;
    } catch (const DbError&) {
        return false;
    }
}

} // namespace lichuan
