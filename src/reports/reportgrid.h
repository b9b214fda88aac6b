#pragma once
// The fixed grids of the report windows: a model of text rows with the alternate shading of the grid rows,
// and a view showing a fixed number of rows with the vertical scroll bar `VS1` along its right side.

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>
#include <vector>

namespace lichuan::reports {

class TextRowsModel final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TextRowsModel)
public:
    TextRowsModel(QStringList headings, QObject* parent = nullptr);

    // Replaces every row; a row shorter than the headings leaves its last cells empty.
    void setRows(std::vector<QStringList> rows);
    void clear() { setRows({}); }
    const std::vector<QStringList>& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QStringList headings_;
    std::vector<QStringList> rows_;
};

// A view of `visibleRows` rows of one height, scrolled row by row. Its vertical scroll bar is named "VS1"
// and is enabled only while there are more rows than fit; the shading follows the rows shown, so a scroll
// refills the same striped grid.
class FixedRowsView final : public QTableView {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FixedRowsView)
public:
    FixedRowsView(TextRowsModel* model, int visibleRows, const QList<int>& columnWidths, bool showHeadings,
                  QWidget* parent = nullptr);

    int visibleRows() const { return visibleRows_; }
    // The result entry grid row r shows, or -1 for an empty grid row.
    int entryAt(int gridRow) const;
    // The text of cell (gridRow, column) as the grid shows it.
    QString cellText(int gridRow, int column) const;

private:
    void updateScrollBar();
    int visibleRows_;
};

} // namespace lichuan::reports
