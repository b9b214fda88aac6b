#pragma once
// A print server of the test's own: cupsd started in a temporary folder (its own configuration, spool, logs
// and a local socket, no network port), with PDF printer queues that write their jobs as PDF files into the
// submitting user's ~/PDF. Several tests may run such servers at the same time. The server stops when the
// object goes, and also when the test process dies (it gets SIGTERM with its parent).
//
// Usage:
//   CupsServer cups;
//   if (!cups.start())
//       QSKIP(qPrintable(cups.whyNot()));
//   QVERIFY2(cups.addPdfQueue("TestPDF"), qPrintable(cups.whyNot()));
//   ... print on "TestPDF" with a unique job title ...
//   const QString pdf = cups.waitForPdf(title);

#include "pdftext.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <cups/cups.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lichuan::test {

class CupsServer {
public:
    CupsServer() = default;
    CupsServer(const CupsServer&) = delete;
    CupsServer& operator=(const CupsServer&) = delete;
    ~CupsServer() { stop(); }

    // Starts cupsd and points this process's print clients (libcups and Qt) at it. False when cupsd cannot
    // run here; whyNot() says why.
    bool start() {
        const QString cupsd = QStringLiteral("/usr/sbin/cupsd");
        if (!QFileInfo(cupsd).isExecutable())
            return fail(QStringLiteral("cupsd is not installed (package cups)"));
        if (!QFileInfo(QStringLiteral("/usr/lib/cups/backend/cups-pdf")).exists())
            return fail(
                QStringLiteral("the PDF printer backend is not installed (package printer-driver-cups-pdf)"));
        if (::geteuid() != 0)
            return fail(QStringLiteral("cupsd runs its PDF backend only when started by root"));
        if (!folder_.isValid())
            return fail(QStringLiteral("no temporary folder"));
        started_ = QDateTime::currentDateTime();
        // The filters run as user lp and must reach the spool folder inside.
        QFile::setPermissions(folder_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                                  QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                  QFileDevice::ExeOther);
        for (const char* sub : {"spool", "tmp", "cache", "state", "log", "ppd"})
            QDir(folder_.path()).mkpath(QString::fromLatin1(sub));
        // The filters write their temporary files here as user lp.
        ::chmod(QFile::encodeName(folder_.filePath(QStringLiteral("tmp"))).constData(), 01777);
        socket_ = folder_.filePath(QStringLiteral("cups.sock"));
        const QString dir = folder_.path();
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
                               "PageLog %1/log/page_log\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\n"
                               "User lp\nGroup lp\nSystemGroup root\nFileDevice No\n")
                    .arg(dir)))
            return fail(QStringLiteral("cannot write the server's configuration"));

        process_.setProgram(cupsd);
        process_.setArguments({QStringLiteral("-f"), QStringLiteral("-c"),
                               folder_.filePath(QStringLiteral("cupsd.conf")), QStringLiteral("-s"),
                               folder_.filePath(QStringLiteral("cups-files.conf"))});
        process_.setWorkingDirectory(dir);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process_.start();
        if (!process_.waitForStarted(10000))
            return fail(QStringLiteral("cupsd does not start: %1").arg(process_.errorString()));
        QElapsedTimer waited;
        waited.start();
        while (!QFileInfo::exists(socket_)) {
            if (process_.state() != QProcess::Running || waited.elapsed() > 20000) {
                return fail(QStringLiteral("cupsd stopped or did not listen: %1 %2")
                                .arg(QString::fromLocal8Bit(process_.readAll()), errorLog()));
            }
            QThread::msleep(50);
        }
        qputenv("CUPS_SERVER", QFile::encodeName(socket_));
        cupsSetServer(QFile::encodeName(socket_).constData());
        return true;
    }

    // Adds an enabled PDF queue; `options` are queue defaults such as "PageSize=A5". Jobs are saved as
    // "<job title>-job_<n>.pdf".
    bool addPdfQueue(const QString& name, const QStringList& options = {}) {
        QStringList arguments{QStringLiteral("-h"),
                              socket_,
                              QStringLiteral("-p"),
                              name,
                              QStringLiteral("-E"),
                              QStringLiteral("-v"),
                              QStringLiteral("cups-pdf:/"),
                              QStringLiteral("-P"),
                              QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"),
                              QStringLiteral("-o"),
                              QStringLiteral("TitlePref=1"),
                              QStringLiteral("-o"),
                              QStringLiteral("Label=2")};
        for (const QString& option : options)
            arguments << QStringLiteral("-o") << option;
        QProcess lpadmin;
        lpadmin.setProcessChannelMode(QProcess::MergedChannels);
        lpadmin.start(QStringLiteral("lpadmin"), arguments);
        if (!lpadmin.waitForFinished(30000) || lpadmin.exitCode() != 0)
            return fail(QStringLiteral("lpadmin failed: ") + QString::fromLocal8Bit(lpadmin.readAll()));
        return true;
    }

    // Waits until the PDF of the job titled `title` is complete and returns its path (empty after
    // `timeoutMs`). The file is removed when the server stops.
    QString waitForPdf(const QString& title, int timeoutMs = 60000) {
        // The PDF printer writes into the home folder of the user's account (not $HOME).
        const passwd* account = ::getpwuid(::geteuid());
        const QString home = account ? QFile::decodeName(account->pw_dir) : QDir::homePath();
        const QDir out(QDir(home).filePath(QStringLiteral("PDF")));
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < timeoutMs) {
            const QFileInfoList found =
                out.entryInfoList({title + QStringLiteral("-job_*.pdf")}, QDir::Files, QDir::Time);
            // A file of an earlier run, or one already handed out, is not this job's.
            if (!found.isEmpty() && found.first().lastModified() >= started_ &&
                !made_.contains(found.first().filePath())) {
                const QString path = found.first().filePath();
                QFile file(path);
                if (file.open(QIODevice::ReadOnly) && file.size() > 64 && file.seek(file.size() - 32) &&
                    file.readAll().contains("%%EOF")) {
                    made_ << path;
                    return path;
                }
            }
            QCoreApplication::processEvents();
            QThread::msleep(200);
        }
        return {};
    }

    QString socket() const { return socket_; }
    QString whyNot() const { return why_; }
    QString errorLog() const {
        QFile log(folder_.filePath(QStringLiteral("log/error_log")));
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
        for (const QString& path : made_)
            QFile::remove(path);
        made_.clear();
    }

    // A job title no other test run uses.
    static QString uniqueTitle(const QString& prefix) {
        return QStringLiteral("%1-%2-%3")
            .arg(prefix)
            .arg(QCoreApplication::applicationPid())
            .arg(QDateTime::currentMSecsSinceEpoch());
    }

private:
    bool fail(const QString& why) {
        why_ = why;
        return false;
    }
    bool write(const QString& name, const QString& text) {
        QFile file(folder_.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0;
    }

    QTemporaryDir folder_{QDir::tempPath() + QStringLiteral("/lichuan-cups-XXXXXX")};
    QProcess process_;
    QString socket_;
    QString why_;
    QStringList made_;
    QDateTime started_;
};

// The finished job file in ~/PDF written since `since` that holds `marker`. Other tests and other test runs
// print into the same folder at the same time, under the same job numbers and titles: a job is known by what
// it holds, not by its name.
inline QString waitForJobHolding(const QDateTime& since, const QString& marker, int timeoutMs = 90000) {
    const QDir folder(QDir::home().filePath(QStringLiteral("PDF")));
    QElapsedTimer waited;
    waited.start();
    QHash<QString, QDateTime> foreign;
    while (waited.elapsed() < timeoutMs) {
        for (const QFileInfo& found : folder.entryInfoList({QStringLiteral("*-job_*.pdf")}, QDir::Files)) {
            const QDateTime written = found.lastModified();
            if (written < since || foreign.value(found.filePath()) == written)
                continue;
            QFile file(found.filePath());
            if (!file.open(QIODevice::ReadOnly) || file.size() < 64 || !file.seek(file.size() - 32) ||
                !file.readAll().contains("%%EOF"))
                continue;
            if (pdfLayoutText(found.filePath()).contains(marker))
                return found.filePath();
            foreign.insert(found.filePath(), written);
        }
        QCoreApplication::processEvents();
        QThread::msleep(200);
    }
    return {};
}

} // namespace lichuan::test
