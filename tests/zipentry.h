#pragma once
// Reading back what a workbook holds: one entry of a zip file (an .xlsx is one). Tests that include it link
// minizip.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <unzip.h>

namespace lichuan::test {

// The bytes of entry `name` of the zip file at `path`; empty when there is no such file or entry.
inline QByteArray zipEntry(const QString& path, const QString& name) {
    unzFile zip = unzOpen64(QFile::encodeName(path).constData());
    QByteArray content;
    if (zip && unzLocateFile(zip, name.toUtf8().constData(), 1) == UNZ_OK &&
        unzOpenCurrentFile(zip) == UNZ_OK) {
        char buffer[4096];
        int got = 0;
        while ((got = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0)
            content.append(buffer, got);
        unzCloseCurrentFile(zip);
    }
    if (zip)
        unzClose(zip);
    return content;
}

} // namespace lichuan::test
