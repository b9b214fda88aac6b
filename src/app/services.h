#pragma once
// What the windows are given: the process-wide state, the settings store, the clock, the message service
// and the way to open other windows.

#include <QString>

namespace lichuan {

struct ProcessState;
class SettingsStore;
class Clock;
class Messages;

// Opens the windows another window asks for; implemented by the main window.
class Navigator {
public:
    virtual ~Navigator() = default;
    virtual void openLog() {}
    virtual void openTemplateWindow(bool herbal, const QString& content) {
        (void)herbal;
        (void)content;
    }
    virtual void openCaseRecord() {}
    virtual void openStatistics() {}
    virtual void openAbout() {}
    virtual void openHelp() {}
};

struct Services {
    ProcessState& state;
    SettingsStore& settings;
    const Clock& clock;
    Messages& messages;
    Navigator& navigator;
};

} // namespace lichuan
