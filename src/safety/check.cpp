#include "safety/check.h"

#include "data/numbers.h"
#include "data/textrules.h"

#include <QSet>
#include <algorithm>

namespace lichuan::safety {

namespace {

using clinical::Rule;

constexpr double kYoungest = 12;
constexpr double kOldest = 55;

int toxicRank(const QString& level) {
    if (level == QStringLiteral("大毒"))
        return 3;
    if (level == QStringLiteral("有毒"))
        return 2;
    return level == QStringLiteral("小毒") ? 1 : 0;
}

// "1～3g" or "≤3g", with "药典" before it when the rule comes from the pharmacopoeia.
QString doseRange(const Rule& rule) {
    const QString max = numbers::shortest(numbers::leadingNumber(rule.maxGrams));
    const QString range =
        rule.minGrams.isEmpty()
            ? QStringLiteral("≤%1g").arg(max)
            : QStringLiteral("%1～%2g").arg(numbers::shortest(numbers::leadingNumber(rule.minGrams)), max);
    const QString from =
        rule.source.contains(QStringLiteral("药典")) ? QStringLiteral("药典") : QStringLiteral("限量");
    return QStringLiteral("（%1 %2）").arg(from, range);
}

// What the items of one sheet are for the rules: each herb with its base name and catalog form.
struct SheetHerb {
    QString base;
    QString name;
    double grams;
};

// A rule some herb of the sheet names, with what the sheet holds of it.
struct Match {
    int rule = -1;
    int first = 0;        // the first herb of the sheet that names it
    bool herb = false;    // its herb is on the sheet
    bool partner = false; // its partner is on the sheet
    double grams = 0;     // the grams of the herbs that are its herb
    bool hasGrams = false;
};

} // namespace

double ageInYears(const QString& age) {
    const QString text = trimSpaces(age);
    if (!numbers::hasLeadingNumber(text))
        return -1;
    if (!text.contains(QStringLiteral("岁")) &&
        (text.contains(QStringLiteral("月")) || text.contains(QStringLiteral("天")) ||
         text.contains(QStringLiteral("周")) || text.contains(QStringLiteral("日"))))
        return 0;
    return numbers::leadingNumber(text);
}

bool pregnancyRulesApply(const Patient& patient) {
    if (patient.pregnant)
        return true;
    if (!patient.sex.contains(QStringLiteral("女")))
        return false;
    const double years = ageInYears(patient.age);
    return years < 0 || (years >= kYoungest && years <= kOldest);
}

QString Warning::label() const {
    switch (kind) {
    case Kind::Eighteen:
        return QStringLiteral("十八反");
    case Kind::Nineteen:
        return QStringLiteral("十九畏");
    case Kind::PregnancyForbidden:
        return QStringLiteral("孕妇禁用");
    case Kind::PregnancyCaution:
        return QStringLiteral("孕妇慎用");
    case Kind::Overdose:
        return QStringLiteral("超量");
    case Kind::Toxic:
        return QStringLiteral("有毒");
    }
    return {};
}

namespace {

// The part of a warning after its label: 川乌—半夏, 细辛 10g（药典 1～3g）, 川乌（大毒）.
QString body(const Warning& warning) {
    switch (warning.kind) {
    case Kind::Eighteen:
    case Kind::Nineteen:
        return warning.herbs.join(QStringLiteral("—"));
    case Kind::Overdose:
        return warning.herbs.join(QStringLiteral("、")) + QLatin1Char(' ') + warning.figure;
    case Kind::Toxic:
        return warning.herbs.join(QStringLiteral("、")) + QStringLiteral("（%1）").arg(warning.figure);
    case Kind::PregnancyForbidden:
    case Kind::PregnancyCaution:
        break;
    }
    return warning.herbs.join(QStringLiteral("、"));
}

} // namespace

QString Warning::text() const {
    return label() + QStringLiteral("：") + body(*this);
}

std::vector<Warning> check(const std::vector<Item>& items, const Patient& patient, const RuleSet& rules) {
    std::vector<Warning> warnings;
    if (rules.empty() || items.empty())
        return warnings;
    std::vector<SheetHerb> herbs;
    herbs.reserve(items.size());
    for (const Item& item : items) {
        const QString name = catalogName(item.name);
        herbs.push_back({baseName(name), name, item.grams});
    }

    // The rules the herbs name, each once, in the order the sheet first names them.
    std::vector<Match> matches;
    QHash<int, int> matchOf;
    for (std::size_t h = 0; h < herbs.size(); ++h) {
        const SheetHerb& herb = herbs[h];
        const std::vector<int>* named = rules.rulesNaming(herb.base);
        if (!named)
            continue;
        for (const int r : *named) {
            const bool isHerb = rules.names(r, false, herb.base, herb.name);
            const bool isPartner = rules.names(r, true, herb.base, herb.name);
            if (!isHerb && !isPartner)
                continue;
            int at = matchOf.value(r, -1);
            if (at < 0) {
                at = int(matches.size());
                matchOf.insert(r, at);
                matches.push_back({r, int(h)});
            }
            Match& match = matches[std::size_t(at)];
            match.herb = match.herb || isHerb;
            match.partner = match.partner || isPartner;
            if (isHerb && herb.grams >= 0) {
                match.grams += herb.grams;
                match.hasGrams = true;
            }
        }
    }

    // Per herb of a rule: its strongest toxicity, its pregnancy level, its smallest largest dose.
    const bool pregnancy = pregnancyRulesApply(patient);
    QHash<QString, int> toxicity;
    QHash<QString, const Match*> strictestDose;
    for (const Match& match : matches) {
        const Rule& rule = rules.rules()[std::size_t(match.rule)];
        if (rule.kind == clinical::kToxic && match.herb)
            toxicity[rule.herb] = std::max(toxicity.value(rule.herb), toxicRank(rule.level));
        if (rule.kind == clinical::kDose && match.herb) {
            const Match*& best = strictestDose[rule.herb];
            if (!best || numbers::leadingNumber(rule.maxGrams) <
                             numbers::leadingNumber(rules.rules()[std::size_t(best->rule)].maxGrams))
                best = &match;
        }
    }

    struct Ordered {
        Warning warning;
        int first;
    };
    std::vector<Ordered> found;
    QSet<QString> said; // warnings already made, by their text
    auto add = [&](Warning warning, int first) {
        if (said.contains(warning.text()))
            return;
        said.insert(warning.text());
        found.push_back({std::move(warning), first});
    };
    for (const Match& match : matches) {
        const Rule& rule = rules.rules()[std::size_t(match.rule)];
        if (clinical::isPairKind(rule.kind)) {
            if (match.herb && match.partner)
                add({rule.kind == clinical::kEighteen ? Kind::Eighteen : Kind::Nineteen,
                     {rule.herb, rule.partner},
                     QString(),
                     true},
                    match.first);
        } else if (rule.kind == clinical::kPregnancy && pregnancy && match.herb) {
            const bool forbidden = rule.level == QStringLiteral("禁用");
            // A herb forbidden in pregnancy is not also said to need caution.
            if (!forbidden && said.contains(QStringLiteral("孕妇禁用：") + rule.herb))
                continue;
            add({forbidden ? Kind::PregnancyForbidden : Kind::PregnancyCaution,
                 {rule.herb},
                 QString(),
                 forbidden && patient.pregnant},
                match.first);
        } else if (rule.kind == clinical::kToxic && match.herb) {
            if (toxicRank(rule.level) == toxicity.value(rule.herb))
                add({Kind::Toxic, {rule.herb}, rule.level, false}, match.first);
        } else if (rule.kind == clinical::kDose && match.herb && match.hasGrams &&
                   strictestDose.value(rule.herb) == &match &&
                   match.grams > numbers::leadingNumber(rule.maxGrams)) {
            const QString figure = numbers::shortest(match.grams) + QLatin1Char('g') + doseRange(rule);
            add({Kind::Overdose, {rule.herb}, figure, toxicity.value(rule.herb) >= 2}, match.first);
        }
    }
    // 孕妇禁用 found after a 孕妇慎用 of the same herb (two rules) removes the caution.
    found.erase(std::remove_if(found.begin(), found.end(),
                               [&](const Ordered& o) {
                                   return o.warning.kind == Kind::PregnancyCaution &&
                                          said.contains(QStringLiteral("孕妇禁用：") +
                                                        o.warning.herbs.value(0));
                               }),
                found.end());
    std::stable_sort(found.begin(), found.end(), [](const Ordered& a, const Ordered& b) {
        if (a.warning.hard != b.warning.hard)
            return a.warning.hard;
        if (a.warning.kind != b.warning.kind)
            return a.warning.kind < b.warning.kind;
        return a.first < b.first;
    });
    warnings.reserve(found.size());
    for (Ordered& o : found)
        warnings.push_back(std::move(o.warning));
    return warnings;
}

QString hardWarningsText(const std::vector<Warning>& warnings) {
    QStringList lines;
    for (const Warning& warning : warnings) {
        if (warning.hard)
            lines << warning.text();
    }
    return lines.join(kCrLf);
}

bool confirmationCovers(const QString& confirmed, const std::vector<Warning>& warnings) {
    QStringList now = hardWarningsText(warnings).split(kCrLf, Qt::SkipEmptyParts);
    if (now.isEmpty())
        return true;
    QStringList then = confirmed.split(kCrLf, Qt::SkipEmptyParts);
    now.sort();
    then.sort();
    return now == then;
}

QStringList stripEntries(const std::vector<Warning>& warnings) {
    QStringList entries;
    for (std::size_t i = 0; i < warnings.size();) {
        const Warning& first = warnings[i];
        QStringList bodies;
        std::size_t j = i;
        for (; j < warnings.size() && warnings[j].kind == first.kind && warnings[j].hard == first.hard; ++j)
            bodies << body(warnings[j]);
        entries << first.label() + QStringLiteral("：") + bodies.join(QStringLiteral("、"));
        i = j;
    }
    return entries;
}

} // namespace lichuan::safety
