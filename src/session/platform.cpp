#include "session/platform.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <unistd.h>

namespace lichuan {

namespace {

const QString kShareName = QStringLiteral("中医处方数据库");

// The first line of a small system file, trimmed; empty when the file is missing or unreadable.
QString firstLineOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readLine(256)).trimmed();
}

} // namespace

Platform Platform::system() {
    Platform platform;
    platform.driveC = QDir::homePath();
    platform.shareMountRoots = {QStringLiteral("/mnt"), QStringLiteral("/run/user/%1/gvfs").arg(getuid())};
    for (const char* path : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
        platform.machineId = firstLineOf(QString::fromLatin1(path));
        if (!platform.machineId.isEmpty())
            break;
    }
    if (platform.machineId.isEmpty())
        platform.machineId = QSysInfo::machineHostName();
    return platform;
}

QStringList shareFolderCandidates(const Platform& platform, const QString& computerName) {
    if (computerName.isEmpty())
        return {};
    if (QDir::isAbsolutePath(computerName))
        return {QDir::cleanPath(computerName)};
    // A computer name is one path segment; anything else would reach outside the mount roots.
    if (computerName.contains(QLatin1Char('/')) || computerName == QLatin1String(".") ||
        computerName == QLatin1String(".."))
        return {};
    QStringList candidates;
    for (const QString& root : platform.shareMountRoots)
        candidates << QDir::cleanPath(root + QLatin1Char('/') + computerName + QLatin1Char('/') + kShareName);
    for (const QString& root : platform.shareMountRoots)
        candidates << QDir::cleanPath(root + QStringLiteral("/smb-share:server=") + computerName +
                                      QStringLiteral(",share=") + kShareName);
    return candidates;
}

QString stationSuffixFor(const QString& machineId) {
    const QByteArray digest = QCryptographicHash::hash(
        QByteArrayLiteral("lichuan-station:") + machineId.toUtf8(), QCryptographicHash::Sha256);
    quint64 number = 0;
    for (int i = 0; i < 8; ++i)
        number = (number << 8) | static_cast<unsigned char>(digest.at(i));
    // Five base-36 digits: about 60 million different suffixes.
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    QString suffix;
    for (int i = 0; i < 5; ++i) {
        suffix.prepend(QLatin1Char(kDigits[number % 36]));
        number /= 36;
    }
    return suffix;
}

} // namespace lichuan
