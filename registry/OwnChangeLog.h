#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

#include "profile/FileHistory.h"

namespace tessel {

// A change that this process made to a registry: its version, and the
// section of each record it touched, by case-folded name, as the change left
// it; nothing for a record it removed.
struct OwnChange
{
    VersionNote version;
    QHash<QString, std::optional<QByteArray>> left;
};

// The changes that this process makes to one registry from the log's making
// on, as each replacement that keeps a version reports them, so that they can
// be undone without reading the registry or its history again. Every log of
// the registry receives each change.
class OwnChangeLog
{
public:
    explicit OwnChangeLog(const QString &registryPath);
    ~OwnChangeLog();
    OwnChangeLog(const OwnChangeLog &) = delete;
    OwnChangeLog &operator=(const OwnChangeLog &) = delete;

    // The changes logged since the last call, oldest first.
    QList<OwnChange> take();

    // Whether a log follows the registry whose history is in historyFolder:
    // only then is a change worth reporting.
    static bool Follows(const QString &historyFolder);
    static void Report(const QString &historyFolder, const OwnChange &change);

private:
    QString m_historyFolder;
    QList<OwnChange> m_changes;
};

} // namespace tessel
