#pragma once
// The rules window's rules as plain functions (no display needed): the four tabs and which rules each
// lists, the search by herb, the texts of the grid's columns, and the spreadsheet a pharmacist reviews and
// gives back: one rule a row under a header row, every kind in one sheet.

#include "data/clinicalrules.h"
#include "spreadsheet/cell.h"
#include "spreadsheet/workbookwriter.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

namespace lichuan::catalog {

// The tabs of the rules window: 配伍禁忌 (十八反 and 十九畏), 妊娠禁忌, 毒性, 剂量.
enum class RulesTab { Pairs, Pregnancy, Toxic, Dose };
inline constexpr int kRulesTabCount = 4;
QString tabCaption(RulesTab tab);
// The kinds a tab lists; the first is the kind a rule added there gets.
QStringList tabKinds(RulesTab tab);
// The levels a rule of the tab may have (none for pairs and doses).
QStringList tabLevels(RulesTab tab);

// Whether the rules window lists `rule` on `tab` for the search text `herb` (part of either herb name; every
// rule of the tab when empty). Rules the clinic deleted are never listed.
bool listed(const clinical::Rule& rule, RulesTab tab, const QString& herb);

// "待核" for a rule whose source is not reviewed yet, "已核" otherwise.
QString reviewMark(const clinical::Rule& rule);
// Where the rule comes from: "默认", "默认(已改)" or "本院".
QString originMark(const clinical::Rule& rule);
// "停用" for a rule switched off, "" for one in force.
QString stateMark(const clinical::Rule& rule);

inline const QStringList kRulesSheetHeader = {
    QStringLiteral("序号"), QStringLiteral("类别"),      QStringLiteral("药物"),      QStringLiteral("药物2"),
    QStringLiteral("等级"), QStringLiteral("最小量(g)"), QStringLiteral("最大量(g)"), QStringLiteral("说明"),
    QStringLiteral("来源"), QStringLiteral("核对"),      QStringLiteral("状态")};

// The workbook of an export: the header row in bold, then every rule but the deleted ones in the table's
// order, the doses as numbers.
spreadsheet::Workbook rulesWorkbook(const std::vector<clinical::Rule>& rules);

struct RulesSheet {
    std::vector<clinical::Rule> rules; // rows 2 … of the sheet, empty rows left out
    std::vector<int> rowNumbers;       // the spreadsheet row of each rule
    QString error;                     // the sheet is not a rules sheet
};

// The rules of a sheet written by rulesWorkbook (columns found by their header names, so a reviewer may
// move or drop the 核对 column); "核对" is not read back: the reviewed mark is the source's.
RulesSheet rulesFromSheet(const QList<spreadsheet::Row>& sheet);

// What the user is told after an import.
QString importMessage(const clinical::RuleImport& result);

} // namespace lichuan::catalog
