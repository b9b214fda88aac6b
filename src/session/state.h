#pragma once
// The process-wide state shared by start-up and the windows, alive for the whole run.

#include "data/engine.h"
#include "data/prescriptions.h"

#include <QString>
#include <memory>

namespace lichuan {

struct ProcessState {
    QString DataFolder;       // the local data folder, no trailing separator
    QString MainConnStr;      // path of the main database file in use (数据库.dat)
    QString StatsConnStr;     // path of the statistics database file in use (用药统计.dat)
    QString LoginPassword;    // 设置.密码 as read at start-up
    QString BackupSourcePath; // the main database file the exit backup copies
    QString StartupPrinter;   // the system's default printer at start-up
    QString StationSuffix;    // fixed per installation, after the 14 digits of every record key
    bool AboutFromMenu = false;
    QString PendingCaseRecord;              // the medical record that belongs to the sheet
    std::unique_ptr<RecordKeys> recordKeys; // issues the keys of new sheets; made on first use

    // The two connections, opened once by start-up and kept for the run; null when a file could not be
    // opened.
    std::unique_ptr<Database> mainDb;
    std::unique_ptr<Database> statsDb;
};

} // namespace lichuan
