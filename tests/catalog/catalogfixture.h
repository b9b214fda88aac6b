#pragma once
// A main database with the default rows in a temporary folder, for the catalog's tests.

#include "data/defaults.h"
#include "data/engine.h"
#include "data/schema.h"
#include "testsupport.h"

#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace lichuan::test {

struct CatalogDatabase {
    explicit CatalogDatabase(const QDateTime& now = QDateTime(QDate(2024, 3, 1), QTime(9, 30, 0))) {
        db = createDatabase(dir.filePath(QStringLiteral("数据库.dat")));
        schema::createMain(*db);
        defaults::fillMain(*db, now);
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    std::unique_ptr<Database> db;
};

inline QString fixture(const QString& name) {
    return QStringLiteral(LICHUAN_TEST_DATA) + QLatin1Char('/') + name;
}

} // namespace lichuan::test
