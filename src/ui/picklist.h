#pragma once
// A list of plain text entries that is refilled on every keystroke: a view over a string model, so that
// thousands of entries are replaced in one step instead of one list item at a time.

#include <QListView>
#include <QStringList>

class QStringListModel;

namespace lichuan {

class PickList : public QListView {
    Q_OBJECT
public:
    explicit PickList(QWidget* parent = nullptr);

    void setEntries(const QStringList& entries);
    void clear() { setEntries({}); }
    int count() const { return static_cast<int>(entries_.size()); }
    // The text of entry `row`, or empty text when there is no such entry.
    QString text(int row) const { return entries_.value(row); }
    const QStringList& entries() const { return entries_; }

    // The selected entry, or -1.
    int currentRow() const;
    // Selects entry `row` and makes it current; -1 removes the selection and the current entry.
    void setCurrentRow(int row);
    // Gives every row this height in pixels, whatever the font asks for.
    void setRowHeight(int pixels);

Q_SIGNALS:
    void rowDoubleClicked(int row);

private:
    QStringListModel* model_;
    QStringList entries_;
};

} // namespace lichuan
