#include "registry/UndoTrail.h"

#include "profile/ProfileEdit.h"
#include "registry/RegistryHistory.h"

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
    , m_log(m_registryPath)
{ }

void UndoTrail::takeOwnChanges()
{
    m_changes += m_log.take();
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
    m_changes.removeLast();
    // The undo is a change of its own, not one to undo.
    for (OwnChange &change : m_log.take()) {
        if (change.version.number != kept.number)
            m_changes.append(std::move(change));
    }
    return {};
}

} // namespace tessel
