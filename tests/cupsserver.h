#pragma once
// A print server of the test's own: cupsd started in a temporary folder with its own configuration, spool,
// logs and a local socket (no network port), run by the user running the test (as root its jobs run as
// user lp). Its queues keep each job's file as it arrived (the backend tests/keepjob-backend.sh): the PDF
// the program handed to CUPS, which pdftotext reads back. A queue offers the paper it is made with, as its
// default, so the program lays the page onto that paper. Several tests may run such servers at the same
// time. The server stops when the object goes, and also when the test process dies (it gets SIGTERM with
// its parent).
//
// Usage:
//   CupsServer cups;
//   if (!cups.start())
//       LICHUAN_SKIP(cups.whyNot());
//   QVERIFY2(cups.addQueue("Rx", QPageSize(QPageSize::A5)), qPrintable(cups.whyNot()));
//   ... print on "Rx" with a unique job title ...
//   const QString pdf = cups.waitForJob(title);

#include "loudskip.h"
#include "pdftext.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <cups/cups.h>
#include <grp.h>
#include <memory>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#ifndef LICHUAN_KEEPJOB_BACKEND
#error "LICHUAN_KEEPJOB_BACKEND names tests/keepjob-backend.sh (lichuan_use_print_server in CMake)"
#endif

namespace lichuan::test {

class CupsServer {
public:
    CupsServer() = default;
    CupsServer(const CupsServer&) = delete;
    CupsServer& operator=(const CupsServer&) = delete;
    ~CupsServer() { stop(); }

    // Starts cupsd and points this process's print clients (libcups and Qt) at it, with no default
    // printer. False when cupsd cannot run here; whyNot() says why.
    bool start() {
        if (!QFileInfo(QString::fromLatin1(kInstalledCupsd)).isExecutable())
            return fail(QStringLiteral("cupsd is not installed (package cups)"));
        // cupsd runs from a copy of its own in the server's folder: a security profile that keeps the
        // installed cupsd to the system's folders and programs (AppArmor) does not hold the copy, which may
        // run the backend of the folder. The folder is in the temporary folder, or beside the test program
        // where programs may not run from the temporary folder; last, the installed cupsd is tried.
        const QString temporary = QDir::tempPath();
        const QString beside = QCoreApplication::applicationDirPath();
        QString firstFailure;
        const std::pair<QString, bool> attempts[] = {{temporary, true}, {beside, true}, {temporary, false}};
        for (const auto& [base, copy] : attempts) {
            if (launch(base, copy))
                break;
            if (firstFailure.isEmpty())
                firstFailure = why_;
        }
        if (process_.state() != QProcess::Running)
            return fail(firstFailure);
        // The server's own queues decide, not a printer named in the environment.
        qunsetenv("LPDEST");
        qunsetenv("PRINTER");
        qputenv("CUPS_SERVER", QFile::encodeName(socket_));
        cupsSetServer(QFile::encodeName(socket_).constData());
        return true;
    }

    // Adds an enabled queue whose default paper is `paper` (it offers A4 and A5 besides); `options` are
    // further queue defaults for lpadmin -o. Its jobs are kept as they arrive.
    bool addQueue(const QString& name, const QPageSize& paper = QPageSize(QPageSize::A4),
                  const QStringList& options = {}) {
        const QString ppd = folder_->filePath(QStringLiteral("queues/%1.ppd").arg(name));
        if (!write(QStringLiteral("queues/%1.ppd").arg(name), ppdText(paper)))
            return fail(QStringLiteral("cannot write %1").arg(ppd));
        QStringList arguments{QStringLiteral("-h"),
                              socket_,
                              QStringLiteral("-p"),
                              name,
                              QStringLiteral("-E"),
                              QStringLiteral("-v"),
                              QStringLiteral("keepjob:") + folder_->filePath(QStringLiteral("jobs")),
                              QStringLiteral("-P"),
                              ppd};
        for (const QString& option : options)
            arguments << QStringLiteral("-o") << option;
        return lpadmin(arguments);
    }

    // Makes `name` the server's default printer.
    bool setDefault(const QString& name) {
        return lpadmin({QStringLiteral("-h"), socket_, QStringLiteral("-d"), name});
    }

    // Waits until the job titled `title` is complete and returns the path of its file (empty after
    // `timeoutMs`). Each job is handed out once.
    QString waitForJob(const QString& title, int timeoutMs = 60000) {
        return waitFor([&](const QString& info, const QString&) { return jobTitle(info) == title; },
                       timeoutMs);
    }

    // Waits for a complete job whose text holds `marker` and returns the path of its file.
    QString waitForJobHolding(const QString& marker, int timeoutMs = 60000) {
        return waitFor(
            [&](const QString&, const QString& pdf) { return pdfLayoutText(pdf).contains(marker); },
            timeoutMs);
    }

    // The options the job of `pdf` came with, as the backend got them ("media=A5 number-up=1 …").
    static QString jobOptions(const QString& pdf) {
        QFile info(infoOf(pdf));
        if (!info.open(QIODevice::ReadOnly))
            return {};
        const QList<QByteArray> lines = info.readAll().split('\n');
        return lines.size() > 1 ? QString::fromUtf8(lines.at(1)) : QString();
    }

    QString socket() const { return socket_; }
    QString whyNot() const { return why_; }
    QString errorLog() const {
        if (!folder_)
            return {};
        QFile log(folder_->filePath(QStringLiteral("log/error_log")));
        return log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll().right(4000)) : QString();
    }

    void stop() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(10000)) {
                process_.kill();
                process_.waitForFinished(5000);
            }
        }
    }

    // A job title no other test run uses.
    static QString uniqueTitle(const QString& prefix) {
        return QStringLiteral("%1-%2-%3")
            .arg(prefix)
            .arg(QCoreApplication::applicationPid())
            .arg(QDateTime::currentMSecsSinceEpoch());
    }

private:
    static constexpr const char* kInstalledCupsd = "/usr/sbin/cupsd";

    // Prepares a server folder in `base` and starts cupsd on it (a copy of it in the folder with `copy`);
    // true when it listens.
    bool launch(const QString& base, bool copy) {
        stop();
        folder_ = std::make_unique<QTemporaryDir>(base + QStringLiteral("/lichuan-cups-XXXXXX"));
        if (!folder_->isValid())
            return fail(QStringLiteral("no temporary folder in %1").arg(base));
        const QString dir = folder_->path();
        socket_ = folder_->filePath(QStringLiteral("cups.sock"));
        if (QFile::encodeName(socket_).size() > 100)
            return fail(QStringLiteral("the socket's path is too long: %1").arg(socket_));
        QString user;
        QString group;
        if (!account(&user, &group))
            return fail(QStringLiteral("no account to run the print jobs"));
        const QFileDevice::Permissions open =
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
            QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
        // As root the jobs run as user lp: they must reach the folder, the backend and the job folder.
        QFile::setPermissions(dir, open);
        for (const char* sub :
             {"spool", "tmp", "cache", "state", "log", "ppd", "bin/backend", "sbin", "jobs", "queues"})
            QDir(dir).mkpath(QString::fromLatin1(sub));
        for (const char* sub : {"tmp", "jobs"})
            everyoneMayWrite(folder_->filePath(QString::fromLatin1(sub)));
        // The filters and helper programs of the installed CUPS; the backend of the test's own.
        for (const char* sub : {"filter", "daemon"}) {
            QFile::link(QStringLiteral("/usr/lib/cups/") + QString::fromLatin1(sub),
                        folder_->filePath(QStringLiteral("bin/") + QString::fromLatin1(sub)));
        }
        const QString backend = folder_->filePath(QStringLiteral("bin/backend/keepjob"));
        if (!QFile::copy(QStringLiteral(LICHUAN_KEEPJOB_BACKEND), backend) ||
            !QFile::setPermissions(backend, open))
            return fail(
                QStringLiteral("cannot install the backend %1").arg(QStringLiteral(LICHUAN_KEEPJOB_BACKEND)));
        QString cupsd = QString::fromLatin1(kInstalledCupsd);
        if (copy) {
            cupsd = folder_->filePath(QStringLiteral("sbin/cupsd"));
            if (!QFile::copy(QString::fromLatin1(kInstalledCupsd), cupsd) ||
                !QFile::setPermissions(cupsd, open))
                return fail(QStringLiteral("cannot copy cupsd into %1").arg(dir));
        }
        if (!write(QStringLiteral("cupsd.conf"),
                   QStringLiteral(
                       "Listen %1\nLogLevel debug\nWebInterface No\nBrowsing No\nDefaultAuthType None\n"
                       "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                       "<Policy default>\n  <Limit All>\n    Order deny,allow\n    Allow all\n"
                       "  </Limit>\n</Policy>\n")
                       .arg(socket_)) ||
            !write(
                QStringLiteral("cups-files.conf"),
                QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nTempDir %1/tmp\nCacheDir %1/cache\n"
                               "StateDir %1/state\nAccessLog %1/log/access_log\nErrorLog %1/log/error_log\n"
                               "PageLog %1/log/page_log\nServerBin %1/bin\nDataDir /usr/share/cups\n"
                               "User %2\nGroup %3\nSystemGroup %4\nFileDevice No\n")
                    .arg(dir, user, group, ::geteuid() == 0 ? QStringLiteral("root") : group)))
            return fail(QStringLiteral("cannot write the server's configuration"));

        process_.setProgram(cupsd);
        process_.setArguments({QStringLiteral("-f"), QStringLiteral("-c"),
                               folder_->filePath(QStringLiteral("cupsd.conf")), QStringLiteral("-s"),
                               folder_->filePath(QStringLiteral("cups-files.conf"))});
        process_.setWorkingDirectory(dir);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process_.start();
        if (!process_.waitForStarted(10000))
            return fail(QStringLiteral("%1 does not start: %2").arg(cupsd, process_.errorString()));
        QElapsedTimer waited;
        waited.start();
        while (!QFileInfo::exists(socket_)) {
            if (process_.state() != QProcess::Running || waited.elapsed() > 20000) {
                const QString why = QStringLiteral("%1 stopped or did not listen: %2 %3")
                                        .arg(cupsd, QString::fromLocal8Bit(process_.readAll()), errorLog());
                stop();
                return fail(why);
            }
            QThread::msleep(50);
        }
        return true;
    }

    bool fail(const QString& why) {
        why_ = why;
        return false;
    }
    bool write(const QString& name, const QString& text) {
        QFile file(folder_->filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0;
    }
    static void everyoneMayWrite(const QString& path) { ::chmod(QFile::encodeName(path).constData(), 01777); }

    // The account the jobs run as: the user running the test, or lp for root (cupsd never runs them as
    // root).
    static bool account(QString* userName, QString* groupName) {
        const passwd* user = ::geteuid() == 0 ? ::getpwnam("lp") : ::getpwuid(::geteuid());
        if (!user)
            return false;
        const struct group* group = ::getgrgid(::geteuid() == 0 ? user->pw_gid : ::getegid());
        if (!group)
            return false;
        *userName = QString::fromLocal8Bit(user->pw_name);
        *groupName = QString::fromLocal8Bit(group->gr_name);
        return true;
    }

    bool lpadmin(const QStringList& arguments) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral("lpadmin"), arguments);
        if (!process.waitForFinished(30000) || process.exitCode() != 0)
            return fail(QStringLiteral("lpadmin failed: ") + QString::fromLocal8Bit(process.readAll()));
        return true;
    }

    // A PPD that hands the job's PDF to the backend unchanged (no filter rewrites it) and offers `paper`,
    // A4 and A5, with `paper` as the default.
    static QString ppdText(const QPageSize& paper) {
        struct Size {
            QString key;
            QSizeF points;
        };
        auto sizeOf = [](const QPageSize& size) {
            const QSizeF points = size.size(QPageSize::Point);
            const QString key =
                size.id() == QPageSize::Custom
                    ? QStringLiteral("w%1h%2").arg(qRound(points.width())).arg(qRound(points.height()))
                    : size.key();
            return Size{key, points};
        };
        const Size wanted = sizeOf(paper);
        QList<Size> sizes{wanted};
        for (const QPageSize::PageSizeId id : {QPageSize::A4, QPageSize::A5}) {
            if (paper.id() != id)
                sizes << sizeOf(QPageSize(id));
        }
        QString text = QStringLiteral(
            "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n*LanguageVersion: English\n"
            "*LanguageEncoding: ISOLatin1\n*PCFileName: \"KEEPJOB.PPD\"\n*Manufacturer: \"Test\"\n"
            "*Product: \"(Keep job)\"\n*ModelName: \"Keep job\"\n*ShortNickName: \"Keep job\"\n"
            "*NickName: \"Keep job\"\n*PSVersion: \"(3010.000) 0\"\n*LanguageLevel: \"3\"\n"
            "*ColorDevice: True\n*DefaultColorSpace: RGB\n*FileSystem: False\n*Throughput: \"1\"\n"
            "*LandscapeOrientation: Plus90\n*TTRasterizer: Type42\n*cupsVersion: 2.4\n"
            "*cupsFilter2: \"application/pdf application/pdf 0 -\"\n");
        auto number = [](double points) { return QString::number(points, 'f', 2); };
        const struct {
            const char* keyword;
            bool ui;
        } groups[] = {
            {"PageSize", true}, {"PageRegion", true}, {"ImageableArea", false}, {"PaperDimension", false}};
        for (const auto& group : groups) {
            const QString keyword = QString::fromLatin1(group.keyword);
            if (group.ui) {
                text +=
                    QStringLiteral("*OpenUI *%1: PickOne\n*OrderDependency: 10 AnySetup *%1\n").arg(keyword);
            }
            text += QStringLiteral("*Default%1: %2\n").arg(keyword, wanted.key);
            for (const Size& size : sizes) {
                const QString w = number(size.points.width());
                const QString h = number(size.points.height());
                QString value;
                if (group.ui)
                    value = QStringLiteral("<</PageSize[%1 %2]>>setpagedevice").arg(w, h);
                else if (keyword == QLatin1String("ImageableArea"))
                    value = QStringLiteral("0 0 %1 %2").arg(w, h);
                else
                    value = QStringLiteral("%1 %2").arg(w, h);
                text += QStringLiteral("*%1 %2/%2: \"%3\"\n").arg(keyword, size.key, value);
            }
            if (group.ui)
                text += QStringLiteral("*CloseUI: *%1\n").arg(keyword);
        }
        return text;
    }

    static QString infoOf(const QString& pdf) { return pdf.left(pdf.size() - 4) + QStringLiteral(".info"); }
    static QString jobTitle(const QString& info) {
        QFile file(info);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QString line = QString::fromUtf8(file.readLine());
        if (line.endsWith(QLatin1Char('\n')))
            line.chop(1);
        return line;
    }

    template <class Match> QString waitFor(Match matches, int timeoutMs) {
        const QDir jobs(folder_->filePath(QStringLiteral("jobs")));
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < timeoutMs) {
            for (const QFileInfo& found : jobs.entryInfoList({QStringLiteral("job-*.pdf")}, QDir::Files)) {
                const QString pdf = found.filePath();
                if (!handedOut_.contains(pdf) && matches(infoOf(pdf), pdf)) {
                    handedOut_.insert(pdf);
                    return pdf;
                }
            }
            QCoreApplication::processEvents();
            QThread::msleep(100);
        }
        return {};
    }

    std::unique_ptr<QTemporaryDir> folder_;
    QProcess process_;
    QString socket_;
    QString why_;
    QSet<QString> handedOut_;
};

} // namespace lichuan::test
