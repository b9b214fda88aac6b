#pragma once
// The grid of the rules window: the rules one tab lists, with their source, the reviewed mark, where they
// come from and whether they are switched off. The rows are plain rules a test can read.

#include "catalog/clinicalrulesexchange.h"

#include <QAbstractTableModel>
#include <vector>

namespace lichuan::catalog {

class ClinicalRulesModel final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ClinicalRulesModel)
public:
    explicit ClinicalRulesModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void setRules(RulesTab tab, std::vector<clinical::Rule> rules);
    const std::vector<clinical::Rule>& rules() const { return rules_; }
    RulesTab tab() const { return tab_; }
    // The grid row of the rule with `key`, or -1.
    int rowOf(const QString& key) const;

    // The columns of a tab, by their header.
    static QStringList headers(RulesTab tab);

private:
    QString cell(const clinical::Rule& rule, const QString& header) const;

    RulesTab tab_ = RulesTab::Pairs;
    std::vector<clinical::Rule> rules_;
    QStringList headers_;
};

} // namespace lichuan::catalog
