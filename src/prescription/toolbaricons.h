#pragma once
// The icons of the toolbar, drawn as simple line pictures.

#include <QPixmap>

namespace lichuan {

constexpr int kToolbarButtonCount = 11;

// The icon of toolbar button `index` (0 新建 … 10 联系作者), `size` pixels square; a null pixmap for an
// index outside the toolbar.
QPixmap toolbarIcon(int index, int size = 24);

} // namespace lichuan
