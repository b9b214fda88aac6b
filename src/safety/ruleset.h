#pragma once
// The rules in force, indexed by the herb names they name, so that a sheet of thirty herbs is checked
// within a few microseconds. Names are matched by the catalog name without its note (石膏{先煎} and the
// sheet's 石膏[先煎] are 石膏); a rule whose herb carries a note (附子{生}) matches only that name.

#include "data/clinicalrules.h"

#include <QHash>
#include <QString>
#include <vector>

namespace lichuan::safety {

// The name without its note: the text before the first "{", "[", "(" or "（", without surrounding spaces.
QString baseName(const QString& name);
// The name with the sheet's "[" "]" written as the catalog's "{" "}", without surrounding spaces.
QString catalogName(const QString& name);

class RuleSet {
public:
    RuleSet() = default;
    // The rules in force of `rules` (switched off and deleted ones are left out).
    explicit RuleSet(const std::vector<clinical::Rule>& rules);

    const std::vector<clinical::Rule>& rules() const { return rules_; }
    bool empty() const { return rules_.empty(); }

    // The rules (indexes into rules()) whose herb or partner has the base name `base`.
    const std::vector<int>* rulesNaming(const QString& base) const;

    // Whether a herb of the sheet (its base name and its whole name in catalog form) is the herb (or, with
    // `partner`, the partner) of rule `index`.
    bool names(int index, bool partner, const QString& base, const QString& name) const;

private:
    struct Names {
        bool herbNoted = false;
        bool partnerNoted = false;
    };
    std::vector<clinical::Rule> rules_;
    std::vector<Names> noted_;
    QHash<QString, std::vector<int>> byBase_;
};

} // namespace lichuan::safety
