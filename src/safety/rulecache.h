#pragma once
// The rules in force of a main database as the checks use them, kept with the connection and read again
// only when 用药规则 changed (its change stamp moved: a change made here, at another station or by a later
// start), so that a keystroke on the sheet never reads the table.

#include "safety/ruleset.h"

#include <memory>

namespace lichuan {
class Database;
}

namespace lichuan::safety {

// The current rules of `main`; an empty set when the database has no rules table (an older file that
// could not be upgraded) or it cannot be read.
std::shared_ptr<const RuleSet> currentRules(const Database& main);

} // namespace lichuan::safety
