#include "registry/RegistryHistory.h"

#include "platform/SafeFile.h"
#include "profile/ProfileDocument.h"
#include "profile/ProfileEdit.h"
#include "profile/ProfilePaths.h"
#include "profile/ProfileReading.h"

#include <QSet>

#include <algorithm>

namespace tessel {

namespace {

// The records that differ between two documents, each record read whole.
QList<RecordDifference> CompareEveryRecord(const ProfileDocument &before, const ProfileDocument &after)
{
    const auto keysOf = [](const ProfileDocument &document, const QString &name,
                           std::optional<QString> KeyDifference::*side) {
        QList<KeyDifference> keys;
        for (const QString &key : document.keyNames(name)) {
            KeyDifference difference{key, std::nullopt, std::nullopt};
            difference.*side = LookupString(document, name, key, {});
            keys.append(std::move(difference));
        }
        return keys;
    };
    QList<RecordDifference> differences;
    QSet<QString> seen;
    for (const QString &name : before.sectionNames()) {
        if (seen.contains(name.toCaseFolded()))
            continue;
        seen.insert(name.toCaseFolded());
        if (!after.hasSection(name)) {
            differences.append({name, RecordDifference::Kind::Removed, keysOf(before, name, &KeyDifference::before)});
            continue;
        }
        if (before.sectionBytes(name) == after.sectionBytes(name))
            continue;
        QStringList keyNames = before.keyNames(name);
        for (const QString &key : after.keyNames(name)) {
            if (!keyNames.contains(key, Qt::CaseInsensitive))
                keyNames.append(key);
        }
        QList<KeyDifference> keys;
        for (const QString &key : keyNames) {
            const auto valueIn = [&](const ProfileDocument &document) -> std::optional<QString> {
                if (!document.keyNames(name).contains(key, Qt::CaseInsensitive))
                    return std::nullopt;
                return LookupString(document, name, key, {});
            };
            KeyDifference difference{key, valueIn(before), valueIn(after)};
            if (difference.before != difference.after)
                keys.append(std::move(difference));
        }
        if (!keys.isEmpty())
            differences.append({name, RecordDifference::Kind::Changed, std::move(keys)});
    }
    for (const QString &name : after.sectionNames()) {
        if (seen.contains(name.toCaseFolded()))
            continue;
        seen.insert(name.toCaseFolded());
        differences.append({name, RecordDifference::Kind::Added, keysOf(after, name, &KeyDifference::after)});
    }
    return differences;
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

    WriteResult prepare(const QString &filePath, const ProfileDocument &current, const ProfileEdit &edited,
                        const FilePermissions &permissions) override
    {
        const QList<RecordDifference> differences = CompareRecords(current, edited.bytes());
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
    const qsizetype head = std::mismatch(old.begin(), old.begin() + shorter, after.begin()).first - old.begin();
    if (head == old.size() && head == after.size())
        return {};
    const qsizetype tail =
        std::mismatch(old.rbegin(), old.rbegin() + (shorter - head), after.rbegin()).first - old.rbegin();
    const auto [from, to] = before.sectionsAround(head, old.size() - tail);
    // The section line that ends the run in the old file ends it in the new
    // one too when the byte before it is common to both.
    if (to < old.size() && to <= old.size() - tail)
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
    return EditProfile(registryPath, edits, &keepVersion);
}

WriteResult ApplyRestore(ProfileEdit &edit, const ProfileDocument &old, const QStringList &names)
{
    if (names.isEmpty()) {
        edit.setBytes(old.bytes());
        return {};
    }
    if (old.codec().encoding() != edit.document().codec().encoding())
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
