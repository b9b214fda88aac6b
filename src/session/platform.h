#pragma once
// Where the program finds its folders on this machine: what stands for drives c: and d:, where network
// shares are mounted, and what identifies the installation.

#include <QString>
#include <QStringList>

namespace lichuan {

struct Platform {
    QString driveC;              // root that stands for drive c: (the user's home folder)
    QString driveD;              // root that stands for drive d: (empty: there is none)
    QStringList shareMountRoots; // folders under which another computer's shares appear
    QString machineId;           // a text that is stable for this installation and differs between computers
    QString defaultPrinter;      // the system's default printer now

    // This machine: c: is the home folder, no d:, shares under /mnt/<name> and the desktop's SMB mounts.
    static Platform system();
};

// The folder of the share 中医处方数据库 of another computer, for each place it may be mounted. A name that
// is an absolute folder path names the shared folder directly.
QStringList shareFolderCandidates(const Platform& platform, const QString& computerName);

// A short text of letters and digits derived from the installation, put after the 14 digits of every
// record key so that two computers of one clinic never make the same key.
QString stationSuffixFor(const QString& machineId);

} // namespace lichuan
