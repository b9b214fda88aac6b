// Search codes are rebuilt on every keystroke in a name field.
#include "data/searchcodes.h"

#include <QString>
#include <benchmark/benchmark.h>

using namespace lichuan;

static void BM_PinyinInitialsOfCatalogName(benchmark::State& state) {
    const QString name = QStringLiteral("复方丹参滴丸{27mg*180粒}");
    for (auto _ : state)
        benchmark::DoNotOptimize(PinyinInitials(name));
}
BENCHMARK(BM_PinyinInitialsOfCatalogName);

static void BM_SearchCodeOfCatalogRow(benchmark::State& state) {
    const QString name = QStringLiteral("0.9%氯化钠注射液");
    for (auto _ : state) {
        const QString initials = PinyinInitials(name);
        benchmark::DoNotOptimize(name + initials + KeyDigits(initials));
    }
}
BENCHMARK(BM_SearchCodeOfCatalogRow);

static void BM_InitialOfOneCharacter(benchmark::State& state) {
    const QString text = QStringLiteral("桂");
    for (auto _ : state)
        benchmark::DoNotOptimize(InitialOf(text));
}
BENCHMARK(BM_InitialOfOneCharacter);

BENCHMARK_MAIN();
