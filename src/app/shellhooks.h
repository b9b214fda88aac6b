#pragma once
// The two things the shell's windows hand to the desktop: opening an address in the browser and ending
// the program. Tests replace both to observe them.

#include <QUrl>
#include <functional>

namespace lichuan {

struct ShellHooks {
    std::function<bool(const QUrl&)> openUrl; // the desktop's "open" on the address
    std::function<void()> quit;               // ends the event loop

    // The desktop's browser and QCoreApplication::quit.
    static ShellHooks system();
};

} // namespace lichuan
