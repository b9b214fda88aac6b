#include "ui/picklist.h"

#include <QStringListModel>
#include <QStyledItemDelegate>

namespace lichuan {

namespace {

// Rows of one fixed height, whatever the font asks for.
class FixedRowHeightDelegate final : public QStyledItemDelegate {
public:
    FixedRowHeightDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), height_};
    }

private:
    int height_;
};

} // namespace

PickList::PickList(QWidget* parent) : QListView(parent), model_(new QStringListModel(this)) {
    setModel(model_);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            Q_EMIT rowDoubleClicked(index.row());
    });
}

void PickList::setEntries(const QStringList& entries) {
    entries_ = entries;
    model_->setStringList(entries_);
}

int PickList::currentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() && selectionModel()->isSelected(current) ? current.row() : -1;
}

void PickList::setCurrentRow(int row) {
    if (row < 0 || row >= count()) {
        clearSelection();
        setCurrentIndex(QModelIndex());
        return;
    }
    setCurrentIndex(model_->index(row));
}

void PickList::setRowHeight(int pixels) {
    setItemDelegate(new FixedRowHeightDelegate(pixels, this));
    doItemsLayout();
    viewport()->update();
}

} // namespace lichuan
