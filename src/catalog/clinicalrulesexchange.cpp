#include "catalog/clinicalrulesexchange.h"

#include "data/numbers.h"
#include "data/textrules.h"

#include <QHash>

namespace lichuan::catalog {

namespace {

enum SheetColumn { Key, Kind, Herb, Partner, Level, MinGrams, MaxGrams, Note, Source, Review, State };

// A dose as its cell: a number when it reads as one, else the text as it stands.
spreadsheet::Cell gramsCell(const QString& grams) {
    if (!grams.isEmpty() && numbers::shortest(numbers::leadingNumber(grams)) == grams)
        return spreadsheet::Cell::fromNumber(numbers::leadingNumber(grams));
    return spreadsheet::Cell::fromText(grams);
}

} // namespace

QString tabCaption(RulesTab tab) {
    switch (tab) {
    case RulesTab::Pairs:
        return QStringLiteral("配伍禁忌");
    case RulesTab::Pregnancy:
        return QStringLiteral("妊娠禁忌");
    case RulesTab::Toxic:
        return QStringLiteral("毒性");
    case RulesTab::Dose:
        break;
    }
    return QStringLiteral("剂量");
}

QStringList tabKinds(RulesTab tab) {
    switch (tab) {
    case RulesTab::Pairs:
        return {clinical::kEighteen, clinical::kNineteen};
    case RulesTab::Pregnancy:
        return {clinical::kPregnancy};
    case RulesTab::Toxic:
        return {clinical::kToxic};
    case RulesTab::Dose:
        break;
    }
    return {clinical::kDose};
}

QStringList tabLevels(RulesTab tab) {
    if (tab == RulesTab::Pregnancy)
        return {QStringLiteral("禁用"), QStringLiteral("慎用")};
    if (tab == RulesTab::Toxic)
        return {QStringLiteral("大毒"), QStringLiteral("有毒"), QStringLiteral("小毒")};
    return {};
}

bool listed(const clinical::Rule& rule, RulesTab tab, const QString& herb) {
    if (rule.state == clinical::kDeleted || !tabKinds(tab).contains(rule.kind))
        return false;
    const QString part = trimSpaces(herb);
    return part.isEmpty() || rule.herb.contains(part) || rule.partner.contains(part);
}

QString reviewMark(const clinical::Rule& rule) {
    return rule.reviewed() ? QStringLiteral("已核") : QStringLiteral("待核");
}

QString originMark(const clinical::Rule& rule) {
    if (!rule.isDefault())
        return QStringLiteral("本院");
    return rule.changed ? QStringLiteral("默认(已改)") : QStringLiteral("默认");
}

QString stateMark(const clinical::Rule& rule) {
    return rule.state == clinical::kSwitchedOff ? clinical::kSwitchedOff : QString();
}

spreadsheet::Workbook rulesWorkbook(const std::vector<clinical::Rule>& rules) {
    spreadsheet::Sheet sheet;
    sheet.name = QStringLiteral("用药警示");
    for (int c = 0; c < kRulesSheetHeader.size(); ++c)
        sheet.setText(0, c, kRulesSheetHeader.at(c));
    sheet.rowStyles[0].bold = true;
    int row = 1;
    for (const clinical::Rule& rule : rules) {
        if (rule.state == clinical::kDeleted)
            continue;
        sheet.setText(row, Key, rule.key);
        sheet.setText(row, Kind, rule.kind);
        sheet.setText(row, Herb, rule.herb);
        sheet.setText(row, Partner, rule.partner);
        sheet.setText(row, Level, rule.level);
        sheet.setCell(row, MinGrams, gramsCell(rule.minGrams));
        sheet.setCell(row, MaxGrams, gramsCell(rule.maxGrams));
        sheet.setText(row, Note, rule.note);
        sheet.setText(row, Source, rule.source);
        sheet.setText(row, Review, reviewMark(rule));
        sheet.setText(row, State, stateMark(rule));
        ++row;
    }
    // The source is long: a reviewer reads it in a wide column rather than a fitted one of 255 characters.
    sheet.columnWidths[Source] = 60;
    sheet.columnWidths[Note] = 30;
    spreadsheet::Workbook workbook;
    workbook.sheets << sheet;
    return workbook;
}

RulesSheet rulesFromSheet(const QList<spreadsheet::Row>& sheet) {
    RulesSheet result;
    QHash<QString, int> columnOf;
    if (!sheet.isEmpty()) {
        const spreadsheet::Row& header = sheet.first();
        for (int c = 0; c < header.size(); ++c)
            columnOf.insert(trimSpaces(spreadsheet::cellAt(header, c).toText()), c);
    }
    for (const QString& needed : {kRulesSheetHeader.at(Kind), kRulesSheetHeader.at(Herb)}) {
        if (!columnOf.contains(needed)) {
            result.error = QStringLiteral("第1行没有“%1”列，不是用药警示的工作簿").arg(needed);
            return result;
        }
    }
    for (qsizetype r = 1; r < sheet.size(); ++r) {
        const spreadsheet::Row& row = sheet.at(r);
        auto text = [&](SheetColumn column) {
            const int c = columnOf.value(kRulesSheetHeader.at(column), -1);
            return c < 0 ? QString() : trimSpaces(spreadsheet::cellAt(row, c).toText());
        };
        clinical::Rule rule;
        rule.key = text(Key);
        rule.kind = text(Kind);
        rule.herb = text(Herb);
        rule.partner = text(Partner);
        rule.level = text(Level);
        rule.minGrams = text(MinGrams);
        rule.maxGrams = text(MaxGrams);
        rule.note = text(Note);
        rule.source = text(Source);
        rule.state = text(State);
        if (rule.key.isEmpty() && rule.kind.isEmpty() && rule.herb.isEmpty() && rule.partner.isEmpty())
            continue;
        result.rules.push_back(rule);
        result.rowNumbers.push_back(int(r) + 1);
    }
    return result;
}

QString importMessage(const clinical::RuleImport& result) {
    if (!result.ok)
        return QStringLiteral("没有导入：") + result.error;
    QString text = QStringLiteral("导入完成：新增%1条，修改%2条，未变%3条。")
                       .arg(result.added)
                       .arg(result.changed)
                       .arg(result.unchanged);
    if (!result.refused.isEmpty())
        text += QStringLiteral("\n以下%1行没有导入：\n").arg(result.refused.size()) +
                result.refused.join(QLatin1Char('\n'));
    return text;
}

} // namespace lichuan::catalog
