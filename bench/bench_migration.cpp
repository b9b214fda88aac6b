// Moving a clinic onto its server: 200,000 prescriptions, 20,000 catalog items and 20,000 patients copied
// from the two files into an empty server database, as lichuan-migrate does it. The argument is the number
// of statistics lines per prescription (0 here: 15 would make 3,000,000 of them, and writing those files
// first takes many minutes). And the daily backup of such a server: its main tables copied into a new file,
// page by page in rowid order.
//
// The server: the address in LICHUAN_BENCH_SERVER (postgresql://…, a database the benchmark may create
// schemas in) when set; otherwise the benchmark starts a throwaway cluster of its own with
// tests/server/pgcluster.sh under /tmp (as the tests do: Unix socket, fsync off) and removes it at the end.

#include "benchsupport.h"
#include "data/dates.h"
#include "data/engine.h"
#include "data/prescriptions.h"
#include "data/schema.h"
#include "data/transfer.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>

using namespace lichuan;

namespace {

constexpr int kPrescriptions = 200000;
constexpr int kCatalogItems = 20000;
constexpr int kPatients = 20000;

class Server {
public:
    Server() {
        address_ = qEnvironmentVariable("LICHUAN_BENCH_SERVER");
        if (!address_.isEmpty())
            return;
        cluster_ = QStringLiteral("/tmp/lichuan-bench-pg-%1").arg(QCoreApplication::applicationPid());
        if (script(QStringLiteral("start")) != 0)
            qFatal("the benchmark cluster did not start");
        address_ = QStringLiteral("postgresql:///lichuan_test?host=%1&user=postgres").arg(cluster_);
    }
    ~Server() {
        if (!cluster_.isEmpty())
            script(QStringLiteral("stop"));
    }
    const QString& address() const { return address_; }

private:
    int script(const QString& action) const {
        return QProcess::execute(QStringLiteral("sh"),
                                 {QStringLiteral(LICHUAN_CLUSTER_SCRIPT), action, cluster_});
    }
    QString address_;
    QString cluster_;
};

Server* running = nullptr;

Server& server() {
    return *running;
}

// The two files of a clinic after years of use.
struct ClinicFiles {
    QTemporaryDir dir;
    std::unique_ptr<Database> main;
    std::unique_ptr<Database> statistics;

    explicit ClinicFiles(int linesPerPrescription) {
        bench::ClinicDatabases files = bench::createClinicDatabases(QDir(dir.path()));
        main = std::move(files.main);
        statistics = std::move(files.statistics);
        std::mt19937 random(7);
        Transaction mainTransaction(*main);
        Transaction statisticsTransaction(*statistics);
        main->exec(QStringLiteral("insert into [设置]([密码], [单位名称]) values('888', '样本诊所')"));
        Statement item(*main,
                       QStringLiteral("insert into [商品]([ID号],[查询],[用法],[名称],[拼音],[单位],"
                                      "[常用量],[单价],[分类],[斗位]) values(?,?,?,?,?,'g','10','0.050',"
                                      "'中药',?)"));
        for (int i = 0; i < kCatalogItems; ++i) {
            const QString name = bench::randomName(random, 2, 4) + QString::number(i);
            const QString initials = bench::initialsOf(name);
            item.reset();
            item.bind(1, QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0')))
                .bind(2, initials + QLatin1Char(' ') + bench::digitsOf(initials))
                .bind(3, QStringLiteral("先煎"))
                .bind(4, name)
                .bind(5, initials)
                .bind(6, QStringLiteral("A%1").arg(i % 400));
            item.run();
        }
        Statement patient(*main,
                          QStringLiteral("insert into [患者信息]([序号],[姓名],[性别],[年龄],[电话],[住址]) "
                                         "values(?,?,'女','38岁','13900000000','西街8号')"));
        QStringList names;
        for (int i = 0; i < kPatients; ++i) {
            names << bench::randomName(random, 2, 3);
            patient.reset();
            patient.bind(1, QStringLiteral("P%1").arg(i)).bind(2, names.last());
            patient.run();
        }
        Statement row(*main,
                      QStringLiteral("insert into [档案]([序号],[0],[1],[2],[3],[4],[5],[6],[7],[8],[9],[11],"
                                     "[12],[14],[T1],[类别],[发药],[计价],[病历]) "
                                     "values(?,?,'男','45岁','中医科','东街3号',?,'感冒','王医师','李药师',"
                                     "'25.20','13800000000',?,'自费',?,'中','已发药',?,'')"));
        Statement line(
            *statistics,
            QStringLiteral("insert into [统计]([ID号],[名称],[数量],[单位],[单价],[金额],"
                           "[斗位],[分类],[日期]) values(?,?,'18','g','0.050','0.900','A1','中药',?)"));
        const QDate first(2014, 7, 1);
        std::uniform_int_distribution<int> who(0, kPatients - 1);
        for (int i = 0; i < kPrescriptions; ++i) {
            const QDate date = first.addDays(3650LL * i / kPrescriptions);
            const QString key = QStringLiteral("%1%2A")
                                    .arg(date.toString(QStringLiteral("yyyyMMdd")))
                                    .arg(i, 6, 10, QLatin1Char('0'));
            QString items;
            QString pricing;
            QStringList herbs;
            for (int k = 0; k < 15; ++k) {
                herbs << bench::randomName(random, 2, 3);
                items += herbs.last() + QStringLiteral("10g    ");
                pricing += herbs.last() + QStringLiteral("\t18\tg\t0.050\t0.900\tA1\t中药\n");
            }
            row.reset();
            row.bind(1, key)
                .bind(2, names.at(who(random)))
                .bind(3, dates::format(date))
                .bind(4, key.left(14))
                .bind(5, items)
                .bind(6, pricing);
            row.run();
            for (int k = 0; k < linesPerPrescription; ++k) {
                line.reset();
                line.bind(1, key).bind(2, herbs.at(k)).bind(3, dates::format(date));
                line.run();
            }
        }
        statisticsTransaction.commit();
        mainTransaction.commit();
    }
};

ClinicFiles& files(int linesPerPrescription) {
    static std::map<int, std::unique_ptr<ClinicFiles>> made;
    auto& slot = made[linesPerPrescription];
    if (!slot)
        slot = std::make_unique<ClinicFiles>(linesPerPrescription);
    return *slot;
}

void BM_MigrateClinicToServer(benchmark::State& state) {
    ClinicFiles& clinic = files(int(state.range(0)));
    static int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString schema =
            QStringLiteral("bench_%1_%2").arg(QCoreApplication::applicationPid()).arg(++round);
        {
            auto admin = Database::connect(server().address());
            if (!admin)
                qFatal("no server at %s", qPrintable(server().address()));
            admin->execNative(QStringLiteral("CREATE SCHEMA \"%1\"").arg(schema));
        }
        auto target = Database::connect(server().address(), schema);
        state.ResumeTiming();
        const transfer::TableCounts counts =
            transfer::copyFilesToServer(*clinic.main, *clinic.statistics, *target);
        state.PauseTiming();
        qint64 rows = 0;
        for (const auto& entry : counts)
            rows += entry.second;
        state.counters["rows"] = double(rows);
        target.reset();
        Database::connect(server().address())
            ->execNative(QStringLiteral("DROP SCHEMA \"%1\" CASCADE").arg(schema));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MigrateClinicToServer)->Arg(0)->Unit(benchmark::kSecond)->Iterations(1);

void BM_BackUpServerToFile(benchmark::State& state) {
    ClinicFiles& clinic = files(0);
    const QString schema = QStringLiteral("bench_%1_backup").arg(QCoreApplication::applicationPid());
    {
        auto admin = Database::connect(server().address());
        if (!admin)
            qFatal("no server at %s", qPrintable(server().address()));
        admin->execNative(QStringLiteral("CREATE SCHEMA \"%1\"").arg(schema));
    }
    auto source = Database::connect(server().address(), schema);
    transfer::copyFilesToServer(*clinic.main, *clinic.statistics, *source);
    source->execNative(QStringLiteral("ANALYZE"));
    QTemporaryDir folder;
    int round = 0;
    for (auto _ : state) {
        const QString target = folder.filePath(QStringLiteral("backup%1.dat").arg(++round));
        const std::map<QString, qint64> counts = transfer::copyServerToFile(*source, target, databaseKey());
        state.counters["rows"] = double(counts.at(schema::kArchive));
    }
    source.reset();
    Database::connect(server().address())
        ->execNative(QStringLiteral("DROP SCHEMA \"%1\" CASCADE").arg(schema));
}
BENCHMARK(BM_BackUpServerToFile)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Server instance;
    running = &instance;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
