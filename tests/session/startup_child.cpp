// A first start on the folder named by the one argument (its drive c:), as the program runs it; the start-up
// test kills this process at chosen moments.

#include "session/messages.h"
#include "session/startup.h"
#include "session/state.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    lichuan::Platform platform;
    platform.driveC = QString::fromLocal8Bit(argv[1]);
    platform.machineId = QStringLiteral("0123456789abcdef0123456789abcdef");
    lichuan::ProcessState state;
    lichuan::RecordingMessages messages;
    lichuan::runStartup(state, platform, messages, QDateTime(QDate(2024, 3, 8), QTime(9, 30, 15)));
    return state.mainDb && state.statsDb && messages.shown.isEmpty() ? 0 : 1;
}
