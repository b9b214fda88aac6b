#pragma once
// Bringing a database written by an earlier release up to this release's schema (schema::kVersion), the
// first time this release opens it: the change tracking (tracking.h), the clinical tables with the default
// rules (clinicalrules.h), all in one transaction. A database that cannot be written (a read-only file, one
// locked by another station for long) opens without them and is read as before.

namespace lichuan {

class Database;

// Upgrades `db` when its version is older; true when it is at this release's version now. A keyed file
// without the program's tables is left alone (false).
bool upgradeDatabase(Database& db);

} // namespace lichuan
