#pragma once
// Helpers shared by the test programs: a fresh data folder per test and quick database files.

#include "data/engine.h"

#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace lichuan::test {

// The first 16 bytes of a file.
inline QByteArray fileHeader(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(16);
}

inline std::unique_ptr<Database> createDatabase(const QString& path) {
    return Database::open(path, databaseKey(), Database::OpenMode::CreateNew);
}

} // namespace lichuan::test
