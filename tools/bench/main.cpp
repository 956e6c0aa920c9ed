// tessel-bench: how fast registries are listed, read, saved and exported.
#include "platform/SafeFile.h"
#include "profile/FileHistory.h"
#include "profile/ProfileEdit.h"
#include "profile/ProfileStore.h"
#include "registry/DataSourceRecord.h"
#include "tools/bench/AdminRun.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

using namespace tessel;

namespace {

QString RecordName(int number)
{
    return QStringLiteral("Source ") + QString::number(number);
}

// A registry record as the program writes it: eleven keys.
QByteArray Record(int number)
{
    const QByteArray name = RecordName(number).toLatin1();
    return "[" + name + "]\r\n"
           "Type=" + QByteArray::number(1 + number % 5) + "\r\n"
           "Description=Survey layer " + name + " of the district archive\r\n"
           "Connect=/srv/gis/data/district/" + QByteArray::number(number) + ".vds\r\n"
           "ReadOnly=0\r\n"
           "ID=" + QByteArray::number(number) + "\r\n"
           "Attributes=3\r\n"
           "Capabilities=7\r\n"
           "AutoConnect=1\r\n"
           "Scales=0,2500,50000\r\n"
           "Priority=127\r\n"
           "Private=0\r\n";
}

// A registry file of records in a directory that lives as long as the program.
class Registry
{
public:
    explicit Registry(int records)
        : m_path(Directory().filePath(QStringLiteral("TESSEL-%1.INI").arg(records)))
    {
        QByteArray bytes;
        for (int i = 0; i < records; ++i)
            bytes += Record(i);
        QFile file(m_path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(m_path));
        file.close();
        // Let the file's times fall behind the clock, as those of a registry
        // that is not being written to do, and have it parsed once, as the
        // program's first look at it does.
        QThread::msleep(100);
        ReadProfileSections(m_path);
    }

    const QString &path() const { return m_path; }

private:
    static QTemporaryDir &Directory()
    {
        static QTemporaryDir directory;
        return directory;
    }

    QString m_path;
};

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
    const Registry registry(int(state.range(0)));
    RecordSave save;
    save.currentName = RecordName(5000);
    save.newName = save.currentName;
    save.privateRule = PrivateOnSave::MarkSavedByNative;
    int round = 0;
    for (auto _ : state) {
        save.values[RecordKey::Priority] = QString::number(100 + round++ % 2);
        if (!SaveRecord(registry.path(), save))
            state.SkipWithError("the save was refused");
    }
}
BENCHMARK(BM_SaveRecord)->Arg(10000)->Unit(benchmark::kMillisecond);

// The same save without keeping a version: what keeping it costs is the
// difference from BM_SaveRecord.
void BM_SaveRecordUnversioned(benchmark::State &state)
{
    const Registry registry(int(state.range(0)));
    RecordSave save;
    save.currentName = RecordName(5000);
    save.newName = save.currentName;
    save.privateRule = PrivateOnSave::MarkSavedByNative;
    int round = 0;
    for (auto _ : state) {
        save.values[RecordKey::Priority] = QString::number(100 + round++ % 2);
        if (!EditProfile(registry.path(), [&](ProfileEdit &edit) { return ApplyRecordSave(edit, save); }))
            state.SkipWithError("the save was refused");
    }
}
BENCHMARK(BM_SaveRecordUnversioned)->Arg(10000)->Unit(benchmark::kMillisecond);

// A registry of 100,000 records with 50 versions: the first made by an
// import that added every record, the others by saves of one record; and the
// oldest version differing from the registry now in every 100th record.
class RegistryWithHistory : public Registry
{
public:
    RegistryWithHistory() : Registry(100000)
    {
        const QByteArray now = (*ReadProfileDocument(path()))->bytes();
        QByteArray older;
        for (int record = 0; record < 100000; ++record)
            older += record % 100 == 0 ? Record(record).replace("Priority=127", "Priority=126") : Record(record);
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
    for (auto _ : state) {
        const AdminRun run = RunAdmin({QStringLiteral("history")}, registry.path());
        benchmark::DoNotOptimize(run.output);
    }
}
BENCHMARK(BM_History)->Unit(benchmark::kMillisecond);

// tessel-admin diff between the oldest version and the registry now, 1,000
// records apart, spread over the whole file.
void BM_Diff(benchmark::State &state)
{
    const RegistryWithHistory registry;
    for (auto _ : state) {
        const AdminRun run = RunAdmin({QStringLiteral("diff"), QStringLiteral("1"), QStringLiteral("now")}, registry.path());
        if (run.exit != 1)
            state.SkipWithError("diff found no difference");
    }
}
BENCHMARK(BM_Diff)->Unit(benchmark::kMillisecond);

// tessel-admin export of every record.
void BM_Export(benchmark::State &state)
{
    const int records = int(state.range(0));
    const Registry registry(records);
    for (auto _ : state) {
        const AdminRun run = RunAdmin({QStringLiteral("export")}, registry.path());
        benchmark::DoNotOptimize(run.output);
    }
    state.SetComplexityN(records);
}
BENCHMARK(BM_Export)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

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
