#pragma once

#include <chrono>

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include "app/RegistryListing.h"

namespace tessel {

// Tells the main window when the registry file no longer holds what its list
// shows, because another program changed, replaced, removed or created it,
// and hands over the new listing, read and parsed on a worker thread so that
// the window never waits on the file.
//
// Writers replace the registry by renaming a new file over it, which leaves a
// watch on the file with the old one: the folder is watched as well, and the
// file is watched afresh after every notice. The folder itself may be
// replaced or renamed away and back, so its parent is watched too and the
// folder watched afresh when the parent changes. A burst of notices is waited
// out and then the file is read once; changed() is emitted only when it
// differs from what was last handed out for the list, so a refill the window
// asked for after its own save is not followed by another.
class RegistryWatcher final : public QObject
{
    Q_OBJECT
public:
    // Quiet time after the last notice before the file is read...
    static constexpr std::chrono::milliseconds SettleTime{100};
    // ...but no longer than this after the first notice of a burst.
    static constexpr std::chrono::milliseconds LongestWait{400};

    explicit RegistryWatcher(QString registryPath, QObject *parent = nullptr);

    // Reads the registry in the background and hands it out with changed(),
    // whatever was listed before: the first fill of the list, and the refill
    // after the window's own change. A read already under way began before
    // that change, so the file is read once more after it.
    void listInBackground();

    // While a Hold lives (a dialog or message box of the window is open),
    // nothing is reported; once the last one ends, a change noticed meanwhile
    // is looked at again.
    class Hold
    {
    public:
        explicit Hold(RegistryWatcher &watcher);
        ~Hold();
        Hold(const Hold &) = delete;
        Hold &operator=(const Hold &) = delete;

    private:
        RegistryWatcher &m_watcher;
    };

    [[nodiscard]] Hold hold() { return Hold(*this); }

signals:
    void changed(const RegistryListing &listing);

private:
    void notice();
    void watchFile();
    void watchFolder();
    void read();
    void readFinished();
    void release();

    QString m_path;
    QString m_folder;
    QFileSystemWatcher m_watcher;
    QTimer *m_settle;
    QElapsedTimer m_burst;
    QFutureWatcher<RegistryListing> *m_reading; // a child, which tests wait on
    RegistryListing m_listed;
    bool m_listedAny = false;
    bool m_readAgain = false;
    // The read under way began before listInBackground asked for a listing.
    bool m_readingPredatesRequest = false;
    int m_holds = 0;
    bool m_keptBack = false;
};

} // namespace tessel
