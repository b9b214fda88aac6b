#include "ui/placement.h"

#include "ui/twips.h"

#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace lichuan {

QPoint centredPosition(const QSize& area, const QSize& child, int leftTwips, int upTwips) {
    const int x = (area.width() - child.width()) / 2 - twips::px(leftTwips);
    const int y = (area.height() - child.height()) / 2 - twips::px(upTwips);
    return {std::max(0, x), std::max(0, y)};
}

void placeMdiChild(const QMdiArea& area, QMdiSubWindow& child, int leftTwips, int upTwips) {
    if (child.isMaximized() || child.isMinimized())
        return;
    child.move(centredPosition(area.viewport()->size(), child.frameGeometry().size(), leftTwips, upTwips));
}

void centreOnScreen(QWidget& window, int leftTwips, int upTwips) {
    QScreen* screen = window.screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QSize outer = window.frameGeometry().size().expandedTo(window.size());
    window.move(available.topLeft() + centredPosition(available.size(), outer, leftTwips, upTwips));
}

} // namespace lichuan
