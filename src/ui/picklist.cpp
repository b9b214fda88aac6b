#include "ui/picklist.h"

#include <QAbstractListModel>
#include <QStyledItemDelegate>

namespace lichuan {

class PickListModel final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void reset(int count, std::function<QString(int)> textOf) {
        beginResetModel();
        count_ = std::max(0, count);
        textOf_ = std::move(textOf);
        endResetModel();
    }
    int count() const { return count_; }
    QString text(int row) const { return row >= 0 && row < count_ ? textOf_(row) : QString(); }

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : count_; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
            return {};
        return text(index.row());
    }

private:
    int count_ = 0;
    std::function<QString(int)> textOf_;
};

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

PickList::PickList(QWidget* parent) : QListView(parent), model_(new PickListModel(this)) {
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
    model_->reset(int(entries.size()), [entries](int row) { return entries.at(row); });
}

void PickList::setEntries(int count, std::function<QString(int)> textOf) {
    model_->reset(count, std::move(textOf));
}

int PickList::count() const {
    return model_->count();
}

QString PickList::text(int row) const {
    return model_->text(row);
}

QStringList PickList::entries() const {
    QStringList texts;
    texts.reserve(count());
    for (int row = 0; row < count(); ++row)
        texts << model_->text(row);
    return texts;
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
