#include "catalog/clinicalrulesgrid.h"

#include <QBrush>
#include <QColor>

namespace lichuan::catalog {

ClinicalRulesModel::ClinicalRulesModel(QObject* parent)
    : QAbstractTableModel(parent), headers_(headers(RulesTab::Pairs)) {}

QStringList ClinicalRulesModel::headers(RulesTab tab) {
    const QStringList marks{QStringLiteral("来源"), QStringLiteral("核对"), QStringLiteral("来历"),
                            QStringLiteral("状态")};
    switch (tab) {
    case RulesTab::Pairs:
        return QStringList{QStringLiteral("类别"), QStringLiteral("药物"), QStringLiteral("药物2")} + marks;
    case RulesTab::Pregnancy:
    case RulesTab::Toxic:
        return QStringList{QStringLiteral("药物"), QStringLiteral("等级")} + marks;
    case RulesTab::Dose:
        break;
    }
    return QStringList{QStringLiteral("药物"), QStringLiteral("最小量(g)"), QStringLiteral("最大量(g)"),
                       QStringLiteral("说明")} +
           marks;
}

int ClinicalRulesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rules_.size());
}

int ClinicalRulesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(headers_.size());
}

QString ClinicalRulesModel::cell(const clinical::Rule& rule, const QString& header) const {
    if (header == QStringLiteral("类别"))
        return rule.kind;
    if (header == QStringLiteral("药物"))
        return rule.herb;
    if (header == QStringLiteral("药物2"))
        return rule.partner;
    if (header == QStringLiteral("等级"))
        return rule.level;
    if (header == QStringLiteral("最小量(g)"))
        return rule.minGrams;
    if (header == QStringLiteral("最大量(g)"))
        return rule.maxGrams;
    if (header == QStringLiteral("说明"))
        return rule.note;
    if (header == QStringLiteral("来源"))
        return rule.source;
    if (header == QStringLiteral("核对"))
        return reviewMark(rule);
    if (header == QStringLiteral("来历"))
        return originMark(rule);
    return stateMark(rule);
}

QVariant ClinicalRulesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rules_.size()) || index.column() >= headers_.size())
        return {};
    const clinical::Rule& rule = rules_[std::size_t(index.row())];
    const QString& header = headers_.at(index.column());
    if (role == Qt::ForegroundRole) {
        if (!rule.inForce())
            return QBrush(QColor(150, 150, 150));
        if (header == QStringLiteral("核对") && !rule.reviewed())
            return QBrush(QColor(192, 96, 0));
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    return cell(rule, header);
}

QVariant ClinicalRulesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < headers_.size())
        return headers_.at(section);
    return {};
}

void ClinicalRulesModel::setRules(RulesTab tab, std::vector<clinical::Rule> rules) {
    beginResetModel();
    tab_ = tab;
    headers_ = headers(tab);
    rules_ = std::move(rules);
    endResetModel();
}

int ClinicalRulesModel::rowOf(const QString& key) const {
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        if (rules_[i].key == key)
            return int(i);
    }
    return -1;
}

} // namespace lichuan::catalog
