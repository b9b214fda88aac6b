#include "reports/reportgrid.h"

#include "ui/twips.h"

#include <QColor>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace lichuan::reports {

namespace {

const QColor kEvenRow(249, 248, 245);
constexpr int kRowHeightTwips = 285;

// Paints the stripes by the row's place in the grid, not by its place in the result: the grid rows keep
// their colours while the results move through them.
class StripeDelegate final : public QStyledItemDelegate {
public:
    explicit StripeDelegate(FixedRowsView* view) : QStyledItemDelegate(view), view_(view) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int gridRow = index.row() - view_->verticalScrollBar()->value();
        painter->fillRect(option.rect, gridRow % 2 == 0 ? kEvenRow : QColor(Qt::white));
        QStyleOptionViewItem plain(option);
        plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        QStyledItemDelegate::paint(painter, plain, index);
    }

private:
    FixedRowsView* view_;
};

} // namespace

TextRowsModel::TextRowsModel(QStringList headings, QObject* parent)
    : QAbstractTableModel(parent), headings_(std::move(headings)) {}

void TextRowsModel::setRows(std::vector<QStringList> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int TextRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int TextRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(headings_.size());
}

QVariant TextRowsModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= int(rows_.size()))
        return {};
    const QStringList& row = rows_[size_t(index.row())];
    return index.column() < row.size() ? row.at(index.column()) : QString();
}

QVariant TextRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section < headings_.size())
        return headings_.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

FixedRowsView::FixedRowsView(TextRowsModel* model, int visibleRows, const QList<int>& columnWidths,
                             bool showHeadings, QWidget* parent)
    : QTableView(parent), visibleRows_(visibleRows) {
    setModel(model);
    setItemDelegate(new StripeDelegate(this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::NoFocus);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setCornerButtonEnabled(false);
    setWordWrap(false);
    verticalScrollBar()->setObjectName(QStringLiteral("VS1"));
    verticalScrollBar()->setAccessibleName(QStringLiteral("VS1"));

    QHeaderView* rowsHeader = verticalHeader();
    rowsHeader->hide();
    rowsHeader->setSectionResizeMode(QHeaderView::Fixed);
    rowsHeader->setMinimumSectionSize(1);
    rowsHeader->setDefaultSectionSize(twips::px(kRowHeightTwips));
    QHeaderView* columnsHeader = horizontalHeader();
    columnsHeader->setVisible(showHeadings);
    columnsHeader->setSectionsClickable(false);
    columnsHeader->setHighlightSections(false);
    columnsHeader->setSectionResizeMode(QHeaderView::Fixed);
    int width = 0;
    for (int column = 0; column < columnWidths.size(); ++column) {
        columnsHeader->resizeSection(column, columnWidths.at(column));
        width += columnWidths.at(column);
    }
    columnsHeader->setStretchLastSection(true);

    // The viewport holds exactly the grid rows, so the scroll bar runs from 0 to (results − rows).
    const int frame = 2 * frameWidth();
    const int headingHeight = showHeadings ? columnsHeader->sizeHint().height() : 0;
    setFixedHeight(visibleRows * rowsHeader->defaultSectionSize() + frame + headingHeight);
    setFixedWidth(width + frame + verticalScrollBar()->sizeHint().width());

    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] { updateScrollBar(); });
    // The scroll bar follows a new result at once, not at the next layout pass.
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        updateGeometries();
        updateScrollBar();
    });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
    updateScrollBar();
}

void FixedRowsView::updateScrollBar() {
    verticalScrollBar()->setEnabled(verticalScrollBar()->maximum() > 0);
}

int FixedRowsView::entryAt(int gridRow) const {
    const int entry = verticalScrollBar()->value() + gridRow;
    return gridRow >= 0 && gridRow < visibleRows_ && entry < model()->rowCount() ? entry : -1;
}

QString FixedRowsView::cellText(int gridRow, int column) const {
    const int entry = entryAt(gridRow);
    return entry < 0 ? QString() : model()->index(entry, column).data().toString();
}

} // namespace lichuan::reports
