#include "app/shell.h"
#include "data/clock.h"
#include "ui/appearance.h"
#include "ui/qtmessages.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lichuan"));
    lichuan::prepareApplication(app);
    lichuan::SystemClock clock;
    lichuan::QtMessages messages;
    lichuan::Shell shell(lichuan::ShellOptions::forThisMachine(), clock, messages);
    if (!shell.start())
        return 1;
    return QApplication::exec();
}
