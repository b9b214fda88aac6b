#pragma once
// The rules of the clinical checks (用药规则) as rows: the default rules the program ships (read from its
// copy of the reference tables in resources/clinical), how a release's defaults are merged into a clinic's
// rules without undoing what the clinic changed, and the window's and the spreadsheet import's writes. Every
// write of more than one row is one transaction; no function here throws unless it says so.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

namespace lichuan {

class Database;

namespace clinical {

// The kinds of rule, as 类别 holds them.
inline const QString kEighteen = QStringLiteral("十八反");
inline const QString kNineteen = QStringLiteral("十九畏");
inline const QString kPregnancy = QStringLiteral("妊娠");
inline const QString kToxic = QStringLiteral("毒性");
inline const QString kDose = QStringLiteral("剂量");
const QStringList& kinds();
bool isPairKind(const QString& kind);

// 状态 of a rule.
inline const QString kInForce = QString();
inline const QString kSwitchedOff = QStringLiteral("停用");
inline const QString kDeleted = QStringLiteral("删除");

// A source that begins with this is not reviewed yet.
inline const QString kUnreviewed = QStringLiteral("待核");

// The keys of the default rules begin with this: 默认:类别:药物[:药物2].
inline const QString kDefaultKeyPrefix = QStringLiteral("默认:");

struct Rule {
    QString key;  // 序号
    QString kind; // 类别
    QString herb; // 药物: a catalog name without its note (川乌), or with one (附子{生}) to match only that
    QString partner;      // 药物2, of a pair (十八反, 十九畏)
    QString level;        // 等级: 禁用/慎用 (妊娠), 大毒/有毒/小毒 (毒性)
    QString minGrams;     // 最小量, per dose (剂量)
    QString maxGrams;     // 最大量, per dose (剂量)
    QString note;         // 说明
    QString source;       // 来源
    QString state;        // 状态: kInForce, kSwitchedOff or kDeleted
    bool changed = false; // 修改: a default rule the clinic changed (edited, switched off, deleted)

    bool isDefault() const { return key.startsWith(kDefaultKeyPrefix); }
    bool inForce() const { return state.isEmpty(); }
    bool reviewed() const { return !source.startsWith(kUnreviewed); }
    // The same kind, herbs, level, doses, note and source (key, state and mark aside).
    bool sameContent(const Rule& other) const;
};

// The default key of a rule's kind and herbs.
QString defaultKey(const QString& kind, const QString& herb, const QString& partner = QString());

// The default rules of this release, each with its default key, in the order of the reference tables
// (pairs, pregnancy, toxicity, doses). Empty when the program's copy of the tables cannot be read.
const std::vector<Rule>& defaultRules();

// What is wrong with a rule as typed or imported, for the user; empty when it can be stored.
QString ruleProblem(const Rule& rule);

// Every row of 用药规则 in the order written (switched off and deleted rows too). `ok` is false when the
// table is missing (an older file that could not be upgraded) or cannot be read; the list is then empty.
std::vector<Rule> readRules(const Database& main, bool* ok = nullptr);

// Brings the default rows of 用药规则 to this release's defaults, inside the caller's transaction: a default
// rule missing from the table is added, one the clinic did not change takes this release's content, one
// this release no longer ships goes unless the clinic changed it; rows the clinic changed, switched off or
// deleted, and the clinic's own rules, stay as they are. Throws DbError.
void mergeDefaultRules(Database& main);

struct RuleWrite {
    bool ok = false;
    QString key;   // the key the rule was stored under
    QString error; // for the user, when nothing was stored
};

// Stores a rule typed in the rules window: a new one (empty key) under a new key of the clinic's own form
// (made from `now` and `suffix`), an existing one in its row. A default rule is marked changed unless it is
// as shipped again (then later releases may update it again). Refused when ruleProblem() names a problem or
// a value is too long for its column.
RuleWrite saveRule(Database& main, const Rule& rule, const QDateTime& now, const QString& suffix);

// Switches a rule off (it stays, marked, and warns no more) or on again.
bool switchRule(Database& main, const QString& key, bool off);

// Deletes a rule: a clinic's own row goes; a default rule stays as deleted, so that no later release brings
// it back.
bool deleteRule(Database& main, const QString& key);

struct RuleImport {
    bool ok = false;
    int added = 0;
    int changed = 0;
    int unchanged = 0;
    QStringList refused; // "第n行：why", one per row not taken
    QString error;       // when nothing was stored
};

// Stores the rules of a workbook in one transaction: a row whose key names a rule of the table replaces
// its kind, herbs, level, doses, note, source and state (switched off or in force); other rows are added
// (under their key when it is free, else under a new one). Rows with a problem are refused and named by
// their spreadsheet row (`rowNumbers[i]` is the row of rows[i]); nothing is deleted.
RuleImport importRules(Database& main, const std::vector<Rule>& rows, const std::vector<int>& rowNumbers,
                       const QDateTime& now, const QString& suffix);

// The largest 最大量 of the default dose rules of a catalog base name, or a negative value when there is
// none.
double defaultMaxGrams(const QString& baseName);

} // namespace clinical
} // namespace lichuan
