#pragma once
// The catalog window's grid: 19 rows of the search result from a first row on, eight columns, the even rows
// shaded and one row highlighted. The result lists are plain rows a test can read.

#include "data/catalogrows.h"

#include <QAbstractTableModel>
#include <vector>

namespace lichuan::catalog {

class CatalogGridModel final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CatalogGridModel)
public:
    static constexpr int kVisibleRows = 19;
    enum Column { Name, UsualQty, Unit, Price, Usage, Drawer, Pinyin, Remark, ColumnCount };

    explicit CatalogGridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The result of the last search, in result order (names as stored, with braces).
    void setResults(std::vector<CatalogRow> results);
    const std::vector<CatalogRow>& results() const { return results_; }
    // The result shown in grid row i, or null below the last result.
    const CatalogRow* rowAt(int gridRow) const;

    // The result number shown in grid row 0.
    void setFirst(int first);
    int first() const { return first_; }
    // The highlighted grid row, -1 for none (the shading reset).
    void setHighlighted(int gridRow);
    int highlighted() const { return highlighted_; }

    // The scroll bar's maximum for the result: 0 when it fits the grid.
    int scrollMaximum() const;

private:
    std::vector<CatalogRow> results_;
    int first_ = 0;
    int highlighted_ = -1;
};

} // namespace lichuan::catalog
