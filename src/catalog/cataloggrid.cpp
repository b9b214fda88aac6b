#include "catalog/cataloggrid.h"

#include "catalog/catalogrules.h"

#include <QBrush>
#include <QColor>
#include <algorithm>

namespace lichuan::catalog {

namespace {

const QColor kEvenRow(249, 248, 245);
const QColor kHighlight(0, 255, 255);

} // namespace

CatalogGridModel::CatalogGridModel(QObject* parent) : QAbstractTableModel(parent) {}

int CatalogGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kVisibleRows;
}

int CatalogGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const CatalogRow* CatalogGridModel::rowAt(int gridRow) const {
    const qsizetype k = qsizetype(first_) + gridRow;
    if (gridRow < 0 || gridRow >= kVisibleRows || k >= qsizetype(results_.size()))
        return nullptr;
    return &results_[std::size_t(k)];
}

QVariant CatalogGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::BackgroundRole) {
        if (index.row() == highlighted_)
            return QBrush(kHighlight);
        return QBrush(index.row() % 2 == 0 ? kEvenRow : QColor(Qt::white));
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const CatalogRow* row = rowAt(index.row());
    if (!row)
        return QString();
    switch (index.column()) {
    case Name:
        return shownName(row->name);
    case UsualQty:
        return row->usualQty;
    case Unit:
        return row->unit;
    case Price:
        return row->price;
    case Usage:
        return row->usage;
    case Drawer:
        return row->drawer;
    case Pinyin:
        return row->pinyin;
    case Remark:
        return row->remark;
    default:
        return {};
    }
}

QVariant CatalogGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const QStringList headers = {
        QStringLiteral("药物名称"), QStringLiteral("常用量"), QStringLiteral("单位"), QStringLiteral("单价"),
        QStringLiteral("用法用量"), QStringLiteral("斗位"),   QStringLiteral("拼音"), QStringLiteral("备注")};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < headers.size())
        return headers.at(section);
    return {};
}

void CatalogGridModel::setResults(std::vector<CatalogRow> results) {
    beginResetModel();
    results_ = std::move(results);
    first_ = 0;
    highlighted_ = -1;
    endResetModel();
}

void CatalogGridModel::setFirst(int first) {
    first_ = std::clamp(first, 0, scrollMaximum());
    highlighted_ = -1;
    Q_EMIT dataChanged(index(0, 0), index(kVisibleRows - 1, ColumnCount - 1));
}

void CatalogGridModel::setHighlighted(int gridRow) {
    highlighted_ = gridRow;
    Q_EMIT dataChanged(index(0, 0), index(kVisibleRows - 1, ColumnCount - 1), {Qt::BackgroundRole});
}

int CatalogGridModel::scrollMaximum() const {
    return std::max(0, int(results_.size()) - kVisibleRows);
}

} // namespace lichuan::catalog
