// A restore of the copy named by the second argument over the main database named by the first, with the
// backup folder named by the third, as the program runs it; the restore test kills this process at chosen
// moments.

#include "data/clock.h"
#include "session/restore.h"
#include "session/state.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 4)
        return 2;
    lichuan::ProcessState state;
    state.MainConnStr = QString::fromLocal8Bit(argv[1]);
    state.StationSuffix = QStringLiteral("kill1");
    state.mainDb = lichuan::Database::open(state.MainConnStr, lichuan::databaseKey(),
                                           lichuan::Database::OpenMode::ExistingOnly);
    if (!state.mainDb)
        return 3;
    const lichuan::SystemClock clock;
    const lichuan::RestoreOutcome outcome =
        lichuan::restoreCopy(state, QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), clock);
    return outcome.failed == lichuan::RestoreStep::Done ? 0 : 1;
}
