#pragma once
// Window geometry is designed in twips (1440 per inch); the screen works in pixels at 96 dpi, 15 twips each.
// Every conversion of the program goes through here.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace lichuan::twips {

constexpr int kPerPixel = 15;

constexpr int px(int twips) {
    return (twips + (twips >= 0 ? kPerPixel / 2 : -kPerPixel / 2)) / kPerPixel;
}
constexpr int fromPx(int pixels) {
    return pixels * kPerPixel;
}
inline QRect rect(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
}
inline QPoint point(int x, int y) {
    return QPoint(px(x), px(y));
}
inline QSize size(int width, int height) {
    return QSize(px(width), px(height));
}

} // namespace lichuan::twips
