#pragma once

#include <chrono>
#include <memory>

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

namespace tessel {

class ProfileDocument;

// Tells the main window when the registry file no longer holds what its list
// shows, because another program changed, replaced, removed or created it.
//
// Writers replace the registry by renaming a new file over it, which leaves a
// watch on the file with the old one: the folder is watched as well, and the
// file is watched afresh after every notice. A burst of notices is waited out
// and then the file is read once; changed() is emitted only when its bytes
// differ from those last handed out for the list, so a refill the window made
// itself after its own save is not followed by another.
class RegistryWatcher final : public QObject
{
    Q_OBJECT
public:
    // Quiet time after the last notice before the file is read...
    static constexpr std::chrono::milliseconds SettleTime{100};
    // ...but no longer than this after the first notice of a burst.
    static constexpr std::chrono::milliseconds LongestWait{400};

    explicit RegistryWatcher(QString registryPath, QObject *parent = nullptr);

    // The registry as it is now, for the list to show: from here on, only a
    // file that differs from it counts as changed.
    std::shared_ptr<const ProfileDocument> readForList();

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
    void changed();

private:
    void notice();
    void watchFile();
    void settled();
    void release();

    QString m_path;
    QFileSystemWatcher m_watcher;
    QTimer *m_settle;   // a child, which tests wait on
    QElapsedTimer m_burst;
    std::shared_ptr<const ProfileDocument> m_listed;
    int m_holds = 0;
    bool m_keptBack = false;
};

} // namespace tessel
