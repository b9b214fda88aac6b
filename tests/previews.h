#pragma once
// The print previews a test has opened: the visible preview windows, and closing them all.

#include "printing/printui.h"

#include <QApplication>
#include <QList>

namespace lichuan::test {

// The preview windows shown now, each a window of its own (no main window holds them in a test).
inline QList<printing::PreviewWindow*> openPreviews() {
    QList<printing::PreviewWindow*> found;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* preview = qobject_cast<printing::PreviewWindow*>(w); preview && preview->isVisible())
            found << preview;
    }
    return found;
}

inline void closePreviews() {
    for (printing::PreviewWindow* preview : openPreviews())
        preview->close();
    QApplication::processEvents();
}

} // namespace lichuan::test
