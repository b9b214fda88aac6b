#include "data/clinicalrules.h"

#include "data/engine.h"
#include "data/numbers.h"
#include "data/quietread.h"
#include "data/record.h"
#include "data/schema.h"
#include "data/sqltexts.h"
#include "data/textrules.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <optional>
#include <utility>

namespace lichuan::clinical {

namespace {

const QString kColumns =
    QStringLiteral("[序号],[类别],[药物],[药物2],[等级],[最小量],[最大量],[说明],[来源],[状态],[修改]");
const QStringList kColumnNames{QStringLiteral("序号"),   QStringLiteral("类别"), QStringLiteral("药物"),
                               QStringLiteral("药物2"),  QStringLiteral("等级"), QStringLiteral("最小量"),
                               QStringLiteral("最大量"), QStringLiteral("说明"), QStringLiteral("来源"),
                               QStringLiteral("状态"),   QStringLiteral("修改")};
const QString kKeyEquals = QStringLiteral("[序号] = ? collate nocase");

const sql::Text kSelectRule{
    QStringLiteral("select %1 from [用药规则] where %2 order by rowid limit 1").arg(kColumns, kKeyEquals)};
const sql::Text kInsertRule{
    QStringLiteral("insert into [用药规则](%1) values(?,?,?,?,?,?,?,?,?,?,?)").arg(kColumns)};
const sql::Text kUpdateRule{QStringLiteral("update [用药规则] set %1 where %2")
                                .arg(
                                    [] {
                                        QStringList assignments;
                                        for (qsizetype i = 1; i < kColumnNames.size(); ++i)
                                            assignments
                                                << quoted(kColumnNames.at(i)) + QStringLiteral(" = ?");
                                        return assignments.join(QLatin1Char(','));
                                    }(),
                                    kKeyEquals)};
const sql::Text kRuleKeyTaken{QStringLiteral("select 1 from [用药规则] where ") + kKeyEquals};
const sql::Text kAllRulesInOrder{QStringLiteral("select %1 from [用药规则] order by rowid").arg(kColumns)};
const sql::Text kAllRules{QStringLiteral("select %1 from [用药规则]").arg(kColumns)};
const sql::Text kDeleteRule{QStringLiteral("delete from [用药规则] where ") + kKeyEquals};

QStringList values(const Rule& rule) {
    return {rule.key,
            rule.kind,
            rule.herb,
            rule.partner,
            rule.level,
            rule.minGrams,
            rule.maxGrams,
            rule.note,
            rule.source,
            rule.state,
            rule.changed ? QStringLiteral("1") : QString(QLatin1String(""))};
}

Rule ruleFrom(const Statement& select) {
    Rule rule;
    rule.key = select.text(0);
    rule.kind = select.text(1);
    rule.herb = select.text(2);
    rule.partner = select.text(3);
    rule.level = select.text(4);
    rule.minGrams = select.text(5);
    rule.maxGrams = select.text(6);
    rule.note = select.text(7);
    rule.source = select.text(8);
    rule.state = select.text(9);
    rule.changed = select.text(10) == QLatin1String("1");
    return rule;
}

// The rows of one reference table (UTF-8, tab-separated, a header row).
QList<QStringList> readTable(const QString& name) {
    QFile file(QStringLiteral(":/clinical/") + name);
    QList<QStringList> rows;
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.isEmpty())
            rows << line.split(QLatin1Char('\t'));
    }
    return rows;
}

QString field(const QStringList& row, int i) {
    return i < row.size() ? trimSpaces(row.at(i)) : QString();
}

std::vector<Rule> loadDefaults() {
    std::vector<Rule> rules;
    auto add = [&](Rule rule) {
        rule.key = defaultKey(rule.kind, rule.herb, rule.partner);
        rules.push_back(std::move(rule));
    };
    for (const QStringList& row : readTable(QStringLiteral("incompatible.tsv"))) {
        Rule rule;
        rule.herb = field(row, 0);
        rule.partner = field(row, 1);
        rule.kind = field(row, 2);
        rule.source = field(row, 3);
        add(rule);
    }
    // The two tables of one herb and its level.
    for (const auto& [file, kind] : {std::pair{QStringLiteral("pregnancy.tsv"), kPregnancy},
                                     std::pair{QStringLiteral("toxic.tsv"), kToxic}}) {
        for (const QStringList& row : readTable(file)) {
            Rule rule;
            rule.kind = kind;
            rule.herb = field(row, 0);
            rule.level = field(row, 1);
            rule.source = field(row, 2);
            add(rule);
        }
    }
    for (const QStringList& row : readTable(QStringLiteral("dose.tsv"))) {
        Rule rule;
        rule.kind = kDose;
        rule.herb = field(row, 0);
        rule.minGrams = field(row, 1);
        rule.maxGrams = field(row, 2);
        rule.note = field(row, 3);
        rule.source = field(row, 4);
        add(rule);
    }
    return rules;
}

const Rule* shippedRule(const QString& key) {
    static const QHash<QString, int> index = [] {
        QHash<QString, int> keys;
        const std::vector<Rule>& rules = defaultRules();
        for (std::size_t i = 0; i < rules.size(); ++i)
            keys.insert(rules[i].key.toCaseFolded(), int(i));
        return keys;
    }();
    const auto found = index.constFind(key.toCaseFolded());
    return found == index.cend() ? nullptr : &defaultRules()[std::size_t(*found)];
}

// A default rule counts as changed while it differs from what this release ships, or is not in force.
bool differsFromShipped(const Rule& rule) {
    const Rule* shipped = shippedRule(rule.key);
    return !shipped || !rule.sameContent(*shipped) || !rule.inForce();
}

std::optional<Rule> findRule(const Database& main, const QString& key) {
    Statement select(main, kSelectRule);
    select.bind(1, key);
    if (!select.next())
        return std::nullopt;
    return ruleFrom(select);
}

void insertRule(Database& main, const Rule& rule) {
    Statement insert(main, kInsertRule);
    const QStringList v = values(rule);
    for (int i = 0; i < v.size(); ++i)
        insert.bind(i + 1, v.at(i));
    insert.run();
}

void updateRule(Database& main, const QString& key, const Rule& rule) {
    Statement update(main, kUpdateRule);
    const QStringList v = values(rule);
    for (int i = 1; i < v.size(); ++i)
        update.bind(i, v.at(i));
    update.bind(int(v.size()), key);
    update.run();
}

bool keyTaken(const Database& main, const QString& key) {
    Statement find(main, kRuleKeyTaken);
    find.bind(1, key);
    return find.next();
}

// A key of the clinic's own form: the time, the station, and a number when the second is taken.
QString newKey(const Database& main, const QDateTime& now, const QString& suffix) {
    const QString base = timestamp14(now) + suffix;
    QString key = base;
    for (int n = 2; keyTaken(main, key); ++n)
        key = base + QLatin1Char('-') + QString::number(n);
    return key;
}

// The first column of the rule that is too wide for it, or empty.
QString tooWide(const Rule& rule) {
    const QStringList v = values(rule);
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (!schema::fits(schema::kClinicalRules, kColumnNames.at(i), v.at(i)))
            return kColumnNames.at(i);
    }
    return {};
}

bool isGrams(const QString& text) {
    return numbers::hasLeadingNumber(text) &&
           numbers::shortest(numbers::leadingNumber(text)) == trimSpaces(text);
}

} // namespace

const QStringList& kinds() {
    static const QStringList list{kEighteen, kNineteen, kPregnancy, kToxic, kDose};
    return list;
}

bool isPairKind(const QString& kind) {
    return kind == kEighteen || kind == kNineteen;
}

bool Rule::sameContent(const Rule& o) const {
    return kind == o.kind && herb == o.herb && partner == o.partner && level == o.level &&
           minGrams == o.minGrams && maxGrams == o.maxGrams && note == o.note && source == o.source;
}

QString defaultKey(const QString& kind, const QString& herb, const QString& partner) {
    QString key = kDefaultKeyPrefix + kind + QLatin1Char(':') + herb;
    if (!partner.isEmpty())
        key += QLatin1Char(':') + partner;
    return key;
}

const std::vector<Rule>& defaultRules() {
    static const std::vector<Rule> rules = loadDefaults();
    return rules;
}

QString ruleProblem(const Rule& rule) {
    if (!kinds().contains(rule.kind))
        return QStringLiteral("类别应为十八反、十九畏、妊娠、毒性或剂量");
    if (rule.herb.isEmpty())
        return QStringLiteral("没有药物名称");
    if (isPairKind(rule.kind)) {
        if (rule.partner.isEmpty())
            return QStringLiteral("%1需要两味药").arg(rule.kind);
        if (rule.partner == rule.herb)
            return QStringLiteral("两味药相同");
    } else if (!rule.partner.isEmpty()) {
        return QStringLiteral("%1只有一味药").arg(rule.kind);
    }
    if (rule.kind == kPregnancy && rule.level != QStringLiteral("禁用") &&
        rule.level != QStringLiteral("慎用"))
        return QStringLiteral("妊娠的等级应为禁用或慎用");
    if (rule.kind == kToxic && rule.level != QStringLiteral("大毒") && rule.level != QStringLiteral("有毒") &&
        rule.level != QStringLiteral("小毒"))
        return QStringLiteral("毒性的等级应为大毒、有毒或小毒");
    if (rule.kind == kDose) {
        if (!isGrams(rule.maxGrams) || numbers::leadingNumber(rule.maxGrams) <= 0)
            return QStringLiteral("最大量应为大于0的克数");
        if (!rule.minGrams.isEmpty() &&
            (!isGrams(rule.minGrams) ||
             numbers::leadingNumber(rule.minGrams) > numbers::leadingNumber(rule.maxGrams)))
            return QStringLiteral("最小量应为不大于最大量的克数");
    } else if (!rule.minGrams.isEmpty() || !rule.maxGrams.isEmpty()) {
        return QStringLiteral("只有剂量规则有最小量和最大量");
    }
    if (rule.state != kInForce && rule.state != kSwitchedOff)
        return QStringLiteral("状态应为空或停用");
    return {};
}

std::vector<Rule> readRules(const Database& main, bool* ok) {
    if (ok)
        *ok = false;
    return readQuietly([&] {
        std::vector<Rule> rules;
        if (!main.hasTable(schema::kClinicalRules))
            return rules;
        Statement select(main, kAllRulesInOrder);
        while (select.next())
            rules.push_back(ruleFrom(select));
        if (ok)
            *ok = true;
        return rules;
    });
}

void mergeDefaultRules(Database& main) {
    QHash<QString, Rule> stored;
    {
        Statement select(main, kAllRules);
        while (select.next()) {
            Rule rule = ruleFrom(select);
            if (rule.isDefault())
                stored.insert(rule.key.toCaseFolded(), rule);
        }
    }
    QSet<QString> shipped;
    for (const Rule& rule : defaultRules()) {
        const QString folded = rule.key.toCaseFolded();
        shipped.insert(folded);
        const auto found = stored.constFind(folded);
        if (found == stored.cend())
            insertRule(main, rule);
        else if (!found->changed && (!found->sameContent(rule) || !found->inForce()))
            updateRule(main, found->key, rule);
    }
    for (const Rule& rule : std::as_const(stored)) {
        if (rule.changed || shipped.contains(rule.key.toCaseFolded()))
            continue;
        Statement remove(main, kDeleteRule);
        remove.bind(1, rule.key);
        remove.run();
    }
}

RuleWrite saveRule(Database& main, const Rule& typed, const QDateTime& now, const QString& suffix) {
    RuleWrite result;
    Rule rule = typed;
    rule.herb = trimSpaces(rule.herb);
    rule.partner = trimSpaces(rule.partner);
    if (const QString problem = ruleProblem(rule); !problem.isEmpty()) {
        result.error = problem;
        return result;
    }
    try {
        Transaction transaction(main);
        const std::optional<Rule> existing = rule.key.isEmpty() ? std::nullopt : findRule(main, rule.key);
        if (!existing)
            rule.key = newKey(main, now, suffix);
        rule.changed = rule.isDefault() && differsFromShipped(rule);
        if (const QString column = tooWide(rule); !column.isEmpty()) {
            result.error = QStringLiteral("“%1”太长，没有保存").arg(column);
            return result;
        }
        if (existing)
            updateRule(main, existing->key, rule);
        else
            insertRule(main, rule);
        transaction.commit();
        result.ok = true;
        result.key = rule.key;
    } catch (const DbError& e) {
        result.error = e.message();
    }
    return result;
}

bool switchRule(Database& main, const QString& key, bool off) {
    try {
        Transaction transaction(main);
        std::optional<Rule> rule = findRule(main, key);
        if (!rule || rule->state == kDeleted)
            return false;
        rule->state = off ? kSwitchedOff : kInForce;
        rule->changed = rule->isDefault() && differsFromShipped(*rule);
        updateRule(main, rule->key, *rule);
        transaction.commit();
        return true;
    } catch (const DbError&) {
        return false;
    }
}

bool deleteRule(Database& main, const QString& key) {
    try {
        Transaction transaction(main);
        std::optional<Rule> rule = findRule(main, key);
        if (!rule)
            return false;
        if (rule->isDefault()) {
            rule->state = kDeleted;
            rule->changed = true;
            updateRule(main, rule->key, *rule);
        } else {
            Statement remove(main, kDeleteRule);
            remove.bind(1, key);
            remove.run();
        }
        transaction.commit();
        return true;
    } catch (const DbError&) {
        return false;
    }
}

RuleImport importRules(Database& main, const std::vector<Rule>& rows, const std::vector<int>& rowNumbers,
                       const QDateTime& now, const QString& suffix) {
    RuleImport result;
    try {
        Transaction transaction(main);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            Rule rule = rows[i];
            const int row = i < rowNumbers.size() ? rowNumbers[i] : int(i) + 1;
            const QString where = QStringLiteral("第%1行：").arg(row);
            QString problem = ruleProblem(rule);
            const std::optional<Rule> existing = rule.key.isEmpty() ? std::nullopt : findRule(main, rule.key);
            if (problem.isEmpty() && !existing && rule.isDefault())
                problem = QStringLiteral("没有这条默认规则");
            if (problem.isEmpty()) {
                if (!existing)
                    rule.key = rule.key.isEmpty() ? newKey(main, now, suffix) : rule.key;
                rule.changed = rule.isDefault() && differsFromShipped(rule);
                const QString column = tooWide(rule);
                if (!column.isEmpty())
                    problem = QStringLiteral("“%1”太长").arg(column);
            }
            if (!problem.isEmpty()) {
                result.refused << where + problem;
                continue;
            }
            if (!existing) {
                insertRule(main, rule);
                ++result.added;
            } else if (existing->sameContent(rule) && existing->state == rule.state) {
                ++result.unchanged;
            } else {
                updateRule(main, existing->key, rule);
                ++result.changed;
            }
        }
        transaction.commit();
        result.ok = true;
    } catch (const DbError& e) {
        result = RuleImport();
        result.error = e.message();
    }
    return result;
}

double defaultMaxGrams(const QString& baseName) {
    double largest = -1;
    for (const Rule& rule : defaultRules()) {
        if (rule.kind == kDose && rule.herb == baseName)
            largest = std::max(largest, numbers::leadingNumber(rule.maxGrams));
    }
    return largest;
}

} // namespace lichuan::clinical
