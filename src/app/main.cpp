#include "app/shell.h"
#include "app/version.h"
#include "app/weblinks.h"
#include "data/clock.h"
#include "ui/appearance.h"
#include "ui/qtmessages.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

namespace {

// `--version` prints the version; `--help-page` prints the help page the program opens (for checking an
// installation). Both answer without a display. Returns -1 when the program is to run as usual.
int answerOption(int argc, char* argv[]) {
    bool asked = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        asked = asked || argument == "--version" || argument == "-v" || argument == "--help-page" ||
                argument == "--help" || argument == "-h";
    }
    if (!asked)
        return -1;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lichuan"));
    QCoreApplication::setApplicationVersion(lichuan::programVersion());
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("栎川：中医处方工作站"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption helpPage(QStringLiteral("help-page"),
                                      QStringLiteral("Print the help page the program opens, then end."));
    parser.addOption(helpPage);
    parser.process(app); // answers --help and --version itself
    const QString page = lichuan::weblinks::findHelpPage(QCoreApplication::applicationDirPath());
    if (page.isEmpty()) {
        std::fputs("no help page found\n", stderr);
        return 1;
    }
    std::printf("%s\n", page.toLocal8Bit().constData());
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    if (const int answered = answerOption(argc, argv); answered >= 0)
        return answered;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lichuan"));
    QApplication::setApplicationVersion(lichuan::programVersion());
    lichuan::prepareApplication(app);
    lichuan::SystemClock clock;
    lichuan::QtMessages messages;
    lichuan::Shell shell(lichuan::ShellOptions::forThisMachine(), clock, messages);
    if (!shell.start())
        return 1;
    return QApplication::exec();
}
