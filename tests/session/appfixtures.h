#pragma once
// Fake drive roots and quick database files for the start-up, backup and settings tests.

#include "data/engine.h"
#include "data/schema.h"
#include "session/platform.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace lichuan::test {

// A temporary machine: c: and the share mount roots are folders inside one temporary directory; d: is
// only named (tests create it when they need it).
struct FakeMachine {
    QTemporaryDir dir;
    Platform platform;

    FakeMachine() {
        platform.driveC = path(QStringLiteral("c"));
        platform.driveD = path(QStringLiteral("d"));
        platform.shareMountRoots = {path(QStringLiteral("mnt")), path(QStringLiteral("gvfs"))};
        platform.machineId = QStringLiteral("0123456789abcdef0123456789abcdef");
        platform.defaultPrinter = QStringLiteral("前台打印机");
        QDir().mkpath(platform.driveC);
        for (const QString& root : platform.shareMountRoots)
            QDir().mkpath(root);
    }
    QString path(const QString& relative) const { return dir.filePath(relative); }
};

inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A keyed main database with its tables and one settings row holding `password`.
inline void makeMainFile(const QString& path, const QString& password) {
    QDir().mkpath(QFileInfo(path).path());
    auto db = createDatabase(path);
    QVERIFY(db);
    schema::createMain(*db);
    Statement insert(*db, QStringLiteral("insert into [设置]([密码], [单位名称]) values(?, ?)"));
    insert.bind(1, password).bind(2, QStringLiteral("样本诊所"));
    insert.run();
}

inline void makeStatsFile(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    auto db = createDatabase(path);
    QVERIFY(db);
    schema::createStatistics(*db);
}

inline qint64 countRows(const Database& db, const QString& table) {
    Statement count(db, QStringLiteral("select count(*) from ") + quoted(table));
    return count.next() ? count.integer(0) : -1;
}

} // namespace lichuan::test
