// tessel-bench: what the main window's list costs the UI thread on a large
// registry, when it is refilled and when another program changes the file.
#include "app/RegistryListing.h"
#include "app/RegistryWatcher.h"
#include "controls/GeoList.h"
#include "profile/ProfileCache.h"
#include "registry/DataSourceRecord.h"
#include "tools/bench/BenchApplication.h"
#include "tools/bench/BenchRegistry.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <utility>

using namespace tessel;
using namespace tessel::bench;

namespace {

// A list of the main window's size, shown.
class ShownList
{
public:
    ShownList()
    {
        m_list.resize(265, 92);
        m_list.show();
    }
    // Hands the list a listing as the window does, and draws it.
    void show(const RegistryListing &listing)
    {
        m_list.setItems(listing.items);
        m_list.doItemsLayout();
        m_list.repaint();
    }

private:
    GeoList m_list;
};

// The refill on the UI thread: a finished listing handed to the list, which
// lays it out and draws what is visible.
void BM_ListRefill(benchmark::State &state)
{
    BenchApplication();
    const Registry registry(int(state.range(0)));
    const RegistryListing listing = ListRegistry(registry.path());
    ShownList list;
    for (auto _ : state)
        list.show(listing);
}
BENCHMARK(BM_ListRefill)->Arg(100000)->Unit(benchmark::kMillisecond);

// The worker's part of a refill: the registry read, parsed and listed, as
// it is after a change, when no parse of it is known.
void BM_ListRegistry(benchmark::State &state)
{
    const Registry registry(int(state.range(0)));
    for (auto _ : state) {
        ProfileCache::Shared().forget(registry.path());
        benchmark::DoNotOptimize(ListRegistry(registry.path()));
    }
}
BENCHMARK(BM_ListRegistry)->Arg(100000)->Unit(benchmark::kMillisecond);

// The CPU time this thread has used.
qint64 ThreadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// The UI thread's pauses while a change is followed to the list: between two
// beats of a 1 ms timer it answers nothing, so the longest gap, less the 1 ms,
// is ui_block_ms; ui_busy_ms is the CPU time it used in its busiest gap,
// which a loaded machine does not stretch. The time is the wait until the
// list shows the change.
class FollowedChange
{
public:
    explicit FollowedChange(const Registry &registry)
        : m_watcher(registry.path())
    {
        QObject::connect(&m_watcher, &RegistryWatcher::changed, &m_loop,
                         [this](const RegistryListing &listing) {
                             m_list.show(listing);
                             m_loop.quit();
                         });
        m_watcher.listInBackground();
        m_loop.exec();
        m_beat.setTimerType(Qt::PreciseTimer);
        m_beat.setInterval(1);
        QObject::connect(&m_beat, &QTimer::timeout, [this] { beaten(); });
    }

    RegistryWatcher &watcher() { return m_watcher; }

    // Times one change, from the moment started() is called until the list
    // shows it; change() makes it and calls started().
    template<typename Change>
    void follow(benchmark::State &state, Change change)
    {
        QElapsedTimer shown;
        const auto started = [&] {
            shown.start();
            m_longestGapNs = m_busiestGapNs = 0;
            m_sinceBeat.start();
            m_cpuAtBeat = ThreadCpuNs();
            m_beat.start();
        };
        change(started);
        m_loop.exec();
        m_beat.stop();
        state.SetIterationTime(double(shown.nsecsElapsed()) / 1e9);
        beaten();
        m_longestBlockNs = std::max(m_longestBlockNs, m_longestGapNs - 1'000'000);
        m_busiestNs = std::max(m_busiestNs, m_busiestGapNs);
    }

    void report(benchmark::State &state) const
    {
        state.counters["ui_block_ms"] = double(m_longestBlockNs) / 1e6;
        state.counters["ui_busy_ms"] = double(m_busiestNs) / 1e6;
    }

private:
    void beaten()
    {
        m_longestGapNs = std::max(m_longestGapNs, m_sinceBeat.nsecsElapsed());
        m_busiestGapNs = std::max(m_busiestGapNs, ThreadCpuNs() - m_cpuAtBeat);
        m_sinceBeat.start();
        m_cpuAtBeat = ThreadCpuNs();
    }

    RegistryWatcher m_watcher;
    ShownList m_list;
    QEventLoop m_loop;
    QTimer m_beat;
    QElapsedTimer m_sinceBeat;
    qint64 m_cpuAtBeat = 0;
    qint64 m_longestGapNs = 0;
    qint64 m_busiestGapNs = 0;
    qint64 m_longestBlockNs = 0;
    qint64 m_busiestNs = 0;
};

// A change another program makes to the registry, followed from the notice
// to the list that shows it.
void BM_OutsideChange(benchmark::State &state)
{
    BenchApplication();
    const Registry registry(int(state.range(0)));
    const QByteArray original = [&] {
        QFile file(registry.path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    FollowedChange followed(registry);
    int round = 0;
    for (auto _ : state) {
        followed.follow(state, [&](const auto &started) {
            // Another program replaces the file with one more record at the end.
            const QString written = registry.path() + QStringLiteral(".new");
            QFile file(written);
            const QByteArray bytes = original + Record(1'000'000 + round++);
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
                state.SkipWithError("cannot write the registry");
            file.close();
            started();
            if (std::rename(qPrintable(written), qPrintable(registry.path())) != 0)
                state.SkipWithError("cannot replace the registry");
        });
    }
    followed.report(state);
}
BENCHMARK(BM_OutsideChange)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The refill after the window's own save: the record is saved as a dialog
// saves it, then the list asks for the registry; timed from that request.
void BM_OwnSaveRefill(benchmark::State &state)
{
    BenchApplication();
    const Registry registry(int(state.range(0)));
    FollowedChange followed(registry);
    int round = 0;
    for (auto _ : state) {
        followed.follow(state, [&](const auto &started) {
            RecordSave save;
            save.currentName = NewRecordMarker;
            save.newName = RecordName(2'000'000 + round++);
            save.values[RecordKey::Type] = QStringLiteral("1");
            if (!SaveRecord(registry.path(), save))
                state.SkipWithError("cannot save the record");
            started();
            followed.watcher().listInBackground();
        });
    }
    followed.report(state);
}
BENCHMARK(BM_OwnSaveRefill)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
