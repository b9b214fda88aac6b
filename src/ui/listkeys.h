#pragma once
// Small helpers shared by the windows' key handling and list fills.

#include <QListWidget>

namespace lichuan {

// Either of the keyboard's two Enter keys.
inline bool isEnterKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Replaces the entries of a list in one go, without painting or laying out item by item.
inline void setEntries(QListWidget* list, const QStringList& entries) {
    list->setUpdatesEnabled(false);
    list->clear();
    list->addItems(entries);
    list->setUpdatesEnabled(true);
}

} // namespace lichuan
