// The same data functions on both engines in one run: history by a name part over 200,000 prescriptions,
// save, reload and settle of one prescription, and a keystroke in the catalog's search box over 20,000 items,
// on the encrypted files and on a PostgreSQL server.
//
// The server is the empty database that LICHUAN_BENCH_SERVER names (a postgresql:// address) or, without it,
// a throwaway cluster that this program starts in /tmp with tests/server/pgcluster.sh and removes at the end
// (PostgreSQL's server programs must be installed; as root the cluster runs as the postgres user).

#include "benchsupport.h"
#include "data/catalog.h"
#include "data/dates.h"
#include "data/engine.h"
#include "data/engine_server.h"
#include "data/prescriptions.h"
#include "data/schema.h"
#include "data/serverdatabase.h"

#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>

using namespace lichuan;

namespace {

constexpr int kPrescriptions = 200000;
constexpr int kLinesPerPrescription = 5;
constexpr int kPatients = 20000;
constexpr int kCatalogItems = 20000;
const QDate kToday(2024, 6, 30);
const QString kHerbs = QStringLiteral("中药");
const char* const kClusterFolder = "/tmp/lichuan-bench-engines";

enum Engine { kFiles = 0, kServer = 1 };

using Row = std::vector<std::optional<QString>>;

const QStringList kArchiveColumns{
    QStringLiteral("序号"), QStringLiteral("0"),    QStringLiteral("1"),   QStringLiteral("2"),
    QStringLiteral("3"),    QStringLiteral("4"),    QStringLiteral("5"),   QStringLiteral("6"),
    QStringLiteral("7"),    QStringLiteral("8"),    QStringLiteral("9"),   QStringLiteral("11"),
    QStringLiteral("12"),   QStringLiteral("14"),   QStringLiteral("T1"),  QStringLiteral("类别"),
    QStringLiteral("发药"), QStringLiteral("计价"), QStringLiteral("病历")};
const QStringList kLineColumns{QStringLiteral("ID号"), QStringLiteral("名称"), QStringLiteral("数量"),
                               QStringLiteral("单位"), QStringLiteral("单价"), QStringLiteral("金额"),
                               QStringLiteral("斗位"), QStringLiteral("分类"), QStringLiteral("日期")};
const QStringList kCatalogColumns{QStringLiteral("ID号"), QStringLiteral("名称"), QStringLiteral("查询"),
                                  QStringLiteral("拼音"), QStringLiteral("单位"), QStringLiteral("常用量"),
                                  QStringLiteral("单价"), QStringLiteral("分类"), QStringLiteral("斗位"),
                                  QStringLiteral("用法")};

// Every row of the benchmark's data, made once and written into both engines.
struct Rows {
    std::vector<Row> archive;
    std::vector<Row> lines;
    std::vector<Row> catalog;
    QString sampleKey;
    QString sampleName;

    Rows() {
        std::mt19937 random(11);
        QStringList patients;
        for (int i = 0; i < kPatients; ++i)
            patients << bench::randomName(random, 2, 3);
        const QDate first = kToday.addYears(-10);
        const qint64 days = first.daysTo(kToday);
        std::uniform_int_distribution<int> patient(0, kPatients - 1);
        QSet<QString> keys;
        for (int i = 0; i < kPrescriptions; ++i) {
            const QDate date = first.addDays(days * i / (kPrescriptions - 1));
            const QString key = QStringLiteral("%1%2A")
                                    .arg(date.toString(QStringLiteral("yyyyMMdd")))
                                    .arg(i % 1000000, 6, 10, QLatin1Char('0'));
            const QString name = patients.at(patient(random));
            QString items;
            PricedLines priced;
            for (int l = 0; l < kLinesPerPrescription; ++l) {
                const QString herb = bench::randomName(random, 2, 3);
                items += herb + QStringLiteral("10g    ");
                priced[std::size_t(l)] = PricedLine{herb,
                                                    QStringLiteral("60"),
                                                    QStringLiteral("g"),
                                                    QStringLiteral("0.050"),
                                                    QStringLiteral("3.000"),
                                                    QStringLiteral("A1"),
                                                    kHerbs};
                lines.push_back({key, herb, QStringLiteral("60"), QStringLiteral("g"),
                                 QStringLiteral("0.050"), QStringLiteral("3.000"), QStringLiteral("A1"),
                                 kHerbs, dates::format(date)});
            }
            archive.push_back({key, name, QStringLiteral("男"), QStringLiteral("45岁"),
                               QStringLiteral("中医科"), QStringLiteral("东街3号"), dates::format(date),
                               QStringLiteral("感冒"), QStringLiteral("王医师"), QStringLiteral("李药师"),
                               QStringLiteral("15.00"), QStringLiteral("13800000000"), key.left(14),
                               QStringLiteral("自费"), items, QStringLiteral("中"), QString(kSettledMarker),
                               pricingText(priced), QStringLiteral("")});
            sampleKey = key;
            sampleName = name;
        }
        for (int i = 0; i < kCatalogItems; ++i) {
            const QString name = bench::randomName(random, 2, 4) + QString::number(i);
            catalog.push_back({QStringLiteral("C%1").arg(i, 6, 10, QLatin1Char('0')), name,
                               name + bench::initialsOf(name), bench::initialsOf(name), QStringLiteral("g"),
                               QStringLiteral("10"), QStringLiteral("0.05"), kHerbs, QStringLiteral("A1"),
                               QStringLiteral("")});
        }
    }
};

void insertRows(Database& db, const QString& table, const QStringList& columns,
                const std::vector<Row>& rows) {
    QStringList names;
    QStringList marks;
    for (const QString& column : columns) {
        names << quoted(column);
        marks << QStringLiteral("?");
    }
    Statement insert(db, QStringLiteral("insert into %1 (%2) values (%3)")
                             .arg(quoted(table), names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    for (const Row& row : rows) {
        insert.reset();
        for (std::size_t i = 0; i < row.size(); ++i)
            insert.bind(int(i) + 1, row[i] ? *row[i] : QString());
        insert.run();
    }
}

void copyRows(Database& db, const QString& table, const QStringList& columns, const std::vector<Row>& rows) {
    auto& server = dynamic_cast<detail::ServerConnection&>(db.connection());
    std::size_t next = 0;
    server.copyIn(table, columns, [&](Row& row) {
        if (next == rows.size())
            return false;
        row = rows[next++];
        return true;
    });
}

struct Engines {
    QTemporaryDir dir;
    bool ownCluster = false;
    std::unique_ptr<Database> main[2];
    std::unique_ptr<Database> statistics[2];
    Rows rows;

    Engines() {
        main[kFiles] = Database::open(dir.filePath(QStringLiteral("数据库.dat")), databaseKey(),
                                      Database::OpenMode::CreateNew);
        statistics[kFiles] = Database::open(dir.filePath(QStringLiteral("用药统计.dat")), databaseKey(),
                                            Database::OpenMode::CreateNew);
        schema::createMain(*main[kFiles]);
        schema::createStatistics(*statistics[kFiles]);
        {
            Transaction m(*main[kFiles]);
            Transaction s(*statistics[kFiles]);
            insertRows(*main[kFiles], schema::kArchive, kArchiveColumns, rows.archive);
            insertRows(*main[kFiles], schema::kCatalog, kCatalogColumns, rows.catalog);
            insertRows(*statistics[kFiles], schema::kStatistics, kLineColumns, rows.lines);
            s.commit();
            m.commit();
        }

        QString address = qEnvironmentVariable("LICHUAN_BENCH_SERVER");
        if (address.isEmpty()) {
            ownCluster = true;
            cluster("start");
            address = QStringLiteral("postgresql:///lichuan_test?host=%1&user=postgres").arg(kClusterFolder);
        }
        QString error;
        main[kServer] = Database::connect(address, QString(), &error);
        if (!main[kServer])
            qFatal("no server: %s", qPrintable(error));
        const QString problem = prepareServerDatabase(*main[kServer], QDateTime(kToday, QTime(8, 0)));
        if (!problem.isEmpty())
            qFatal("server not ready: %s", qPrintable(problem));
        statistics[kServer] = Database::connect(address);
        main[kServer]->exec(QStringLiteral("delete from [商品]"));
        copyRows(*main[kServer], schema::kArchive, kArchiveColumns, rows.archive);
        copyRows(*main[kServer], schema::kCatalog, kCatalogColumns, rows.catalog);
        copyRows(*statistics[kServer], schema::kStatistics, kLineColumns, rows.lines);
        // As autovacuum leaves a database that has been in use for a while.
        main[kServer]->execNative(QStringLiteral("VACUUM ANALYZE"));
    }
    ~Engines() {
        main[kServer].reset();
        statistics[kServer].reset();
        if (ownCluster)
            cluster("stop");
    }

    static void cluster(const char* action) {
        QProcess script;
        script.start(QStringLiteral("sh"),
                     {QStringLiteral(LICHUAN_CLUSTER_SCRIPT), QString::fromLatin1(action),
                      QString::fromLatin1(kClusterFolder)});
        if (!script.waitForFinished(120000) || script.exitCode() != 0)
            qFatal("the benchmark cluster did not %s: %s", action, script.readAllStandardError().constData());
    }
};

Engines& engines() {
    static Engines instance;
    return instance;
}

void BM_History(benchmark::State& state, Engine engine, int nameLength) {
    Engines& e = engines();
    const QString filter = e.rows.sampleName.left(nameLength);
    const QString from = dates::format(kToday.addYears(-10));
    const QString to = dates::format(kToday);
    std::size_t found = 0;
    for (auto _ : state) {
        found = queryHistory(*e.main[engine], filter, from, to).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["rows"] = double(found);
}

// Saves the sample again with another diagnosis each time (so that each save writes its log line), and
// reloads it.
void saveAndReload(benchmark::State& state, Database& main, const QString& key) {
    SheetRecord sheet = *loadPrescription(main, key);
    for (auto _ : state) {
        sheet.fields[kDiagnosis] = sheet.fields[kDiagnosis] == QStringLiteral("感冒")
                                       ? QStringLiteral("咳嗽")
                                       : QStringLiteral("感冒");
        const SaveOutcome outcome = savePrescription(main, sheet, false, kToday);
        if (!outcome.saved)
            state.SkipWithError(qPrintable(outcome.error));
        benchmark::DoNotOptimize(loadPrescription(main, sheet.key));
    }
}

void BM_SaveAndReload(benchmark::State& state, Engine engine) {
    Engines& e = engines();
    saveAndReload(state, *e.main[engine], e.rows.sampleKey);
}

// The same on the files as they were before the log of changes: a connection of its own that does not see
// the log table, renamed for the while.
void BM_SaveAndReloadWithoutTheLog(benchmark::State& state) {
    Engines& e = engines();
    auto main = Database::open(e.main[kFiles]->path(), databaseKey(), Database::OpenMode::ExistingOnly);
    main->exec(QStringLiteral("alter table [操作记录] rename to [操作记录之前]"));
    saveAndReload(state, *main, e.rows.sampleKey);
    main->exec(QStringLiteral("alter table [操作记录之前] rename to [操作记录]"));
}

void BM_Reload(benchmark::State& state, Engine engine) {
    Engines& e = engines();
    for (auto _ : state)
        benchmark::DoNotOptimize(loadPrescription(*e.main[engine], e.rows.sampleKey));
}

void BM_Settle(benchmark::State& state, Engine engine) {
    Engines& e = engines();
    const std::optional<SheetRecord> sheet = loadPrescription(*e.main[engine], e.rows.sampleKey);
    for (auto _ : state) {
        if (!replaceStatistics(*e.statistics[engine], e.rows.sampleKey, kToday, sheet->lines))
            state.SkipWithError("replaceStatistics failed");
    }
}

// Typing into the search box once the category has been read: "g", "gz", "gzt", … and back.
void BM_CatalogKeystroke(benchmark::State& state, Engine engine) {
    Engines& e = engines();
    const Database& db = *e.main[engine];
    const QStringList typed{QStringLiteral("g"), QStringLiteral("gz"), QStringLiteral("gzt"),
                            QStringLiteral("gz")};
    benchmark::DoNotOptimize(searchCatalog(db, kHerbs, typed.first()));
    auto* server = dynamic_cast<detail::ServerConnection*>(&db.connection());
    const qint64 before = server ? server->roundTrips() : 0;
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(searchCatalog(db, kHerbs, typed.at(i++ % typed.size())));
    if (server)
        state.counters["round_trips_per_key"] =
            double(server->roundTrips() - before) / double(state.iterations());
}

} // namespace

BENCHMARK_CAPTURE(BM_History, files_full_name, kFiles, 3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_History, server_full_name, kServer, 3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_History, files_one_character, kFiles, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_History, server_one_character, kServer, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveAndReload, files, kFiles)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveAndReload, server, kServer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveAndReloadWithoutTheLog)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Reload, files, kFiles)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Reload, server, kServer)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Settle, files, kFiles)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Settle, server, kServer)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CatalogKeystroke, files, kFiles)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CatalogKeystroke, server, kServer)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
