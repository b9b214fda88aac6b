// Typing into the search box of the diagnosis window, and the template window's list of one kind: the
// query each keystroke or kind switch runs, on lists far larger than a clinic keeps.

#include "benchsupport.h"
#include "data/catalog.h"
#include "data/engine.h"
#include "data/lookups.h"
#include "data/schema.h"
#include "data/templates.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace lichuan;

namespace {

struct Files {
    QTemporaryDir dir;
    std::unique_ptr<Database> db;
    Files() {
        db = Database::open(dir.filePath(QStringLiteral("数据库.dat")), databaseKey(),
                            Database::OpenMode::CreateNew);
        schema::createMain(*db);
        std::mt19937 random(7);
        Transaction transaction(*db);
        Statement word(*db,
                       QStringLiteral("insert or ignore into [诊断]([名称],[拼音],[序号]) values(?,?,?)"));
        for (int i = 0; i < 5000; ++i) {
            const QString name = bench::randomName(random, 3, 8);
            const QString initials = bench::initialsOf(name);
            word.bind(1, name).bind(2, initials).bind(3, name + initials);
            word.run();
            word.reset();
        }
        Statement formula(*db,
                          QStringLiteral("insert into [个人模板]([序号],[名称],[内容],[拼音],[查询],[分类],"
                                         "[排序]) values(?,?,?,?,?,'中药方剂',?)"));
        for (int i = 0; i < 2000; ++i) {
            const QString name = bench::randomName(random, 3, 6);
            const QString initials = bench::initialsOf(name);
            formula.bind(1, QString::number(20240101000000LL + i)).bind(2, name);
            formula.bind(3, QString(300, QChar(0x8349))).bind(4, initials);
            formula.bind(5, name + initials + bench::digitsOf(initials));
            formula.bind(6, QStringLiteral("%1").arg(i % 1000, 3, 10, QLatin1Char('0')));
            formula.run();
            formula.reset();
        }
        transaction.commit();
    }
};

Files& files() {
    static Files f;
    return f;
}

void BM_DiagnosisSearch(benchmark::State& state) {
    const QString typed = state.range(0) == 0 ? QString() : QStringLiteral("gc");
    std::size_t found = 0;
    for (auto _ : state)
        found = searchWordList(*files().db, schema::kDiagnosis, typed).size();
    state.counters["rows"] = double(found);
}
BENCHMARK(BM_DiagnosisSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_TemplatesOfKind(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(templatesOfKind(*files().db, QStringLiteral("中药方剂")).size());
}
BENCHMARK(BM_TemplatesOfKind)->Unit(benchmark::kMillisecond);

// What the template window's list reads: names only.
void BM_TemplateNamesOfKind(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(templateNamesOfKind(*files().db, QStringLiteral("中药方剂")).size());
}
BENCHMARK(BM_TemplateNamesOfKind)->Unit(benchmark::kMillisecond);

// A keystroke in the prescription window's search box on the formula templates: answered from the copy.
void BM_TemplateSearch(benchmark::State& state) {
    const QString typed = state.range(0) == 0 ? QString() : QStringLiteral("gc");
    std::size_t found = 0;
    for (auto _ : state)
        found = searchTemplates(*files().db, QStringLiteral("中药方剂"), typed).size();
    state.counters["rows"] = double(found);
}
BENCHMARK(BM_TemplateSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same by one query per keystroke, as before the copy.
void BM_TemplateSearchOneQuery(benchmark::State& state) {
    const QString typed = state.range(0) == 0 ? QString() : QStringLiteral("gc");
    std::size_t found = 0;
    for (auto _ : state) {
        std::vector<TemplateItem> templates;
        Statement select(*files().db,
                         QStringLiteral("select [序号],[名称],[内容] from [个人模板] where [查询] like ? "
                                        "escape '\\' and [分类] = ? order by [排序], rowid"));
        select.bind(1, containsPattern(typed)).bind(2, QStringLiteral("中药方剂"));
        while (select.next())
            templates.push_back(TemplateItem{select.text(0), select.text(1), select.text(2)});
        found = templates.size();
    }
    state.counters["rows"] = double(found);
}
BENCHMARK(BM_TemplateSearchOneQuery)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The diagnosis suggestions of the sheet's header, two initials typed.
void BM_DiagnosisSuggestions(benchmark::State& state) {
    std::size_t found = 0;
    for (auto _ : state)
        found = suggestDiagnoses(*files().db, QStringLiteral("gc")).size();
    state.counters["rows"] = double(found);
}
BENCHMARK(BM_DiagnosisSuggestions)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
