#pragma once
// The running program: start-up, the login window, the main window, the about window and the end of the
// run. main() only builds one for this machine; tests build one on their own folders, clock and messages.

#include "app/form1.h"
#include "app/form10.h"
#include "app/form9.h"
#include "app/shellhooks.h"
#include "session/platform.h"
#include "session/state.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

namespace lichuan {

class Clock;
class FileChooser;
class Messages;
class ReadAhead;
class SettingsStore;

struct ShellOptions {
    Platform platform;
    QString backupRoot; // empty: <drive c:>/中医处方数据库备份
    ShellHooks hooks;
    std::function<QString()> currentDefaultPrinter; // the system's default printer now
    FileChooser* files = nullptr;                   // what every window asks for files with; Qt's when null

    // This machine: its folders, its default printer, the desktop's browser and a real end of the program.
    static ShellOptions forThisMachine();
};

class Shell final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Shell)
public:
    Shell(ShellOptions options, const Clock& clock, Messages& messages);
    ~Shell() override;

    // Runs start-up and shows the login window. Without a usable main database it says so, ends the program
    // and returns false.
    bool start();

    ProcessState& state() { return state_; }
    SettingsStore* settings() const { return settings_.get(); }
    QString backupRoot() const;
    Form9* loginWindow() const { return login_.get(); }
    Form1* mainWindow() const { return main_.get(); }
    Form10* aboutWindow() const { return about_; }

    // Discards an open about window and shows a new one; `onDemand` (menu, toolbar) makes closing it leave
    // the program running, otherwise closing it ends the program.
    void showAbout(bool onDemand);

    // Whether the copies the lists search are still being read ahead (from the login window on).
    bool readingAhead() const { return readAhead_ != nullptr; }

Q_SIGNALS:
    // The copies have been read ahead (or reading them ahead was given up).
    void readAheadFinished();

private:
    void showMainWindow();
    void endProgram();
    void startReadingAhead();
    void readAheadSlice();

    ShellOptions options_;
    const Clock& clock_;
    Messages& messages_;
    ProcessState state_;
    std::unique_ptr<SettingsStore> settings_;
    std::unique_ptr<Form9> login_;
    std::unique_ptr<Form1> main_;
    QPointer<Form10> about_;
    std::unique_ptr<ReadAhead> readAhead_;
    QTimer readAheadTimer_;
};

} // namespace lichuan
