#pragma once
// Helpers shared by the test programs: a fresh data folder per test and quick database files. A data test
// runs on the server engine when LICHUAN_TEST_SERVER names a server (CTest sets it for the second run of
// each data test): a database "file" is then a schema of its own on that server, one per folder.

#include "data/engine.h"
#include "session/filechooser.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace lichuan::test {

// The file chooser of the tests: hands out the prepared `answers` in order, then asks `answer` (when set),
// and remembers what was asked. An empty answer is a cancel.
class ScriptedFileChooser final : public FileChooser {
public:
    QString openFile(QWidget*, const QString& title, const QString& filter, const QString& folder) override {
        return next(title, filter, folder);
    }
    QString saveFile(QWidget*, const QString& title, const QString& filter, const QString& folder) override {
        return next(title, filter, folder);
    }
    QString openFolder(QWidget*, const QString& title, const QString& folder) override {
        return next(title, QString(), folder);
    }
    QStringList answers;
    std::function<QString()> answer;
    QStringList asked; // "title|filter|folder" of every question

private:
    QString next(const QString& title, const QString& filter, const QString& folder) {
        asked << title + QLatin1Char('|') + filter + QLatin1Char('|') + folder;
        if (!answers.isEmpty())
            return answers.takeFirst();
        return answer ? answer() : QString();
    }
};

// The first 16 bytes of a file.
inline QByteArray fileHeader(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(16);
}

inline QString testServer() {
    return qEnvironmentVariable("LICHUAN_TEST_SERVER");
}

inline bool onServer() {
    return !testServer().isEmpty();
}

// The server schema that stands for the database at `path`: the two databases of a data folder (数据库.dat
// and 用药统计.dat) share one, as they share one server database; any other file has its own.
inline QString schemaFor(const QString& path) {
    const QFileInfo info(path);
    QByteArray folder = info.absolutePath().toUtf8();
    if (info.fileName() != QStringLiteral("数据库.dat") && info.fileName() != QStringLiteral("用药统计.dat"))
        folder += '/' + info.fileName().toUtf8();
    return QStringLiteral("t_") +
           QString::fromLatin1(QCryptographicHash::hash(folder, QCryptographicHash::Md5).toHex().left(20));
}

// A connection to the database at `path`, which exists.
inline std::unique_ptr<Database> openDatabase(const QString& path) {
    if (onServer())
        return Database::connect(testServer(), schemaFor(path));
    return Database::open(path, databaseKey(), Database::OpenMode::ExistingOnly);
}

inline std::unique_ptr<Database> createDatabase(const QString& path) {
    if (!onServer())
        return Database::open(path, databaseKey(), Database::OpenMode::CreateNew);
    const QString schema = schemaFor(path);
    {
        QString error;
        auto admin = Database::connect(testServer(), QString(), &error);
        if (!admin)
            qFatal("no test server: %s", qPrintable(error));
        // A new main database (or any lone one) starts from an empty schema, as a new file starts empty;
        // the statistics database joins the schema of its folder's main database.
        const bool joins = QFileInfo(path).fileName() == QStringLiteral("用药统计.dat");
        admin->execNative(
            joins ? QStringLiteral("CREATE SCHEMA IF NOT EXISTS \"%1\"").arg(schema)
                  : QStringLiteral("DROP SCHEMA IF EXISTS \"%1\" CASCADE; CREATE SCHEMA \"%1\"").arg(schema));
    }
    // The marker file lets a test that checks for the file find it.
    QFile marker(path);
    if (marker.open(QIODevice::WriteOnly))
        marker.close();
    return Database::connect(testServer(), schema);
}

// Makes `db` refuse every `event` (INSERT, DELETE) on `table` whose row meets `condition` (always when
// empty), as a full disk or a broken file would: the write fails with `message`. With `wholeTransaction` the
// file engine rolls the transaction back too (the server always does).
inline void refuseWrites(Database& db, const QString& event, const QString& table,
                         const QString& condition = QString(),
                         const QString& message = QStringLiteral("refused"), bool wholeTransaction = false) {
    static int count = 0;
    const QString name = QStringLiteral("refuse_%1").arg(++count);
    if (db.engine() == Database::Engine::File) {
        db.exec(QStringLiteral("CREATE TRIGGER [%1] BEFORE %2 ON [%3] %4 BEGIN SELECT RAISE(%5, '%6'); END")
                    .arg(name, event, table,
                         condition.isEmpty() ? QString() : QStringLiteral("WHEN ") + condition,
                         wholeTransaction ? QStringLiteral("ROLLBACK") : QStringLiteral("ABORT"), message));
        return;
    }
    QString test = condition.isEmpty() ? QStringLiteral("true") : condition;
    test.replace(QLatin1Char('['), QLatin1Char('"')).replace(QLatin1Char(']'), QLatin1Char('"'));
    db.execNative(QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $f$ BEGIN "
                                 "IF %2 THEN RAISE EXCEPTION '%5'; END IF; "
                                 "IF TG_OP = 'DELETE' THEN RETURN OLD; END IF; RETURN NEW; END $f$;"
                                 "CREATE TRIGGER %1 BEFORE %3 ON \"%4\" FOR EACH ROW EXECUTE FUNCTION %1()")
                      .arg(name, test, event, table, message));
}

} // namespace lichuan::test
