#pragma once
// The start-up procedure: data folder, both database files, local or shared databases, the login password.

#include "session/platform.h"
#include "session/state.h"

#include <QDateTime>

namespace lichuan {

class Messages;

inline const QString kDataFolderName = QStringLiteral("中医处方数据库");
inline const QString kMainFileName = QStringLiteral("数据库.dat");
inline const QString kStatsFileName = QStringLiteral("用药统计.dat");
inline const QString kComputerNameFile = QStringLiteral("计算机名.txt");
inline const QString kRemoteUnreachable = QStringLiteral("无法连接远程数据库，患者数据将保存在本地数据库！");

// Creates every missing folder level of `path`; errors are ignored.
void MakePath(const QString& path);

// Runs the start-up sequence into `state`: the start-up printer, the data folder (d: when its root lists
// anything, else c:), missing database files written with the schema and default rows (an existing file is
// never touched), the computer-name file and the shared road, both connections opened and kept, the login
// password. A new file is written under a temporary name and renamed into place once complete, so a start
// killed meanwhile leaves no broken file. A main database is accepted only when it opens with the key and has
// its tables and settings row; a file that is not accepted is reported with a message naming it, gives no
// connection (state.mainDb stays null) and start-up goes on.
void runStartup(ProcessState& state, const Platform& platform, Messages& messages, const QDateTime& now);

} // namespace lichuan
