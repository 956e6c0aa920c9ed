#include "app/RegistryWatcher.h"

#include <algorithm>
#include <utility>

#include <QFileInfo>

#include "profile/ProfileDocument.h"
#include "profile/ProfileStore.h"

namespace tessel {

RegistryWatcher::RegistryWatcher(QString registryPath, QObject *parent)
    : QObject(parent)
    , m_path(std::move(registryPath))
    , m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    connect(m_settle, &QTimer::timeout, this, &RegistryWatcher::settled);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &RegistryWatcher::notice);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &RegistryWatcher::notice);
    m_watcher.addPath(QFileInfo(m_path).absolutePath());
    watchFile();
}

std::shared_ptr<const ProfileDocument> RegistryWatcher::readForList()
{
    m_listed = ProfileDocumentForReads(m_path);
    return m_listed;
}

void RegistryWatcher::notice()
{
    watchFile();
    if (!m_settle->isActive())
        m_burst.start();
    const std::chrono::milliseconds waited(m_burst.elapsed());
    m_settle->start(std::clamp(LongestWait - waited, std::chrono::milliseconds(0), SettleTime));
}

// A watch stays with the file it was set on, which a rename over the path
// replaces: the path is watched anew, on whatever file it names now.
void RegistryWatcher::watchFile()
{
    if (m_watcher.files().contains(m_path))
        m_watcher.removePath(m_path);
    if (QFileInfo::exists(m_path))
        m_watcher.addPath(m_path);
}

void RegistryWatcher::settled()
{
    if (m_holds > 0) {
        m_keptBack = true;
        return;
    }
    const std::shared_ptr<const ProfileDocument> now = ProfileDocumentForReads(m_path);
    if (!m_listed || (now != m_listed && now->bytes() != m_listed->bytes()))
        emit changed();
}

void RegistryWatcher::release()
{
    // Looked at from the event loop, once whatever ended the hold is done.
    if (--m_holds == 0 && std::exchange(m_keptBack, false))
        m_settle->start(0);
}

RegistryWatcher::Hold::Hold(RegistryWatcher &watcher)
    : m_watcher(watcher)
{
    ++m_watcher.m_holds;
}

RegistryWatcher::Hold::~Hold()
{
    m_watcher.release();
}

} // namespace tessel
