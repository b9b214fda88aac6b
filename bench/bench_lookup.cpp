// The lookups that run while the doctor types: the pick list of a category on every keystroke and the
// patient suggestions of the name field.

#include "benchsupport.h"
#include "data/catalog.h"
#include "data/defaults.h"
#include "data/engine.h"
#include "data/lookups.h"
#include "data/schema.h"

#include <QSet>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace lichuan;

namespace {

constexpr int kCatalogItems = 20000;
constexpr int kPatients = 50000;

// One file with a 20,000-item herb category and 50,000 patients, built once per program.
struct LookupFixture {
    QTemporaryDir dir;
    std::unique_ptr<Database> db;

    LookupFixture() {
        db = Database::open(dir.filePath(QStringLiteral("数据库.dat")), databaseKey(),
                            Database::OpenMode::CreateNew);
        schema::createMain(*db);
        std::mt19937 random(8);
        Transaction transaction(*db);
        Statement item(
            *db, QStringLiteral("insert into [商品]([ID号],[名称],[查询],[拼音],[分类],[常用量],[单位],"
                                "[单价],[斗位],[用法]) values(?,?,?,?,'中药','10','g','0.05','A1','')"));
        QSet<QString> names;
        for (int i = 0; names.size() < kCatalogItems; ++i) {
            const QString name = bench::randomName(random, 2, 4);
            if (names.contains(name))
                continue;
            names.insert(name);
            const QString initials = bench::initialsOf(name);
            item.reset();
            item.bind(1, QString::number(i))
                .bind(2, name)
                .bind(3, name + initials + bench::digitsOf(initials))
                .bind(4, initials);
            item.run();
        }
        Statement patient(*db, QStringLiteral("insert into [患者信息]([序号],[姓名],[性别],[年龄],[住址]) "
                                              "values(?,?,'男',?,'东街')"));
        std::uniform_int_distribution<int> year(1930, 2023);
        for (int i = 0; i < kPatients; ++i) {
            const QString name = bench::randomName(random, 2, 3);
            const QString born = QString::number(year(random));
            patient.reset();
            patient.bind(1, name + bench::initialsOf(name) + born).bind(2, name).bind(3, born);
            patient.run();
        }
        transaction.commit();
    }
};

LookupFixture& fixture() {
    static LookupFixture instance;
    return instance;
}

// A new main database with the default rows (447 catalog rows).
struct DefaultFixture {
    QTemporaryDir dir;
    std::unique_ptr<Database> db;

    DefaultFixture() {
        db = Database::open(dir.filePath(QStringLiteral("数据库.dat")), databaseKey(),
                            Database::OpenMode::CreateNew);
        schema::createMain(*db);
        defaults::fillMain(*db, QDateTime(QDate(2024, 3, 1), QTime(9, 0)));
    }
};

void BM_PickListDefaultCatalog(benchmark::State& state, const char* text) {
    static DefaultFixture fixture;
    const QString typed = QString::fromUtf8(text);
    std::size_t found = 0;
    for (auto _ : state) {
        found = searchCatalog(*fixture.db, QStringLiteral("中药"), typed).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["items"] = double(found);
}

void BM_PickList(benchmark::State& state, const char* text) {
    Database& db = *fixture().db;
    const QString typed = QString::fromUtf8(text);
    std::size_t found = 0;
    for (auto _ : state) {
        found = searchCatalog(db, QStringLiteral("中药"), typed).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["items"] = double(found);
}

// The first keystroke after the doctor saved a prescription: the catalog copy stays valid.
void BM_PickListAfterOwnSave(benchmark::State& state) {
    Database& db = *fixture().db;
    std::size_t found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        db.exec(QStringLiteral("update [患者信息] set [备用1] = '' where rowid = 1"));
        state.ResumeTiming();
        found = searchCatalog(db, QStringLiteral("中药"), QStringLiteral("g")).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["items"] = double(found);
}

// The first keystroke after the catalog itself changed reads the category again.
void BM_PickListAfterCatalogChange(benchmark::State& state) {
    Database& db = *fixture().db;
    std::size_t found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        db.exec(QStringLiteral("update [商品] set [备用1] = '' where rowid = 1"));
        state.ResumeTiming();
        found = searchCatalog(db, QStringLiteral("中药"), QStringLiteral("g")).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["items"] = double(found);
}

// The first keystroke after another station saved a prescription (档案 and 患者信息 changed): the
// catalog copy stays as it is.
void BM_PickListAfterOtherStationsSave(benchmark::State& state) {
    Database& db = *fixture().db;
    auto other = Database::open(db.path(), databaseKey(), Database::OpenMode::ExistingOnly);
    std::size_t found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        other->exec(QStringLiteral("update [患者信息] set [备用1] = '' where rowid = 1"));
        state.ResumeTiming();
        found = searchCatalog(db, QStringLiteral("中药"), QStringLiteral("g")).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["items"] = double(found);
}

// The first keystroke after another station changed one catalog item: that row is read again.
void BM_PickListAfterOtherStationsCatalogChange(benchmark::State& state) {
    Database& db = *fixture().db;
    auto other = Database::open(db.path(), databaseKey(), Database::OpenMode::ExistingOnly);
    std::size_t found = 0;
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        other->exec(QStringLiteral("update [商品] set [单价] = '0.0%1' where rowid = 7").arg(++n % 10));
        state.ResumeTiming();
        found = searchCatalog(db, QStringLiteral("中药"), QStringLiteral("g")).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["items"] = double(found);
}

// The same pick list by one query per keystroke, as before the copy.
void BM_PickListOneQuery(benchmark::State& state, const char* text) {
    Database& db = *fixture().db;
    const QString typed = QString::fromUtf8(text);
    std::size_t found = 0;
    for (auto _ : state) {
        found = searchCatalogByQuery(db, QStringLiteral("中药"), typed).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["items"] = double(found);
}

// The first name keystroke after another station saved a prescription: the patient row read again.
void BM_PatientSuggestionsAfterOtherStationsSave(benchmark::State& state) {
    Database& db = *fixture().db;
    auto other = Database::open(db.path(), databaseKey(), Database::OpenMode::ExistingOnly);
    std::size_t found = 0;
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        other->exec(QStringLiteral("update [患者信息] set [电话] = '139%1' where rowid = 9").arg(++n));
        state.ResumeTiming();
        found = suggestPatients(db, QStringLiteral("当归")).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["patients"] = double(found);
}

void BM_PatientSuggestionsOneQuery(benchmark::State& state, const char* key) {
    Database& db = *fixture().db;
    const QString typed = QString::fromUtf8(key);
    std::size_t found = 0;
    for (auto _ : state) {
        found = suggestPatientsByQuery(db, typed).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["patients"] = double(found);
}

void BM_PatientSuggestions(benchmark::State& state, const char* key) {
    Database& db = *fixture().db;
    const QString typed = QString::fromUtf8(key);
    std::size_t found = 0;
    for (auto _ : state) {
        found = suggestPatients(db, typed).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["patients"] = double(found);
}

} // namespace

BENCHMARK_CAPTURE(BM_PickList, one_letter_g, "g")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PickList, three_letters_gzt, "gzt")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PickList, chinese_dang, "当")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PickListDefaultCatalog, one_letter_g, "g")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PickListDefaultCatalog, three_letters_gzt, "gzt")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PickListAfterOwnSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PickListAfterCatalogChange)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PatientSuggestions, two_characters, "当归")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PatientSuggestions, initials_and_year, "dg19")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PatientSuggestions, birth_year, "1975")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PatientSuggestionsOneQuery, two_characters, "当归")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PatientSuggestionsOneQuery, initials_and_year, "dg19")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PatientSuggestionsOneQuery, birth_year, "1975")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PatientSuggestionsAfterOtherStationsSave)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PickListOneQuery, one_letter_g, "g")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PickListAfterOtherStationsSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PickListAfterOtherStationsCatalogChange)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
