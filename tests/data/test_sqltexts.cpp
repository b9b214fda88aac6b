// Every SQL text of the data layer: each translates to the server's form and, on the server, prepares
// against the program's tables (a column, function or type the server does not know shows here, not at a
// clinic); no data function runs a text that is not listed. The reads over years of rows walk their
// indexes on either engine: the log, the history and the backup's pages.

#include "data/engine.h"
#include "data/schema.h"
#include "data/sqltexts.h"
#include "data/sqltranslate.h"
#include "testsupport.h"

#include <QDir>
#include <QRegularExpression>
#include <QtTest>
#include <libpq-fe.h>
#include <limits>

using namespace lichuan;

namespace {

// The listed text that holds every one of `parts`.
QString listedText(const QStringList& parts) {
    for (const sql::Text::Listed& listed : sql::Text::all()) {
        bool all = true;
        for (const QString& part : parts)
            all = all && listed.text.contains(part);
        if (all)
            return listed.text;
    }
    return {};
}

// The plan the engine makes for `text` with `values` (integers bound as such).
QString planOf(const Database& db, const QString& text, const QStringList& values) {
    const bool server = db.engine() == Database::Engine::Server;
    Statement explain(db,
                      (server ? QStringLiteral("explain ") : QStringLiteral("explain query plan ")) + text);
    for (int i = 0; i < values.size(); ++i) {
        bool number = false;
        const qint64 integer = values[i].toLongLong(&number);
        if (number)
            explain.bind(i + 1, integer);
        else
            explain.bind(i + 1, values[i]);
    }
    QStringList lines;
    while (explain.next())
        lines << explain.text(server ? 0 : 3);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class TestSqlTexts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyTextTranslatesAndPrepares();
    void noDataFunctionRunsAnUnlistedText();
    void longReadsWalkTheirIndexes_data();
    void longReadsWalkTheirIndexes();

private:
    QTemporaryDir dir_;
    std::unique_ptr<Database> clinic_; // two years of prescriptions
    std::unique_ptr<Database> statistics_;
};

void TestSqlTexts::initTestCase() {
    clinic_ = test::createDatabase(dir_.filePath(QStringLiteral("数据库.dat")));
    schema::createMain(*clinic_);
    statistics_ = test::createDatabase(dir_.filePath(QStringLiteral("用药统计.dat")));
    schema::createStatistics(*statistics_);
    // Two years of a clinic: 20,000 prescriptions of 2,000 patients.
    Transaction transaction(*clinic_);
    Statement insert(*clinic_, QStringLiteral("insert into [档案]([序号],[0],[5],[1]) values(?,?,?,'男')"));
    const QDate first(2023, 1, 1);
    for (int i = 0; i < 20000; ++i) {
        const QDate day = first.addDays(i * 730 / 20000);
        insert.reset();
        insert
            .bind(1, day.toString(QStringLiteral("yyyyMMdd")) +
                         QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')))
            .bind(2, QStringLiteral("病人%1").arg(i % 2000))
            .bind(3, day.toString(Qt::ISODate));
        insert.run();
    }
    transaction.commit();
    clinic_->execNative(QStringLiteral("ANALYZE"));
}

void TestSqlTexts::everyTextTranslatesAndPrepares() {
    const std::vector<sql::Text::Listed> texts = sql::Text::all();
    // Every file of the data layer is linked in (the test links the whole library).
    QVERIFY2(texts.size() > 100, qPrintable(QString::number(texts.size())));
    PGconn* server = nullptr;
    if (test::onServer()) {
        server = PQconnectdb(test::testServer().toUtf8().constData());
        QVERIFY2(PQstatus(server) == CONNECTION_OK, PQerrorMessage(server));
        const QString schema = test::schemaFor(dir_.filePath(QStringLiteral("数据库.dat")));
        PQclear(PQexec(server, QStringLiteral("SET search_path TO \"%1\"").arg(schema).toUtf8().constData()));
    }
    QStringList failures;
    int prepared = 0;
    for (const sql::Text::Listed& listed : texts) {
        if (listed.engines == sql::Text::Engines::FileOnly)
            continue;
        QString translated;
        try {
            translated = sql::serverSql(listed.text).text;
        } catch (const DbError& error) {
            failures << error.message();
            continue;
        }
        if (!server)
            continue;
        // Preparing plans nothing and changes nothing, but the server checks every name and type.
        PGresult* result = PQprepare(server, "", translated.toUtf8().constData(), 0, nullptr);
        if (PQresultStatus(result) != PGRES_COMMAND_OK) {
            failures << listed.text + QStringLiteral("\n  → ") + translated + QStringLiteral("\n  ") +
                            QString::fromUtf8(PQresultErrorMessage(result));
        }
        PQclear(result);
        ++prepared;
    }
    PQfinish(server);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    if (test::onServer())
        qInfo("%d texts prepared on the server", prepared);
}

void TestSqlTexts::noDataFunctionRunsAnUnlistedText() {
    // A statement or exec of a data function takes a listed text (a constant sql::Text, or one filled
    // in), never SQL written in place. The engines' own protocol texts are theirs.
    static const QRegularExpression inPlace(
        QStringLiteral("(Statement\\s+\\w+\\s*\\(\\s*[^,()]+,|[.>]exec\\()\\s*(QStringLiteral|QLatin1String|"
                       "QString\\b|u?\")"));
    const QDir folder(QStringLiteral(LICHUAN_SOURCE_DIR "/src/data"));
    const QStringList files = folder.entryList({QStringLiteral("*.cpp")}, QDir::Files);
    QVERIFY(files.size() > 20);
    QStringList found;
    for (const QString& name : files) {
        if (name.startsWith(QLatin1String("engine_")))
            continue;
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString source = QString::fromUtf8(file.readAll());
        for (auto it = inPlace.globalMatch(source); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            found << QStringLiteral("%1:%2: %3")
                         .arg(name)
                         .arg(source.left(match.capturedStart()).count(QLatin1Char('\n')) + 1)
                         .arg(match.captured(0));
        }
    }
    QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
}

void TestSqlTexts::longReadsWalkTheirIndexes_data() {
    QTest::addColumn<QStringList>("text"); // parts that find the listed text
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("index");     // on the server; the files name it alike
    QTest::addColumn<bool>("walksInOrder"); // the index gives the order: no sort of the rows read
    const QString minimum = QString::number(std::numeric_limits<qint64>::min());
    QTest::newRow("the log of a month")
        << QStringList{QStringLiteral("[5] between ? and ? order by [序号] limit ?")}
        << QStringList{QStringLiteral("2024-03-01"), QStringLiteral("2024-03-31"), QStringLiteral("30001")}
        << QStringLiteral("档案_日期") << false;
    QTest::newRow("the history of a month")
        << QStringList{QStringLiteral("from [档案] where [5] between ? and ? and [0] is not null")}
        << QStringList{QStringLiteral("2024-03-01"), QStringLiteral("2024-03-31")}
        << QStringLiteral("档案_日期") << false;
    QTest::newRow("the history of a name")
        << QStringList{QStringLiteral("from [档案] where [0] in (?) and [5] between ? and ?")}
        << QStringList{QStringLiteral("病人17"), QStringLiteral("2023-01-01"), QStringLiteral("2024-12-31")}
        << QStringLiteral("档案_姓名") << false;
    QTest::newRow("a page of the backup")
        << QStringList{QStringLiteral("from [档案] where rowid > ? order by rowid limit ?")}
        << QStringList{minimum, QStringLiteral("5000")} << QStringLiteral("档案_pkey") << true;
}

void TestSqlTexts::longReadsWalkTheirIndexes() {
    QFETCH(QStringList, text);
    QFETCH(QStringList, values);
    QFETCH(QString, index);
    QFETCH(bool, walksInOrder);
    const QString listed = listedText(text);
    QVERIFY2(!listed.isEmpty(), qPrintable(text.join(QStringLiteral(" … "))));
    const QString plan = planOf(*clinic_, listed, values);
    const bool server = clinic_->engine() == Database::Engine::Server;
    if (server) {
        QVERIFY2(plan.contains(index) && plan.contains(QLatin1String(" Scan ")), qPrintable(plan));
        if (walksInOrder)
            QVERIFY2(!plan.contains(QLatin1String("Sort")), qPrintable(plan));
    } else {
        const QString fileIndex =
            index.endsWith(QLatin1String("_pkey")) ? QStringLiteral("PRIMARY KEY") : index;
        QVERIFY2(plan.contains(fileIndex), qPrintable(plan));
        if (walksInOrder)
            QVERIFY2(!plan.contains(QLatin1String("ORDER BY")), qPrintable(plan));
    }
}

QTEST_GUILESS_MAIN(TestSqlTexts)
#include "test_sqltexts.moc"
