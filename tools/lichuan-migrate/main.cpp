// lichuan-migrate [--data-folder DIR] postgresql://…
// Copies the clinic's database files DIR/数据库.dat and DIR/用药统计.dat (DIR is ~/中医处方数据库 unless
// given) into an empty database on the clinic's server, in one transaction, and prints the rows of each
// table. Exit status 0 when everything was copied; 1 when nothing was (the reason on stderr); 2 for a
// wrong command line.

#include "data/engine.h"
#include "data/serveraddress.h"
#include "data/transfer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

using namespace lichuan;

namespace {

void print(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

int usage() {
    print(stderr,
          QStringLiteral("用法：lichuan-migrate [--data-folder 数据文件夹] postgresql://服务器/数据库\n"
                         "把数据文件夹（默认 ~/中医处方数据库）中的 数据库.dat 和 用药统计.dat "
                         "复制到服务器上的空数据库。"));
    return 2;
}

std::unique_ptr<Database> openFile(const QString& path) {
    QString error;
    auto db = Database::open(path, databaseKey(), Database::OpenMode::ExistingOnly, &error);
    if (!db)
        print(stderr, QStringLiteral("无法打开数据库文件 %1：%2").arg(QDir::toNativeSeparators(path), error));
    return db;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QString folder = QDir::home().filePath(QStringLiteral("中医处方数据库"));
    QString address;
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--data-folder") && i + 1 < arguments.size())
            folder = arguments[++i];
        else if (argument.startsWith(QLatin1String("--data-folder=")))
            folder = argument.section(QLatin1Char('='), 1);
        else if (address.isEmpty() && server::isServerAddress(argument))
            address = argument;
        else
            return usage();
    }
    if (address.isEmpty())
        return usage();

    const QDir dir(folder);
    const auto mainFile = openFile(dir.filePath(QStringLiteral("数据库.dat")));
    if (!mainFile)
        return 1;
    const auto statisticsFile = openFile(dir.filePath(QStringLiteral("用药统计.dat")));
    if (!statisticsFile)
        return 1;
    QString error;
    const auto target = Database::connect(address, QString(), &error);
    if (!target) {
        print(stderr,
              QStringLiteral("无法连接数据库服务器 %1：%2").arg(server::displayAddress(address), error));
        return 1;
    }
    try {
        const transfer::TableCounts counts = transfer::copyFilesToServer(*mainFile, *statisticsFile, *target);
        for (const auto& [table, rows] : counts)
            print(stdout, QStringLiteral("%1\t%2 行").arg(table).arg(rows));
        print(stdout, QStringLiteral("已迁移到 %1。").arg(server::displayAddress(address)));
        return 0;
    } catch (const DbError& e) {
        print(stderr, QStringLiteral("迁移失败：%1").arg(e.message()));
        return 1;
    }
}
