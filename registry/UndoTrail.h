#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

#include "profile/FileHistory.h"
#include "profile/WriteResult.h"
#include "registry/OwnChangeLog.h"

namespace tessel {

// The changes that this program made to the registry, newest last, for
// undoing them one after the other. It learns them as their versions are
// kept, with the records as each change left them, so that it never undoes
// over a change that another program made since.
class UndoTrail
{
public:
    // Changes made before it is made are not the trail's.
    explicit UndoTrail(QString registryPath);

    // Takes up the changes the program made since the last call: call it
    // after each change made.
    void takeOwnChanges();

    // The change that undoLast() would undo, if any.
    std::optional<VersionNote> last() const;

    // Restores the records that the last change touched as they were in
    // the version before it, as one replacement (itself kept as a version).
    // Refused with RecordChanged (the detail names the record) when another
    // program changed one of them since; then the change stays undoable.
    WriteResult undoLast();

private:
    QString m_registryPath;
    FileHistory m_history;
    OwnChangeLog m_log;
    QList<OwnChange> m_changes;
};

} // namespace tessel
