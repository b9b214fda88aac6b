// The prescription store at the size of years of use: 200,000 prescriptions and 3,000,000 statistics lines.
// History query, save and reload of one prescription, and the replacement of its statistics lines.

#include "benchsupport.h"
#include "data/dates.h"
#include "data/engine.h"
#include "data/prescriptions.h"
#include "data/schema.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace lichuan;

namespace {

constexpr int kPrescriptions = 200000;
constexpr int kLinesPerPrescription = 15;
constexpr int kPatients = 20000;
const QDate kToday(2024, 6, 30);

PricedLines syntheticLines(std::mt19937& random) {
    PricedLines lines;
    std::uniform_int_distribution<int> quantity(3, 30);
    for (int i = 0; i < kLinesPerPrescription; ++i) {
        PricedLine& line = lines[std::size_t(i)];
        line.name = bench::randomName(random, 2, 3);
        line.quantity = QString::number(quantity(random) * 6);
        line.unit = QStringLiteral("g");
        line.price = QStringLiteral("0.050");
        line.amount = QStringLiteral("%1.000").arg(line.quantity.toInt() / 20);
        line.drawer = QStringLiteral("A%1").arg(i + 1);
        line.category = QStringLiteral("中药");
    }
    return lines;
}

SheetRecord syntheticSheet(const QString& key, const QString& name, const QDate& date, std::mt19937& random) {
    SheetRecord sheet;
    sheet.key = key;
    sheet.fields = {name,
                    QStringLiteral("男"),
                    QStringLiteral("45岁"),
                    QStringLiteral("中医科"),
                    QStringLiteral("东街3号"),
                    dates::format(date),
                    QStringLiteral("感冒"),
                    QStringLiteral("王医师"),
                    QStringLiteral("李药师"),
                    QStringLiteral("25.20"),
                    QString(),
                    QStringLiteral("13800000000"),
                    key.left(14),
                    QString(),
                    QStringLiteral("自费")};
    sheet.lines = syntheticLines(random);
    QString items;
    for (const PricedLine& line : sheet.lines) {
        if (!line.name.isEmpty())
            items += line.name + QString::number(line.quantity.toInt() / 6) + QStringLiteral("g    ");
    }
    sheet.items = items;
    sheet.settled = kSettledMarker;
    return sheet;
}

struct RecordsFixture {
    QTemporaryDir dir;
    std::unique_ptr<Database> main;
    std::unique_ptr<Database> statistics;
    QStringList patientNames;
    QString sampleKey; // a prescription of the last week, with its statistics lines
    QString sampleName;

    // The statistics lines take most of the time to write: only the benchmarks that need them ask for them.
    explicit RecordsFixture(bool withStatistics) {
        bench::ClinicDatabases files = bench::createClinicDatabases(QDir(dir.path()));
        main = std::move(files.main);
        statistics = std::move(files.statistics);
        std::mt19937 random(11);
        for (int i = 0; i < kPatients; ++i)
            patientNames << bench::randomName(random, 2, 3);

        Transaction mainTransaction(*main);
        Transaction statisticsTransaction(*statistics);
        Statement row(*main,
                      QStringLiteral("insert into [档案]([序号],[0],[1],[2],[3],[4],[5],[6],[7],[8],[9],[11],"
                                     "[12],[14],[T1],[类别],[发药],[计价],[病历]) "
                                     "values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,'中',?,?,'')"));
        Statement line(*statistics,
                       QStringLiteral("insert into [统计]([ID号],[名称],[数量],[单位],[单价],[金额],"
                                      "[斗位],[分类],[日期]) values(?,?,?,?,?,?,?,?,?)"));
        const QDate first = kToday.addYears(-10);
        const qint64 days = first.daysTo(kToday);
        std::uniform_int_distribution<int> patient(0, kPatients - 1);
        std::uniform_int_distribution<int> secondOfDay(8 * 3600, 18 * 3600);
        for (int i = 0; i < kPrescriptions; ++i) {
            const QDate date = first.addDays(days * i / (kPrescriptions - 1));
            const QString key =
                timestamp14(QDateTime(date, QTime(0, 0).addSecs(secondOfDay(random)))) + QStringLiteral("A");
            const SheetRecord sheet = syntheticSheet(key, patientNames.at(patient(random)), date, random);
            row.reset();
            int index = 1;
            row.bind(index++, sheet.key);
            for (int field : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 14})
                row.bind(index++, sheet.fields[std::size_t(field)]);
            row.bind(index, sheet.items);
            row.bind(index + 1, sheet.settled);
            row.bind(index + 2, pricingText(sheet.lines));
            try {
                row.run();
            } catch (const DbError&) {
                continue; // the same second twice: skip it
            }
            for (const PricedLine& priced : sheet.lines) {
                if (!withStatistics)
                    break;
                line.reset();
                line.bind(1, key)
                    .bind(2, priced.name)
                    .bind(3, priced.quantity)
                    .bind(4, priced.unit)
                    .bind(5, priced.price)
                    .bind(6, priced.amount)
                    .bind(7, priced.drawer)
                    .bind(8, priced.category)
                    .bind(9, dates::format(date));
                line.run();
            }
            sampleKey = key;
            sampleName = sheet.fields[kName];
        }
        statisticsTransaction.commit();
        mainTransaction.commit();
    }
};

RecordsFixture& fixture() {
    static RecordsFixture instance(false);
    return instance;
}

RecordsFixture& fixtureWithStatistics() {
    static RecordsFixture instance(true);
    return instance;
}

using HistoryQuery = std::vector<HistoryRow> (*)(const Database&, const QString&, const QString&,
                                                 const QString&);

void measureHistory(benchmark::State& state, HistoryQuery query, int nameLength, int days) {
    RecordsFixture& f = fixture();
    // A negative length stands for the name's initials (ASCII letters, which the query matches with LIKE).
    const QString filter = nameLength < 0 ? bench::initialsOf(f.sampleName) : f.sampleName.left(nameLength);
    const QString from = dates::format(kToday.addDays(-days + 1));
    const QString to = dates::format(kToday);
    std::size_t rows = 0;
    for (auto _ : state) {
        rows = query(*f.main, filter, from, to).size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = double(rows);
}

// The history as the window asks for it: by the name list where a name part is given.
void BM_History(benchmark::State& state, int nameLength, int days) {
    measureHistory(state, queryHistory, nameLength, days);
}

// The one query over the date range, as the window asked before the name list.
void BM_HistoryOneQuery(benchmark::State& state, int nameLength, int days) {
    measureHistory(state, queryHistoryByDate, nameLength, days);
}

void BM_SaveAndReload(benchmark::State& state) {
    RecordsFixture& f = fixture();
    std::mt19937 random(5);
    SheetRecord sheet = *loadPrescription(*f.main, f.sampleKey);
    for (auto _ : state) {
        sheet.fields[kDiagnosis] = sheet.fields[kDiagnosis] == QStringLiteral("感冒")
                                       ? QStringLiteral("咳嗽")
                                       : QStringLiteral("感冒");
        const SaveOutcome outcome = savePrescription(*f.main, sheet, false, kToday);
        if (!outcome.saved)
            state.SkipWithError(qPrintable(outcome.error));
        const std::optional<SheetRecord> loaded = loadPrescription(*f.main, sheet.key);
        benchmark::DoNotOptimize(loaded);
    }
}

void BM_SaveNewPrescription(benchmark::State& state) {
    RecordsFixture& f = fixture();
    std::mt19937 random(6);
    RecordKeys keys(QStringLiteral("B"));
    QDateTime now(kToday, QTime(20, 0));
    for (auto _ : state) {
        now = now.addSecs(1);
        const SheetRecord sheet = syntheticSheet(keys.next(now), f.patientNames.at(7), kToday, random);
        const SaveOutcome outcome = savePrescription(*f.main, sheet, true, kToday);
        if (!outcome.saved)
            state.SkipWithError(qPrintable(outcome.error));
    }
}

void BM_Reload(benchmark::State& state) {
    RecordsFixture& f = fixture();
    for (auto _ : state) {
        const std::optional<SheetRecord> loaded = loadPrescription(*f.main, f.sampleKey);
        benchmark::DoNotOptimize(loaded);
    }
}

void BM_ReplaceStatistics(benchmark::State& state) {
    RecordsFixture& f = fixtureWithStatistics();
    std::mt19937 random(7);
    const PricedLines lines = syntheticLines(random);
    for (auto _ : state) {
        if (!replaceStatistics(*f.statistics, f.sampleKey, kToday, lines))
            state.SkipWithError("replaceStatistics failed");
    }
}

} // namespace

BENCHMARK_CAPTURE(BM_History, one_character_ten_years, 1, 3653)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_History, full_name_ten_years, 3, 3653)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_History, everyone_today, 0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_History, everyone_one_month, 0, 31)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_History, initials_ten_years, -1, 3653)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HistoryOneQuery, one_character_ten_years, 1, 3653)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HistoryOneQuery, full_name_ten_years, 3, 3653)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HistoryOneQuery, initials_ten_years, -1, 3653)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HistoryOneQuery, everyone_one_month, 0, 31)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reload)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveAndReload)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveNewPrescription)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceStatistics)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
