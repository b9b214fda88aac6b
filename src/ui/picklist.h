#pragma once
// A list of plain text entries that is refilled on every keystroke: a view over a model of texts, so that
// thousands of entries are replaced in one step instead of one list item at a time. The texts can also be
// made as rows are shown, so that a keystroke that finds tens of thousands of entries makes only a screenful.

#include <QListView>
#include <QStringList>
#include <functional>

namespace lichuan {

class PickListModel;

class PickList : public QListView {
    Q_OBJECT
public:
    explicit PickList(QWidget* parent = nullptr);

    void setEntries(const QStringList& entries);
    // `count` entries whose texts `textOf` gives for 0 … count - 1 when they are asked for.
    void setEntries(int count, std::function<QString(int)> textOf);
    void clear() { setEntries({}); }
    int count() const;
    // The text of entry `row`, or empty text when there is no such entry.
    QString text(int row) const;
    QStringList entries() const;

    // The selected entry, or -1.
    int currentRow() const;
    // Selects entry `row` and makes it current; -1 removes the selection and the current entry.
    void setCurrentRow(int row);
    // Gives every row this height in pixels, whatever the font asks for.
    void setRowHeight(int pixels);

Q_SIGNALS:
    void rowDoubleClicked(int row);

private:
    PickListModel* model_;
};

} // namespace lichuan
