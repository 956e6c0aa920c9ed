// tessel-bench: how fast registries are listed, read, saved and exported.
#include "registry/DataSourceRecord.h"
#include "profile/ProfileCache.h"
#include "profile/ProfileStore.h"
#include "tools/bench/AdminRun.h"
#include "tools/bench/BenchRegistry.h"

#include <benchmark/benchmark.h>

using namespace tessel;
using namespace tessel::bench;

namespace {

// The main window's fill: every record's name and type from one reading of
// the registry.
void BM_ListRecords(benchmark::State &state)
{
    const int records = int(state.range(0));
    const Registry registry(records);
    for (auto _ : state)
        benchmark::DoNotOptimize(ListRecords(**ReadProfileDocument(registry.path())));
    state.SetComplexityN(records);
}
BENCHMARK(BM_ListRecords)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

// One record saved as a dialog's OK saves it, into a registry of 10,000
// records: one locked read, one parse, one replacement with fsync.
void BM_SaveRecord(benchmark::State &state)
{
    RunRecordSaves(state, [](const QString &path, const RecordSave &save) { return SaveRecord(path, save); });
}
BENCHMARK(BM_SaveRecord)->Arg(10000)->Unit(benchmark::kMillisecond);

// A tessel-admin command line run over every record of a registry, each run
// reading the file afresh as a process of its own does.
void RunOverRegistry(benchmark::State &state, const QStringList &arguments)
{
    const int records = int(state.range(0));
    const Registry registry(records);
    for (auto _ : state) {
        ProfileCache::Shared().forget(registry.path());
        const AdminRun run = RunAdmin(arguments, registry.path());
        if (run.exit != AdminExit::Done)
            state.SkipWithError("the command failed");
        benchmark::DoNotOptimize(run.output);
    }
    state.SetComplexityN(records);
}

void BM_Export(benchmark::State &state)
{
    RunOverRegistry(state, {QStringLiteral("export")});
}
BENCHMARK(BM_Export)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_Check(benchmark::State &state)
{
    RunOverRegistry(state, {QStringLiteral("check")});
}
BENCHMARK(BM_Check)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ListJson(benchmark::State &state)
{
    RunOverRegistry(state, {QStringLiteral("list"), QStringLiteral("--format"), QStringLiteral("json")});
}
BENCHMARK(BM_ListJson)->Arg(100000)->Unit(benchmark::kMillisecond);

// One key of a registry of about 1 MiB.
void BM_ReadKey(benchmark::State &state)
{
    const Registry registry(7500);
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadProfileString(RecordName(3750), QStringLiteral("Priority"),
                                                   QStringLiteral("127"), registry.path()));
}
BENCHMARK(BM_ReadKey)->Unit(benchmark::kMicrosecond);

// One key written to a registry of 10,000 records.
void BM_WriteKey(benchmark::State &state)
{
    const Registry registry(10000);
    int round = 0;
    for (auto _ : state) {
        if (!WriteProfileString(RecordName(5000), QStringLiteral("Priority"),
                                QString::number(100 + round++ % 2), registry.path()))
            state.SkipWithError("the write was refused");
    }
}
BENCHMARK(BM_WriteKey)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
