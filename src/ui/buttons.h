#pragma once
// Buttons of the program's windows: they are plain widgets, not dialog buttons, so Enter does nothing on
// them by default; the original buttons answered Enter when they had the focus.

class QAbstractButton;

namespace lichuan {

// Enter and Return click `button` while it has the focus; the key goes no further.
void clickOnEnter(QAbstractButton& button);

} // namespace lichuan
