#include "app/RegistryWatcher.h"

#include <algorithm>
#include <utility>

#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

namespace tessel {

RegistryWatcher::RegistryWatcher(QString registryPath, QObject *parent)
    : QObject(parent)
    , m_path(std::move(registryPath))
    , m_folder(QFileInfo(m_path).absolutePath())
    , m_settle(new QTimer(this))
    , m_reading(new QFutureWatcher<RegistryListing>(this))
{
    m_settle->setSingleShot(true);
    connect(m_settle, &QTimer::timeout, this, &RegistryWatcher::read);
    connect(m_reading, &QFutureWatcherBase::finished, this, &RegistryWatcher::readFinished);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &RegistryWatcher::notice);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this](const QString &folder) {
        // A change in the parent may be the folder replaced or renamed away and back.
        if (folder != m_folder)
            watchFolder();
        notice();
    });
    const QString parentFolder = QFileInfo(m_folder).absolutePath();
    if (parentFolder != m_folder)
        m_watcher.addPath(parentFolder);
    watchFolder();
    watchFile();
}

void RegistryWatcher::listInBackground()
{
    m_listedAny = false;
    m_readingPredatesRequest = m_reading->isRunning();
    read();
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

// The same for the folder: a watch on it follows the folder renamed away, not
// the one that now holds the registry's path.
void RegistryWatcher::watchFolder()
{
    if (m_watcher.directories().contains(m_folder))
        m_watcher.removePath(m_folder);
    if (QFileInfo(m_folder).isDir())
        m_watcher.addPath(m_folder);
}

void RegistryWatcher::read()
{
    if (m_reading->isRunning()) {
        m_readAgain = true;
        return;
    }
    m_reading->setFuture(QtConcurrent::run(ListRegistry, m_path));
}

void RegistryWatcher::readFinished()
{
    // A read begun before the listing was asked for may miss what it is
    // asked for: only the next one counts.
    if (std::exchange(m_readingPredatesRequest, false)) {
        m_readAgain = false;
        read();
        return;
    }
    // A notice that came while reading may mean that what was read is
    // already out of date; it is still newer than the list, so it is shown
    // while the file is read again.
    const bool readAgain = std::exchange(m_readAgain, false);
    if (m_holds > 0) {
        m_keptBack = true;
        return;
    }
    RegistryListing listing = m_reading->result();
    if (!m_listedAny || !listing.showsTheSameAs(m_listed)) {
        RegistryListing previous = std::exchange(m_listed, std::move(listing));
        m_listedAny = true;
        emit changed(m_listed);
        // Once the window has let go of it too, the listing shown before is
        // the last holder of the old document and entries: freeing those is
        // left to a worker, since for a large registry it takes a while.
        (void)QtConcurrent::run([dropped = std::move(previous)] {});
    }
    if (readAgain)
        read();
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
