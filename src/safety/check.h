#pragma once
// The clinical check of a prescription: its herbs (as the sheet reads them), the patient's sex, age and
// 妊娠 mark, against the rules in force. A plain function of plain values; the warnings carry their kind,
// the herbs, the figure and whether they are hard (the doctor must confirm them before the sheet is saved,
// printed or settled).

#include "safety/ruleset.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace lichuan::safety {

struct Item {
    QString name;      // as the sheet writes it (石膏[先煎]) or as the catalog does (石膏{先煎})
    double grams = -1; // the quantity of one dose in grams; negative when the sheet gives none in grams
};

struct Patient {
    QString sex;           // 性别 as typed
    QString age;           // 年龄 as typed
    bool pregnant = false; // 妊娠 ticked
};

// The age in years of an age as typed ("35", "35岁", "35岁半" → 35; "8个月", "20天", "3周" → 0); negative
// when the text gives none.
double ageInYears(const QString& age);

// Whether the pregnancy rules apply: to a woman (性别 女) aged 12 to 55 (or whose age is not written yet),
// and to every patient marked 妊娠.
bool pregnancyRulesApply(const Patient& patient);

enum class Kind { Eighteen, Nineteen, PregnancyForbidden, PregnancyCaution, Overdose, Toxic };

struct Warning {
    Kind kind = Kind::Eighteen;
    QStringList herbs; // as the rule names them
    QString figure; // "10g（药典 1～3g）" of an overdose, "大毒" of a toxic herb; empty for the others
    bool hard = false;

    // 十八反, 十九畏, 孕妇禁用, 孕妇慎用, 超量, 有毒
    QString label() const;
    // 十八反：川乌—半夏, 超量：细辛 10g（药典 1～3g）, 孕妇禁用：莪术, 有毒：川乌（大毒）
    QString text() const;
    bool operator==(const Warning& o) const {
        return kind == o.kind && herbs == o.herbs && figure == o.figure && hard == o.hard;
    }
};

// Every rule the herbs break, hard warnings first, then by kind in the order above, then in the order of
// the sheet. Hard are 十八反, 十九畏, 孕妇禁用 of a patient marked 妊娠, and a toxic herb (大毒, 有毒) above
// its largest dose. The quantities of one herb written twice count together; a herb without a quantity in
// grams is never above its largest dose.
std::vector<Warning> check(const std::vector<Item>& items, const Patient& patient, const RuleSet& rules);

// The hard warnings, one a line ("\r\n"), as the confirmation dialog shows them and the confirmation keeps
// them.
QString hardWarningsText(const std::vector<Warning>& warnings);

// Whether a confirmation given for `confirmed` (a hardWarningsText) still covers the hard warnings of
// `warnings`: the same ones, in whatever order. Nothing needs a confirmation when there is no hard warning.
bool confirmationCovers(const QString& confirmed, const std::vector<Warning>& warnings);

// The warnings as the strip shows them: one entry per kind and hardness (孕妇慎用：红花、桃仁), hard ones
// first.
QStringList stripEntries(const std::vector<Warning>& warnings);

} // namespace lichuan::safety
