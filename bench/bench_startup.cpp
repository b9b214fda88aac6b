// Start-up as the doctor waits for the login window: a first start on a clean machine (both files written,
// default rows filled, both connections opened) and an ordinary start on existing files.
#include "session/messages.h"
#include "session/startup.h"
#include "session/state.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace lichuan;

namespace {

const QDateTime kNow(QDate(2024, 3, 8), QTime(9, 30, 15));

Platform platformIn(const QTemporaryDir& dir) {
    Platform platform;
    platform.driveC = dir.filePath(QStringLiteral("c"));
    platform.shareMountRoots = {dir.filePath(QStringLiteral("mnt"))};
    platform.machineId = QStringLiteral("bench-machine");
    platform.defaultPrinter = QStringLiteral("打印机");
    QDir().mkpath(platform.driveC);
    return platform;
}

void BM_StartupCleanFolder(benchmark::State& run) {
    for (auto _ : run) {
        run.PauseTiming();
        auto dir = std::make_unique<QTemporaryDir>();
        const Platform platform = platformIn(*dir);
        ProcessState state;
        RecordingMessages messages;
        run.ResumeTiming();
        runStartup(state, platform, messages, kNow);
        benchmark::DoNotOptimize(state.mainDb.get());
        run.PauseTiming();
        if (!state.mainDb || !state.statsDb || state.LoginPassword.isEmpty())
            run.SkipWithError("start-up did not open both databases");
        state.mainDb.reset();
        state.statsDb.reset();
        dir.reset();
        run.ResumeTiming();
    }
}
BENCHMARK(BM_StartupCleanFolder)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_StartupExistingFolder(benchmark::State& run) {
    QTemporaryDir dir;
    const Platform platform = platformIn(dir);
    RecordingMessages messages;
    {
        ProcessState first;
        runStartup(first, platform, messages, kNow);
    }
    for (auto _ : run) {
        ProcessState state;
        runStartup(state, platform, messages, kNow);
        benchmark::DoNotOptimize(state.mainDb.get());
        run.PauseTiming();
        if (!state.mainDb || !state.statsDb)
            run.SkipWithError("start-up did not open both databases");
        state.mainDb.reset();
        state.statsDb.reset();
        run.ResumeTiming();
    }
}
BENCHMARK(BM_StartupExistingFolder)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

BENCHMARK_MAIN();
