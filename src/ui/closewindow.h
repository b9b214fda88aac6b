#pragma once
// A window that closes itself (its "关  闭" or "取  消" button) closes the child-window frame it sits in,
// not only itself: closing the content alone would leave an empty frame in the main window.

#include <QMdiSubWindow>
#include <QWidget>

namespace lichuan {

// True when the window (and its frame) closed; a window may keep itself open.
inline bool closeWindow(QWidget& window) {
    if (auto* frame = qobject_cast<QMdiSubWindow*>(window.parentWidget()))
        return frame->close();
    return window.close();
}

} // namespace lichuan
