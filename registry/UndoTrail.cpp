#include "registry/UndoTrail.h"

#include "profile/ProfileDocument.h"
#include "profile/ProfileEdit.h"
#include "profile/ProfileStore.h"
#include "registry/RegistryHistory.h"

#include <unistd.h>

namespace tessel {

namespace {

QStringList TouchedRecords(const VersionNote &version)
{
    return version.added + version.changed + version.removed;
}

} // namespace

UndoTrail::UndoTrail(QString registryPath)
    : m_registryPath(std::move(registryPath))
    , m_history(RegistryHistory(m_registryPath))
{
    if (const Result<QList<VersionNote>, FileError> versions = m_history.versions();
        versions && !versions->isEmpty())
        m_seen = versions->first().number;
}

void UndoTrail::takeOwnChanges()
{
    const Result<QList<VersionNote>, FileError> versions = m_history.versions();
    const Result<std::shared_ptr<const ProfileDocument>, FileError> now = ReadProfileDocument(m_registryPath);
    if (!versions || !now)
        return;
    // Newest first: the registry as each change left it is the version after
    // it, or the registry now for the newest.
    std::optional<QByteArray> nextBytes;
    QList<OwnChange> taken;
    for (const VersionNote &version : *versions) {
        if (version.number <= m_seen)
            break;
        if (version.processId == ::getpid()) {
            const ProfileDocument left(nextBytes ? *nextBytes : (*now)->bytes());
            OwnChange change{version, {}};
            for (const QString &name : TouchedRecords(version))
                change.left.insert(name.toCaseFolded(), left.sectionBytes(name));
            taken.prepend(std::move(change));
        }
        if (Result<QByteArray, FileError> bytes = m_history.bytes(version.number))
            nextBytes = std::move(*bytes);
    }
    m_seen = versions->isEmpty() ? m_seen : std::max(m_seen, versions->first().number);
    m_changes += taken;
}

std::optional<VersionNote> UndoTrail::last() const
{
    if (m_changes.isEmpty())
        return std::nullopt;
    return m_changes.last().version;
}

WriteResult UndoTrail::undoLast()
{
    const OwnChange &change = m_changes.last();
    const Result<QByteArray, FileError> before = m_history.bytes(change.version.number);
    if (!before)
        return FileWriteFailure(before.error());
    const QStringList names = TouchedRecords(change.version);
    VersionNote kept;
    const WriteResult undone = EditRegistry(
        m_registryPath, {QStringLiteral("undo ") + change.version.action},
        [&](ProfileEdit &edit) {
            for (const QString &name : names) {
                if (edit.sectionBytes(name) != change.left.value(name.toCaseFolded()))
                    return WriteResult(NotWritten(WriteFailure::RecordChanged, {}, name));
            }
            return ApplyRestore(edit, *before, names);
        },
        &kept);
    if (!undone)
        return undone;
    m_seen = std::max(m_seen, kept.number);
    m_changes.removeLast();
    return {};
}

} // namespace tessel
