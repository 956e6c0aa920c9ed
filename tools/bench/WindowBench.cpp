// tessel-bench: what the main window's list costs the UI thread on a large
// registry, when it is refilled and when another program changes the file.
#include "app/RegistryListing.h"
#include "app/RegistryWatcher.h"
#include "controls/GeoList.h"
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

// The widgets need an application; without a display they are drawn offscreen.
void NeedApplication()
{
    static int argc = 1;
    static char name[] = "tessel-bench";
    static char *argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(argc, argv);
}

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
    NeedApplication();
    const Registry registry(int(state.range(0)));
    const RegistryListing listing = ListRegistry(registry.path());
    ShownList list;
    for (auto _ : state)
        list.show(listing);
}
BENCHMARK(BM_ListRefill)->Arg(100000)->Unit(benchmark::kMillisecond);

// The CPU time this thread has used.
qint64 ThreadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// A change another program makes to the registry, followed from the notice
// to the list that shows it. The time is the wait until the list shows it.
// Between two beats of a 1 ms timer the UI thread answers nothing: the
// longest such gap, less the 1 ms, is ui_block_ms; ui_busy_ms is the CPU time
// the UI thread used in its busiest gap, which a loaded machine does not
// stretch.
void BM_OutsideChange(benchmark::State &state)
{
    NeedApplication();
    const Registry registry(int(state.range(0)));
    const QByteArray original = [&] {
        QFile file(registry.path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    RegistryWatcher watcher(registry.path());
    ShownList list;
    list.show(watcher.readForList());
    QEventLoop loop;
    QObject::connect(&watcher, &RegistryWatcher::changed, &loop, [&](const RegistryListing &listing) {
        list.show(listing);
        loop.quit();
    });
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    beat.setInterval(1);
    QElapsedTimer sinceBeat;
    qint64 cpuAtBeat = 0;
    qint64 longestGapNs = 0;
    qint64 busiestGapNs = 0;
    const auto beaten = [&] {
        longestGapNs = std::max(longestGapNs, sinceBeat.nsecsElapsed());
        busiestGapNs = std::max(busiestGapNs, ThreadCpuNs() - cpuAtBeat);
        sinceBeat.start();
        cpuAtBeat = ThreadCpuNs();
    };
    QObject::connect(&beat, &QTimer::timeout, beaten);
    qint64 longestBlockNs = 0;
    qint64 busiestNs = 0;
    int round = 0;
    for (auto _ : state) {
        // Another program replaces the file with one more record at the end.
        const QString written = registry.path() + QStringLiteral(".new");
        QFile file(written);
        const QByteArray bytes = original + Record(1'000'000 + round++);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
            state.SkipWithError("cannot write the registry");
        file.close();
        QElapsedTimer shown;
        shown.start();
        if (std::rename(qPrintable(written), qPrintable(registry.path())) != 0)
            state.SkipWithError("cannot replace the registry");
        longestGapNs = busiestGapNs = 0;
        sinceBeat.start();
        cpuAtBeat = ThreadCpuNs();
        beat.start();
        loop.exec();
        beat.stop();
        state.SetIterationTime(double(shown.nsecsElapsed()) / 1e9);
        beaten();
        longestBlockNs = std::max(longestBlockNs, longestGapNs - 1'000'000);
        busiestNs = std::max(busiestNs, busiestGapNs);
    }
    state.counters["ui_block_ms"] = double(longestBlockNs) / 1e6;
    state.counters["ui_busy_ms"] = double(busiestNs) / 1e6;
}
BENCHMARK(BM_OutsideChange)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
