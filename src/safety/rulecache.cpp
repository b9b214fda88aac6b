#include "safety/rulecache.h"

#include "data/engine.h"
#include "data/schema.h"

#include <QElapsedTimer>

namespace lichuan::safety {

namespace {

// A table that could not be read is tried again after this long, not at every keystroke.
constexpr qint64 kRetryMs = 5000;

struct Cache {
    qint64 stamp = -1;
    bool read = false;
    QElapsedTimer failed; // since the last read failed
    std::shared_ptr<const RuleSet> rules = std::make_shared<RuleSet>();
};

} // namespace

std::shared_ptr<const RuleSet> currentRules(const Database& main) {
    Cache& cache = main.attachment<Cache>();
    qint64 stamp = -1;
    try {
        stamp = main.tableStamp(schema::kClinicalRules);
    } catch (const DbError&) {
        return cache.rules;
    }
    if (cache.read && cache.stamp == stamp)
        return cache.rules;
    if (cache.failed.isValid() && cache.stamp == stamp && cache.failed.elapsed() < kRetryMs)
        return cache.rules;
    bool ok = false;
    const std::vector<clinical::Rule> rows = clinical::readRules(main, &ok);
    cache.stamp = stamp;
    cache.read = ok;
    if (ok) {
        cache.rules = std::make_shared<RuleSet>(rows);
        cache.failed.invalidate();
    } else {
        cache.failed.start();
    }
    return cache.rules;
}

} // namespace lichuan::safety
