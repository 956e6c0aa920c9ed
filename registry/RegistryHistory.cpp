#include "registry/RegistryHistory.h"

#include "platform/SafeFile.h"
#include "profile/ProfileDocument.h"
#include "profile/ProfileEdit.h"
#include "profile/ProfilePaths.h"
#include "profile/ProfileReading.h"

#include <QSet>

#include <algorithm>
#include <cstring>

namespace tessel {

namespace {

// The values of a record's keys as they read, in file order.
QList<ProfileEntry> ValuesRead(const ProfileDocument &document, const QString &name)
{
    QList<ProfileEntry> entries = document.entries(name);
    for (ProfileEntry &entry : entries)
        entry.value = ReadValue(document, entry.value, {});
    return entries;
}

std::optional<QString> ValueOf(const QList<ProfileEntry> &entries, const QString &key)
{
    for (const ProfileEntry &entry : entries) {
        if (entry.key.compare(key, Qt::CaseInsensitive) == 0)
            return entry.value;
    }
    return std::nullopt;
}

// The keys of a record that only one side has.
QList<KeyDifference> WholeRecord(const QList<ProfileEntry> &entries, bool isBefore)
{
    QList<KeyDifference> keys;
    for (const ProfileEntry &entry : entries) {
        keys.append(isBefore ? KeyDifference{entry.key, entry.value, std::nullopt}
                             : KeyDifference{entry.key, std::nullopt, entry.value});
    }
    return keys;
}

QList<KeyDifference> ChangedKeys(const QList<ProfileEntry> &before, const QList<ProfileEntry> &after)
{
    QList<KeyDifference> keys;
    for (const ProfileEntry &entry : before) {
        const std::optional<QString> now = ValueOf(after, entry.key);
        if (now != entry.value)
            keys.append({entry.key, entry.value, now});
    }
    for (const ProfileEntry &entry : after) {
        if (!ValueOf(before, entry.key))
            keys.append({entry.key, std::nullopt, entry.value});
    }
    return keys;
}

// The records that differ between two documents, each record read whole.
QList<RecordDifference> CompareEveryRecord(const ProfileDocument &before, const ProfileDocument &after)
{
    QList<RecordDifference> differences;
    QSet<QString> seen;
    for (const QString &name : before.sectionNames()) {
        if (seen.contains(name.toCaseFolded()))
            continue;
        seen.insert(name.toCaseFolded());
        if (!after.hasSection(name)) {
            differences.append({name, RecordDifference::Kind::Removed, WholeRecord(ValuesRead(before, name), true)});
            continue;
        }
        if (before.sectionBytes(name) == after.sectionBytes(name))
            continue;
        if (QList<KeyDifference> keys = ChangedKeys(ValuesRead(before, name), ValuesRead(after, name)); !keys.isEmpty())
            differences.append({name, RecordDifference::Kind::Changed, std::move(keys)});
    }
    for (const QString &name : after.sectionNames()) {
        if (seen.contains(name.toCaseFolded()))
            continue;
        seen.insert(name.toCaseFolded());
        differences.append({name, RecordDifference::Kind::Added, WholeRecord(ValuesRead(after, name), false)});
    }
    return differences;
}

// How many bytes a and b have in common going in direction (1 forwards
// from a and b, -1 backwards from them), at most size: a block at a time
// while the blocks match, as a change is small beside the file.
qsizetype CommonLength(const char *a, const char *b, qsizetype size, int direction)
{
    constexpr qsizetype Block = 4096;
    qsizetype common = 0;
    while (common + Block <= size) {
        const qsizetype offset = direction > 0 ? common : -(common + Block - 1);
        if (std::memcmp(a + offset, b + offset, Block) != 0)
            break;
        common += Block;
    }
    while (common < size && a[direction * common] == b[direction * common])
        ++common;
    return common;
}

QString ActionText(const RegistryAction &action, const QList<RecordDifference> &differences)
{
    if (!action.countRecords)
        return action.words;
    const auto count = [&](RecordDifference::Kind kind) {
        return std::count_if(differences.begin(), differences.end(),
                             [&](const RecordDifference &difference) { return difference.kind == kind; });
    };
    return QStringLiteral("%1: %2 added, %3 replaced")
        .arg(action.words)
        .arg(count(RecordDifference::Kind::Added))
        .arg(count(RecordDifference::Kind::Changed));
}

// Keeps the registry that an edit replaces as a version of its history.
class KeepVersion : public ReplacementStep
{
public:
    KeepVersion(const RegistryAction &action, VersionNote *kept) : m_action(action), m_kept(kept) { }

    WriteResult prepare(const QString &filePath, const ProfileDocument &current, const QByteArray &edited,
                        const std::optional<FilePermissions> &permissions) override
    {
        const QList<RecordDifference> differences = CompareRecords(current, edited);
        VersionNote note;
        note.action = ActionText(m_action, differences);
        for (const RecordDifference &difference : differences) {
            (difference.kind == RecordDifference::Kind::Added     ? note.added
             : difference.kind == RecordDifference::Kind::Removed ? note.removed
                                                                  : note.changed)
                .append(difference.name);
        }
        m_history.emplace(filePath);
        Result<VersionNote, FileError> kept = m_history->keep(std::move(note), current.bytes(), permissions);
        if (!kept)
            return FileWriteFailure(kept.error());
        m_note = std::move(*kept);
        return {};
    }

    void settle(bool replaced) override
    {
        if (!replaced) {
            m_history->discard(m_note.number);
            return;
        }
        m_history->prune();
        if (m_kept)
            *m_kept = m_note;
    }

private:
    const RegistryAction &m_action;
    VersionNote *m_kept;
    std::optional<FileHistory> m_history;
    VersionNote m_note;
};

} // namespace

QList<RecordDifference> CompareRecords(const ProfileDocument &before, const QByteArray &after)
{
    // Only the sections that hold the bytes between the common start and
    // the common end of the two files can differ.
    const QByteArray &old = before.bytes();
    const qsizetype shorter = std::min(old.size(), after.size());
    const qsizetype head = CommonLength(old.constData(), after.constData(), shorter, 1);
    if (head == old.size() && head == after.size())
        return {};
    const qsizetype tail =
        CommonLength(old.constEnd() - 1, after.constEnd() - 1, shorter - head, -1);
    const auto [from, to] = before.sectionsAround(head, old.size() - tail);
    // The section line that ends the run in the old file ends it in the new
    // one too when the byte before it is common to both. A run of most of
    // the file is compared whole rather than parsed again in parts.
    if ((to < old.size() && to <= old.size() - tail) || to - from > old.size() / 2)
        return CompareEveryRecord(before, ProfileDocument(after));
    const QByteArray mark = from > 0 ? old.first(before.codec().byteOrderMarkSize()) : QByteArray();
    const qsizetype growth = after.size() - old.size();
    return CompareEveryRecord(ProfileDocument(mark + old.sliced(from, to - from)),
                              ProfileDocument(mark + after.sliced(from, to + growth - from)));
}

WriteResult EditRegistry(const QString &registryPath, const RegistryAction &action,
                         const std::function<WriteResult(ProfileEdit &)> &edits, VersionNote *kept)
{
    KeepVersion keepVersion(action, kept);
    return EditProfile(registryPath, edits, LockedFile::DefaultWait, &keepVersion);
}

WriteResult ApplyRestore(ProfileEdit &edit, const ProfileDocument &old, const QStringList &names)
{
    if (names.isEmpty()) {
        edit.setBytes(old.bytes());
        return {};
    }
    if (old.codec().encoding() != edit.codec().encoding())
        return NotWritten(WriteFailure::Unencodable, {},
                QStringLiteral("the version is in another encoding than the registry; restore it whole"));
    for (const QString &name : names) {
        if (WriteResult restored = edit.setSectionBytes(name, old.sectionBytes(name)); !restored)
            return restored;
    }
    return {};
}

FileHistory RegistryHistory(const QString &registryPath)
{
    return FileHistory(ResolveSymbolicLinks(ResolveProfilePath(registryPath)));
}

} // namespace tessel
