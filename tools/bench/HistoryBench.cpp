// How much keeping a version adds to a save, and how fast tessel-admin lists
// the history of a large registry and compares two of its versions.
#include "platform/SafeFile.h"
#include "profile/FileHistory.h"
#include "profile/ProfileEdit.h"
#include "profile/ProfileStore.h"
#include "registry/DataSourceRecord.h"
#include "tools/bench/AdminRun.h"
#include "tools/bench/BenchRegistry.h"

#include <benchmark/benchmark.h>

#include <QDir>

using namespace tessel;
using namespace tessel::bench;

namespace {

// The save of BM_SaveRecord without keeping a version: what keeping it costs
// is the difference between the two.
void BM_SaveRecordUnversioned(benchmark::State &state)
{
    RunRecordSaves(state, [](const QString &path, const RecordSave &save) {
        return EditProfile(path, [&](ProfileEdit &edit) { return ApplyRecordSave(edit, save); });
    });
}
BENCHMARK(BM_SaveRecordUnversioned)->Arg(10000)->Unit(benchmark::kMillisecond);

// A registry of 100,000 records with 50 versions: the first made by an
// import that added every record, the others by saves of one record; the
// oldest version differs from the registry now in every 100th record.
class RegistryWithHistory : public Registry
{
public:
    RegistryWithHistory()
        : Registry(100000)
    {
        const QByteArray now = (*ReadProfileDocument(path()))->bytes();
        QByteArray older;
        for (int record = 0; record < 100000; ++record)
            older +=
                record % 100 == 0 ? Record(record).replace("Priority=127", "Priority=126") : Record(record);
        replace(older);
        FileHistory history(path());
        QDir(history.folder()).removeRecursively();
        for (int number = 1; number <= 50; ++number) {
            VersionNote note;
            note.action = number == 1 ? QStringLiteral("import district.ini: 100000 added, 0 replaced")
                                      : QStringLiteral("save ") + RecordName(number);
            for (int record = 0; record < (number == 1 ? 100000 : 1); ++record)
                (number == 1 ? note.added : note.changed).append(RecordName(number == 1 ? record : number));
            if (!history.keep(note, {}, FilePermissions{0644, 0, 0}))
                qFatal("cannot keep version %d", number);
            if (number == 1)
                replace(now);
        }
    }

private:
    void replace(const QByteArray &bytes)
    {
        if (!ReplaceFileContents(path(), bytes, FilePermissions{0644, 0, 0}))
            qFatal("cannot replace %s", qPrintable(path()));
    }
};

// tessel-admin history: the notes of 50 versions, none of the old registries.
void BM_History(benchmark::State &state)
{
    const RegistryWithHistory registry;
    for (auto _ : state)
        benchmark::DoNotOptimize(RunAdmin({QStringLiteral("history")}, registry.path()).output);
}
BENCHMARK(BM_History)->Unit(benchmark::kMillisecond);

// tessel-admin diff between the oldest version and the registry now, 1,000
// records apart, spread over the whole file.
void BM_Diff(benchmark::State &state)
{
    const RegistryWithHistory registry;
    for (auto _ : state) {
        if (RunAdmin({QStringLiteral("diff"), QStringLiteral("1"), QStringLiteral("now")}, registry.path())
                .exit
            != 1)
            state.SkipWithError("diff found no difference");
    }
}
BENCHMARK(BM_Diff)->Unit(benchmark::kMillisecond);

} // namespace
