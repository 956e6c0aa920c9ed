#include "registry/OwnChangeLog.h"

#include "registry/RegistryHistory.h"

#include <QMutex>
#include <QMutexLocker>

#include <algorithm>
#include <utility>
#include <vector>

namespace tessel {

namespace {

// Every live log; a dialog's save and the window's refill may run on
// different threads.
struct LiveLogs
{
    QMutex mutex;
    std::vector<OwnChangeLog *> logs;
};

LiveLogs &Live()
{
    static LiveLogs live;
    return live;
}

} // namespace

OwnChangeLog::OwnChangeLog(const QString &registryPath)
    : m_historyFolder(RegistryHistory(registryPath).folder())
{
    const QMutexLocker locker(&Live().mutex);
    Live().logs.push_back(this);
}

OwnChangeLog::~OwnChangeLog()
{
    const QMutexLocker locker(&Live().mutex);
    std::erase(Live().logs, this);
}

QList<OwnChange> OwnChangeLog::take()
{
    const QMutexLocker locker(&Live().mutex);
    return std::exchange(m_changes, {});
}

bool OwnChangeLog::Follows(const QString &historyFolder)
{
    const QMutexLocker locker(&Live().mutex);
    return std::ranges::any_of(
        Live().logs, [&](const OwnChangeLog *log) { return log->m_historyFolder == historyFolder; });
}

void OwnChangeLog::Report(const QString &historyFolder, const OwnChange &change)
{
    const QMutexLocker locker(&Live().mutex);
    for (OwnChangeLog *log : Live().logs) {
        if (log->m_historyFolder == historyFolder)
            log->m_changes.append(change);
    }
}

} // namespace tessel
