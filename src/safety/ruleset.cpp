#include "safety/ruleset.h"

#include "data/textrules.h"

namespace lichuan::safety {

QString baseName(const QString& name) {
    qsizetype end = name.size();
    for (const QChar mark : {QChar(u'{'), QChar(u'['), QChar(u'('), QChar(u'（')}) {
        const qsizetype at = name.indexOf(mark);
        if (at >= 0 && at < end)
            end = at;
    }
    return trimSpaces(name.left(end));
}

QString catalogName(const QString& name) {
    QString result = trimSpaces(name);
    result.replace(QLatin1Char('['), QLatin1Char('{'));
    result.replace(QLatin1Char(']'), QLatin1Char('}'));
    return result;
}

RuleSet::RuleSet(const std::vector<clinical::Rule>& rules) {
    for (const clinical::Rule& rule : rules) {
        if (!rule.inForce() || rule.herb.isEmpty())
            continue;
        clinical::Rule kept = rule;
        kept.herb = catalogName(rule.herb);
        kept.partner = catalogName(rule.partner);
        const QString herbBase = baseName(kept.herb);
        const QString partnerBase = baseName(kept.partner);
        const int index = int(rules_.size());
        noted_.push_back({herbBase != kept.herb, !kept.partner.isEmpty() && partnerBase != kept.partner});
        rules_.push_back(kept);
        byBase_[herbBase].push_back(index);
        if (!kept.partner.isEmpty() && partnerBase != herbBase)
            byBase_[partnerBase].push_back(index);
    }
}

const std::vector<int>* RuleSet::rulesNaming(const QString& base) const {
    const auto found = byBase_.constFind(base);
    return found == byBase_.cend() ? nullptr : &*found;
}

bool RuleSet::names(int index, bool partner, const QString& base, const QString& name) const {
    const clinical::Rule& rule = rules_[std::size_t(index)];
    const QString& herb = partner ? rule.partner : rule.herb;
    if (herb.isEmpty())
        return false;
    const Names& noted = noted_[std::size_t(index)];
    return (partner ? noted.partnerNoted : noted.herbNoted) ? herb == name : herb == base;
}

} // namespace lichuan::safety
