#include "app/shell.h"

#include "app/form10.h"
#include "app/form9.h"
#include "data/audit.h"
#include "data/clock.h"
#include "data/readahead.h"
#include "session/backup.h"
#include "session/messages.h"
#include "session/startup.h"
#include "settings/settingsstore.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QPrinterInfo>

namespace lichuan {

ShellHooks ShellHooks::system() {
    return {[](const QUrl& address) { return QDesktopServices::openUrl(address); },
            [] { QCoreApplication::quit(); }};
}

ShellOptions ShellOptions::forThisMachine() {
    ShellOptions options;
    options.platform = Platform::system();
    options.platform.defaultPrinter = QPrinterInfo::defaultPrinterName();
    options.hooks = ShellHooks::system();
    options.currentDefaultPrinter = [] { return QPrinterInfo::defaultPrinterName(); };
    return options;
}

Shell::Shell(ShellOptions options, const Clock& clock, Messages& messages)
    : options_(std::move(options)), clock_(clock), messages_(messages) {
    if (!options_.currentDefaultPrinter) {
        const QString printer = options_.platform.defaultPrinter;
        options_.currentDefaultPrinter = [printer] { return printer; };
    }
}

Shell::~Shell() {
    delete about_.data();
}

namespace {
// The longest a slice of reading ahead keeps a key waiting: a quarter of a frame.
constexpr int kReadAheadSliceMs = 4;
} // namespace

QString Shell::backupRoot() const {
    if (!options_.backupRoot.isEmpty())
        return options_.backupRoot;
    return options_.platform.driveC + QLatin1Char('/') + kBackupFolderName;
}

bool Shell::start() {
    runStartup(state_, options_.platform, messages_, clock_.now());
    if (!state_.mainDb) {
        // Without a main database there is no settings row and so no password: nobody is let in, and the
        // backups are left alone.
        messages_.inform(
            QStringLiteral("数据库无法使用，程序将退出。\n请把备份文件夹 %1 中某一天的 %2 复制到 %3 "
                           "中，再启动程序。")
                .arg(QDir::toNativeSeparators(backupRoot()), kMainFileName,
                     QDir::toNativeSeparators(state_.DataFolder)));
        endProgram();
        return false;
    }
    // The log lines of this station carry its key suffix and the program's clock.
    audit::attach(*state_.mainDb, state_.StationSuffix, &clock_);
    settings_ = std::make_unique<SettingsStore>(state_.mainDb.get(), state_.StartupPrinter,
                                                options_.currentDefaultPrinter);
    login_ = std::make_unique<Form9>(state_, messages_);
    connect(login_.get(), &Form9::loggedIn, this, &Shell::showMainWindow);
    connect(login_.get(), &Form9::programEndRequested, this, &Shell::endProgram);
    login_->show();
    startReadingAhead();
    return true;
}

// While the login window waits for the password (and on after the main window opens), the copies that the
// lists search on every keystroke are read a slice at a time whenever no window event is waiting.
void Shell::startReadingAhead() {
    readAhead_ = std::make_unique<ReadAhead>(*state_.mainDb);
    readAheadTimer_.setInterval(0);
    connect(&readAheadTimer_, &QTimer::timeout, this, &Shell::readAheadSlice);
    readAheadTimer_.start();
}

void Shell::readAheadSlice() {
    // A connection replaced meanwhile (a restored backup) is not read ahead.
    if (readAhead_ && &readAhead_->database() == state_.mainDb.get() &&
        !readAhead_->step(QDeadlineTimer(kReadAheadSliceMs)))
        return;
    readAheadTimer_.stop();
    readAhead_.reset();
    Q_EMIT readAheadFinished();
}

void Shell::showMainWindow() {
    if (!main_) {
        main_ = std::make_unique<Form1>(state_, *settings_, clock_, messages_,
                                        Form1::Options{backupRoot(), options_.hooks, options_.files});
        connect(main_.get(), &Form1::aboutRequested, this, [this] { showAbout(true); });
        connect(main_.get(), &Form1::closed, this, [this] { showAbout(false); });
    }
    main_->showMaximized();
}

void Shell::showAbout(bool onDemand) {
    if (about_) {
        // Discarded without its closing rule: replacing it ends nothing.
        about_->hide();
        about_->deleteLater();
    }
    state_.AboutFromMenu = onDemand;
    about_ = new Form10(state_, options_.hooks);
    about_->setAttribute(Qt::WA_DeleteOnClose);
    connect(about_, &Form10::programEndRequested, this, &Shell::endProgram);
    about_->show();
}

void Shell::endProgram() {
    if (options_.hooks.quit)
        options_.hooks.quit();
}

} // namespace lichuan
