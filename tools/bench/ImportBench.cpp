// tessel-admin import and remove of many records: one parse and one write
// each, so their cost grows with the registry and the records changed.
#include <benchmark/benchmark.h>

#include <QFile>

#include "tools/bench/AdminRun.h"
#include "tools/bench/BenchRegistry.h"

using namespace tessel;
using namespace tessel::bench;

namespace {

// A template of new records, each named apart from the registry's.
QString TemplateOf(int records)
{
    const QString path = BenchDirectory().filePath(QStringLiteral("template-%1.ini").arg(records));
    QByteArray bytes;
    for (int i = 0; i < records; ++i)
        bytes += "[Import " + QByteArray::number(i)
            + "]\r\nType=1\r\nDescription=Imported layer\r\nConnect=IMP\r\n";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// Runs the command line on a fresh copy of a registry of records each round.
void RunOnCopies(benchmark::State &state, int records, const QStringList &arguments)
{
    const QString work = BenchDirectory().filePath(QStringLiteral("WORK.INI"));
    const QByteArray original = [&] {
        QByteArray bytes;
        for (int i = 0; i < records; ++i)
            bytes += Record(i);
        return bytes;
    }();
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(work);
        QFile file(work);
        if (records > 0 && (!file.open(QIODevice::WriteOnly) || file.write(original) != original.size()))
            qFatal("cannot write %s", qPrintable(work));
        file.close();
        state.ResumeTiming();
        if (RunAdmin(arguments, work).exit != AdminExit::Done)
            state.SkipWithError("the command was refused");
    }
}

// tessel-admin import of N new records into a registry of M.
void BM_Import(benchmark::State &state)
{
    const QString path = TemplateOf(int(state.range(0)));
    RunOnCopies(state, int(state.range(1)), {QStringLiteral("import"), path});
}
BENCHMARK(BM_Import)
    ->ArgsProduct({{1, 1000, 10000}, {0, 10000, 100000}})
    ->ArgNames({"records", "into"})
    ->Unit(benchmark::kMillisecond);

// tessel-admin remove of N names from a registry of M.
void BM_Remove(benchmark::State &state)
{
    QStringList arguments{QStringLiteral("remove")};
    const int names = int(state.range(0));
    const int records = int(state.range(1));
    for (int i = 0; i < names; ++i)
        arguments.append(RecordName(i * (records / names)));
    RunOnCopies(state, records, arguments);
}
BENCHMARK(BM_Remove)->Args({1000, 100000})->ArgNames({"names", "of"})->Unit(benchmark::kMillisecond);

} // namespace
