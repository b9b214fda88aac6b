// What the doctor waits on at the end of a day or a month in a clinic with years of data: the outpatient
// log of 30,000 prescriptions, the takings of a year and a month of drug usage statistics (one grouped
// query against the name-by-name queries). The files hold 200,000 prescriptions over ten years and
// 3,000,000 statistics lines over the last five; they take minutes to build, so they are kept in the temp
// folder and used again by the next run.

#include "data/clock.h"
#include "data/dates.h"
#include "data/defaults.h"
#include "data/engine.h"
#include "data/record.h"
#include "data/reports.h"
#include "data/schema.h"
#include "data/textrules.h"
#include "reports/form7.h"
#include "reports/reportexports.h"
#include "reports/reportgrid.h"
#include "session/messages.h"
#include "session/services.h"
#include "session/state.h"
#include "settings/settingsstore.h"
#include "ui/filechooser.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <random>

using namespace lichuan;

namespace {

constexpr int kPrescriptions = 200'000;
constexpr int kStatisticsLines = 3'000'000;
constexpr int kLinesPerSettled = 30;
// The files are built for this day, so that the periods measured lie where the data is.
const QDate kLastDay(2026, 11, 30);
// Changes whenever what the files hold changes, so an old copy is built again.
const QString kFilesVersion = QStringLiteral("reports-v1");

struct ClinicFiles {
    QString folder;
    QString mainPath;
    QString statsPath;
};

QStringList herbNames(const Database& main) {
    QStringList herbs;
    Statement select(main, QStringLiteral("select [名称] from [商品] where [分类] = '中药'"));
    while (select.next())
        herbs << select.text(0)
                     .replace(QLatin1Char('{'), QLatin1Char('['))
                     .replace(QLatin1Char('}'), QLatin1Char(']'));
    return herbs;
}

// 200,000 prescriptions, 55 a day over the ten years before kLastDay, as the sheet saves them.
void fillArchive(Database& main, const QStringList& herbs) {
    const QStringList surnames =
        QStringLiteral("张王李赵刘陈杨黄周吴徐孙马朱胡林郭何高罗").split(QString(), Qt::SkipEmptyParts);
    const QStringList given =
        QStringLiteral("伟芳娜敏静丽强磊军洋勇艳杰涛明超秀霞平刚").split(QString(), Qt::SkipEmptyParts);
    const QStringList diagnoses{QStringLiteral("慢性胃炎"), QStringLiteral("高血压病"),
                                QStringLiteral("上呼吸道感染"), QStringLiteral("消化不良")};
    QString items;
    PricedLines priced;
    for (int i = 0; i < 20; ++i) {
        items += herbs.at(i) + QStringLiteral(" 10g");
        priced[size_t(i)] = {herbs.at(i),
                             QStringLiteral("60"),
                             QStringLiteral("g"),
                             QStringLiteral("0.050"),
                             QStringLiteral("3.000"),
                             QStringLiteral("A1"),
                             QStringLiteral("中药")};
    }
    items = layOutHerbal(items).text;
    const QString pricing = pricingText(priced);
    const QDate first = kLastDay.addDays(-(kPrescriptions / 55));

    Transaction transaction(main);
    Statement insert(main,
                     QStringLiteral("insert into [档案] ([序号],[0],[1],[2],[3],[4],[5],[6],[7],[8],[9],"
                                    "[T1],[类别],[发药],[计价]) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    for (int n = 0; n < kPrescriptions; ++n) {
        const QDate day = first.addDays(n / 55);
        const QDateTime moment(day, QTime(8, 0).addSecs((n % 55) * 600));
        insert.reset();
        insert.bind(1, timestamp14(moment) + QStringLiteral("b1"))
            .bind(2, surnames.at(n % surnames.size()) + given.at(n / 7 % given.size()))
            .bind(3, n % 2 ? QStringLiteral("女") : QStringLiteral("男"))
            .bind(4, QStringLiteral("%1岁").arg(20 + n % 60))
            .bind(5, QStringLiteral("中医科"))
            .bind(6, QStringLiteral("城关镇%1号").arg(n % 300))
            .bind(7, dates::format(day))
            .bind(8, diagnoses.at(n % diagnoses.size()))
            .bind(9, QStringLiteral("李明"))
            .bind(10, QStringLiteral("王芳"))
            .bind(11, QStringLiteral("60.00"))
            .bind(12, items)
            .bind(13, QStringLiteral("中"))
            .bind(14, kSettledMarker)
            .bind(15, pricing);
        insert.run();
    }
    transaction.commit();
}

// 3,000,000 statistics lines: 30 herbs (of the 299) for each of the latest 100,000 prescriptions, with a
// Western drug and a charge item among them now and then.
void fillStatistics(Database& statistics, const QStringList& herbs) {
    std::mt19937 random(42);
    std::uniform_int_distribution<int> herb(0, int(herbs.size()) - 1);
    const int settled = kStatisticsLines / kLinesPerSettled;
    const QDate first = kLastDay.addDays(-(kPrescriptions / 55));
    Transaction transaction(statistics);
    Statement insert(
        statistics,
        QStringLiteral("insert into [统计] ([ID号],[名称],[数量],[单位],[单价],[金额],"
                       "[斗位],[分类],[备用1],[备用2],[日期]) values (?,?,?,?,?,?,'A1',?,'','',?)"));
    for (int n = kPrescriptions - settled; n < kPrescriptions; ++n) {
        const QDate day = first.addDays(n / 55);
        const QString key =
            timestamp14(QDateTime(day, QTime(8, 0).addSecs((n % 55) * 600))) + QStringLiteral("b1");
        for (int line = 0; line < kLinesPerSettled; ++line) {
            insert.reset();
            insert.bind(1, key).bind(8, dates::format(day));
            if (line == 0 && n % 4 == 0) {
                insert.bind(2, QStringLiteral("阿莫西林胶囊[0.25g*24]"))
                    .bind(3, QStringLiteral("2"))
                    .bind(4, QStringLiteral("盒"));
                insert.bind(5, QStringLiteral("24.200"))
                    .bind(6, QStringLiteral("48.400"))
                    .bind(7, QStringLiteral("西成药"));
            } else if (line == 1 && n % 3 == 0) {
                insert.bind(2, QStringLiteral("挂号费"))
                    .bind(3, QStringLiteral("1"))
                    .bind(4, QStringLiteral("次"));
                insert.bind(5, QStringLiteral("15.000"))
                    .bind(6, QStringLiteral("15.000"))
                    .bind(7, QStringLiteral("收费项目"));
            } else {
                const int quantity = 6 * (5 + n % 25);
                insert.bind(2, herbs.at(herb(random)))
                    .bind(3, QString::number(quantity))
                    .bind(4, QStringLiteral("g"));
                insert.bind(5, QStringLiteral("0.050"))
                    .bind(6, numbers::fixed(quantity * 0.05, 3))
                    .bind(7, QStringLiteral("中药"));
            }
            insert.run();
        }
    }
    transaction.commit();
}

ClinicFiles& clinicFiles() {
    static ClinicFiles files = [] {
        ClinicFiles f;
        f.folder = QDir::temp().filePath(QStringLiteral("lichuan-bench-") + kFilesVersion);
        f.mainPath = QDir(f.folder).filePath(QStringLiteral("数据库.dat"));
        f.statsPath = QDir(f.folder).filePath(QStringLiteral("用药统计.dat"));
        const QString done = QDir(f.folder).filePath(QStringLiteral("complete"));
        if (QFile::exists(done))
            return f;
        QDir(f.folder).removeRecursively();
        QDir().mkpath(f.folder);
        QElapsedTimer timer;
        timer.start();
        auto main = Database::open(f.mainPath, databaseKey(), Database::OpenMode::CreateNew);
        schema::createMain(*main);
        defaults::fillMain(*main, QDateTime(kLastDay, QTime(8, 0)));
        const QStringList herbs = herbNames(*main);
        fillArchive(*main, herbs);
        auto statistics = Database::open(f.statsPath, databaseKey(), Database::OpenMode::CreateNew);
        schema::createStatistics(*statistics);
        fillStatistics(*statistics, herbs);
        QFile marker(done);
        marker.open(QIODevice::WriteOnly);
        std::fprintf(stderr, "built %d prescriptions and %d statistics lines in %.1f s in %s\n",
                     kPrescriptions, kStatisticsLines, timer.elapsed() / 1000.0, qPrintable(f.folder));
        return f;
    }();
    return files;
}

struct Connections {
    std::unique_ptr<Database> main;
    std::unique_ptr<Database> statistics;
};

Connections& connections() {
    static Connections c = [] {
        ClinicFiles& files = clinicFiles();
        Connections opened;
        opened.main = Database::open(files.mainPath, databaseKey(), Database::OpenMode::ExistingOnly);
        opened.statistics = Database::open(files.statsPath, databaseKey(), Database::OpenMode::ExistingOnly);
        return opened;
    }();
    return c;
}

// The log period that holds 30,000 prescriptions: the last 545 days and a bit (55 a day).
const QDate kLogFrom = kLastDay.addDays(-(30'000 / 55) + 1);

void BM_LogOf30000Prescriptions(benchmark::State& state) {
    const Database& main = *connections().main;
    size_t rows = 0;
    for (auto _ : state) {
        const LogResult result = queryLog(main, kLogFrom, kLastDay, 30'000);
        rows = result.rows.size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_LogOf30000Prescriptions)->Unit(benchmark::kMillisecond);

void BM_BusinessStatisticsOfAYear(benchmark::State& state) {
    const Database& main = *connections().main;
    int count = 0;
    for (auto _ : state) {
        count = businessTotals(main, kLastDay.addYears(-1).addDays(1), kLastDay).count;
        benchmark::DoNotOptimize(count);
    }
    state.counters["prescriptions"] = count;
}
BENCHMARK(BM_BusinessStatisticsOfAYear)->Unit(benchmark::kMillisecond);

// A month of herbs: about 50,000 statistics lines of some 300 names.
void BM_UsageOfAMonthGrouped(benchmark::State& state) {
    const Database& statistics = *connections().statistics;
    size_t names = 0;
    for (auto _ : state) {
        names =
            usageTotals(statistics, QStringLiteral("中药"), kLastDay.addMonths(-1), kLastDay).totals.size();
        benchmark::DoNotOptimize(names);
    }
    state.counters["names"] = double(names);
}
BENCHMARK(BM_UsageOfAMonthGrouped)->Unit(benchmark::kMillisecond);

void BM_UsageOfAMonthNameByName(benchmark::State& state) {
    const Database& statistics = *connections().statistics;
    size_t names = 0;
    for (auto _ : state) {
        names = usageTotalsByName(statistics, QStringLiteral("中药"), kLastDay.addMonths(-1), kLastDay)
                    .totals.size();
        benchmark::DoNotOptimize(names);
    }
    state.counters["names"] = double(names);
}
BENCHMARK(BM_UsageOfAMonthNameByName)->Unit(benchmark::kMillisecond)->Iterations(3);

// The log window on the big files, as the menu opens it, showing the 30,000 prescriptions.
struct LogWindow {
    ProcessState state;
    FixedClock clock{QDateTime(kLastDay, QTime(18, 0))};
    RecordingMessages messages;
    Navigator navigator;
    QtFileChooser chooser; // never asked here
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<Services> services;
    std::unique_ptr<Form7> form;

    LogWindow() {
        state.mainDb =
            Database::open(clinicFiles().mainPath, databaseKey(), Database::OpenMode::ExistingOnly);
        settings = std::make_unique<SettingsStore>(state.mainDb.get(), QString(), [] { return QString(); });
        services =
            std::make_unique<Services>(Services{state, *settings, clock, messages, navigator, chooser});
        form = std::make_unique<Form7>(*services);
        form->Text3->setText(dates::format(kLogFrom));
        form->Text4->setText(dates::format(kLastDay));
        form->show();
    }
};

// "查  询": the query and the grid filled.
void BM_LogWindowListsThe30000(benchmark::State& state) {
    LogWindow window;
    for (auto _ : state) {
        window.form->query();
        benchmark::DoNotOptimize(window.form->results().size());
    }
    state.counters["rows"] = double(window.form->results().size());
}
BENCHMARK(BM_LogWindowListsThe30000)->Unit(benchmark::kMillisecond);

// One step of the scroll bar, with the grid painted at once (into an image, as the screen would get it).
void BM_LogGridScrollStep(benchmark::State& state) {
    LogWindow window;
    window.form->query();
    QScrollBar* bar = window.form->VS1;
    int value = 0;
    for (auto _ : state) {
        value = (value + 997) % (bar->maximum() + 1);
        bar->setValue(value);
        benchmark::DoNotOptimize(window.form->grid->viewport()->grab());
    }
}
BENCHMARK(BM_LogGridScrollStep)->Unit(benchmark::kMicrosecond);

// "导出Excel" of the 30,000: the query again, the workbook built and written.
void BM_LogExportOf30000(benchmark::State& state) {
    QTemporaryDir dir;
    const Database& main = *connections().main;
    for (auto _ : state) {
        const LogResult result = queryLog(main, kLogFrom, kLastDay, 1'000'000);
        const spreadsheet::WriteResult written = spreadsheet::writeWorkbook(
            reports::logWorkbook(result.rows), dir.filePath(QStringLiteral("log.xlsx")));
        if (!written.ok)
            state.SkipWithError(qPrintable(written.error));
    }
}
BENCHMARK(BM_LogExportOf30000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    clinicFiles();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
