#include "data/readahead.h"

#include "data/catalogcopy.h"
#include "data/engine.h"
#include "data/lookups.h"
#include "data/prescriptions.h"
#include "data/schema.h"
#include "data/smallcopies.h"

#include <functional>
#include <vector>

namespace lichuan {

namespace {

using Part = std::function<bool(const Database&, const QDeadlineTimer&)>;

Part category(const QString& name) {
    return [name](const Database& main, const QDeadlineTimer& deadline) {
        return catalogcopy::readCategoryAhead(main, name, deadline);
    };
}

// The word lists and templates are short: each is read in one go.
Part wordList(const QString& table) {
    return [table](const Database& main, const QDeadlineTimer&) {
        try {
            smallcopies::wordList(main, table);
        } catch (const DbError&) {
            // The first lookup reads it itself.
        }
        return true;
    };
}

Part templates(const QString& kind) {
    return [kind](const Database& main, const QDeadlineTimer&) {
        try {
            smallcopies::templatesOfKind(main, kind);
        } catch (const DbError&) {
        }
        return true;
    };
}

const std::vector<Part>& parts() {
    static const std::vector<Part> all{
        readPatientsAhead,
        category(QStringLiteral("中药")),
        readArchiveNamesAhead,
        wordList(schema::kDiagnosis),
        wordList(schema::kAddress),
        category(QStringLiteral("西成药")),
        category(QStringLiteral("收费项目")),
        category(QStringLiteral("用法")),
        templates(QStringLiteral("中药方剂")),
        templates(QStringLiteral("西成药组套")),
        templates(QStringLiteral("病历模板")),
    };
    return all;
}

} // namespace

bool ReadAhead::step(const QDeadlineTimer& deadline) {
    const std::vector<Part>& all = parts();
    while (next_ < all.size()) {
        if (!all[next_](main_, deadline))
            return false;
        ++next_;
        if (deadline.hasExpired())
            break;
    }
    return done();
}

bool ReadAhead::done() const {
    return next_ >= parts().size();
}

} // namespace lichuan
