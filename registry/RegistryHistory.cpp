#include "registry/RegistryHistory.h"

#include "platform/SafeFile.h"
#include "profile/ProfileDocument.h"
#include "profile/ProfileEdit.h"
#include "profile/ProfileNames.h"
#include "profile/ProfilePaths.h"
#include "profile/ProfileReading.h"

#include <QHash>
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
            differences.append(
                {name, RecordDifference::Kind::Removed, WholeRecord(ValuesRead(before, name), true)});
            continue;
        }
        if (before.sectionBytes(name) == after.sectionBytes(name))
            continue;
        if (QList<KeyDifference> keys = ChangedKeys(ValuesRead(before, name), ValuesRead(after, name));
            !keys.isEmpty())
            differences.append({name, RecordDifference::Kind::Changed, std::move(keys)});
    }
    for (const QString &name : after.sectionNames()) {
        if (seen.contains(name.toCaseFolded()))
            continue;
        seen.insert(name.toCaseFolded());
        differences.append(
            {name, RecordDifference::Kind::Added, WholeRecord(ValuesRead(after, name), false)});
    }
    return differences;
}

// The named sections of a file whose section lines its bytes tell: those
// of the encodings in which "[", "]" and blanks are single bytes that no
// other character contains. Lines end at each carriage return and line
// feed, and a section line is one whose first byte after blanks is "[" and
// that holds a "]" after it, as the parser reads them; only the names are
// decoded, so that scanning a large file costs little beside parsing it.
std::optional<std::vector<ProfileDocument::SectionSpan>> NamedSectionsByBytes(const QByteArray &bytes,
                                                                              const ProfileCodec &codec)
{
    if (codec.unitSize() != 1)
        return std::nullopt;
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; };
    const char *data = bytes.constData();
    const qsizetype size = bytes.size();
    std::vector<ProfileDocument::SectionSpan> spans;
    for (qsizetype start = codec.byteOrderMarkSize(); start < size;) {
        qsizetype end = start;
        while (end < size && data[end] != '\n' && data[end] != '\r')
            ++end;
        qsizetype first = start;
        while (first < end && isBlank(data[first]))
            ++first;
        if (first < end && data[first] == '[') {
            qsizetype close = end - 1;
            while (close > first && data[close] != ']')
                --close;
            if (close > first) {
                if (!spans.empty())
                    spans.back().to = start;
                const QString name = codec.decode(QByteArrayView(data + first + 1, close - first - 1));
                spans.push_back({TrimProfileBlanks(name).toString(), start, size});
            }
        }
        start = end + 1;
    }
    return spans;
}

// One side of a comparison: a file's named sections and, for each name
// (letter case ignored), the first section of that name, as lookups find it.
class RecordSpans
{
public:
    RecordSpans(const QByteArray &bytes, const ProfileCodec &codec,
                std::vector<ProfileDocument::SectionSpan> spans)
        : m_bytes(bytes)
        , m_codec(codec)
        , m_spans(std::move(spans))
    {
        m_firstByName.reserve(qsizetype(m_spans.size()));
        for (std::size_t index = 0; index < m_spans.size(); ++index) {
            QString folded = m_spans[index].name.toCaseFolded();
            if (!m_firstByName.contains(folded))
                m_firstByName.insert(std::move(folded), index);
        }
    }

    const std::vector<ProfileDocument::SectionSpan> &spans() const { return m_spans; }
    const ProfileDocument::SectionSpan *find(const QString &foldedName) const
    {
        const auto found = m_firstByName.constFind(foldedName);
        return found == m_firstByName.cend() ? nullptr : &m_spans[*found];
    }
    QByteArrayView bytesOf(const ProfileDocument::SectionSpan &span) const
    {
        return QByteArrayView(m_bytes).sliced(span.from, span.to - span.from);
    }
    // The section's keys with their values as they read, the section parsed alone.
    QList<ProfileEntry> valuesRead(const ProfileDocument::SectionSpan &span) const
    {
        return ValuesRead(ProfileDocument(bytesOf(span).toByteArray(), m_codec.encoding(), {}), span.name);
    }

private:
    const QByteArray &m_bytes;
    ProfileCodec m_codec;
    std::vector<ProfileDocument::SectionSpan> m_spans;
    QHash<QString, std::size_t> m_firstByName;
};

// The records that differ between two files, as CompareEveryRecord finds
// them, with only the sections whose bytes differ parsed.
QList<RecordDifference> CompareSectionSpans(const RecordSpans &before, const RecordSpans &after)
{
    QList<RecordDifference> differences;
    QSet<QString> seen;
    for (const ProfileDocument::SectionSpan &span : before.spans()) {
        QString folded = span.name.toCaseFolded();
        if (seen.contains(folded))
            continue;
        const ProfileDocument::SectionSpan *now = after.find(folded);
        seen.insert(std::move(folded));
        if (!now) {
            differences.append(
                {span.name, RecordDifference::Kind::Removed, WholeRecord(before.valuesRead(span), true)});
            continue;
        }
        if (before.bytesOf(span) == after.bytesOf(*now))
            continue;
        if (QList<KeyDifference> keys = ChangedKeys(before.valuesRead(span), after.valuesRead(*now));
            !keys.isEmpty())
            differences.append({span.name, RecordDifference::Kind::Changed, std::move(keys)});
    }
    for (const ProfileDocument::SectionSpan &span : after.spans()) {
        QString folded = span.name.toCaseFolded();
        if (seen.contains(folded))
            continue;
        seen.insert(std::move(folded));
        differences.append(
            {span.name, RecordDifference::Kind::Added, WholeRecord(after.valuesRead(span), false)});
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
    KeepVersion(const RegistryAction &action, VersionNote *kept)
        : m_action(action)
        , m_kept(kept)
    { }

    WriteResult prepare(const QString &filePath, const ProfileDocument &current, const QByteArray &edited,
                        const std::optional<FilePermissions> &permissions) override
    {
        const QList<RecordDifference> differences = CompareRecords(current, edited);
        VersionNote note;
        note.action = ActionText(m_action, differences);
        for (const RecordDifference &difference : differences) {
            (difference.kind == RecordDifference::Kind::Added         ? note.added
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
    const qsizetype tail = CommonLength(old.constEnd() - 1, after.constEnd() - 1, shorter - head, -1);
    const auto [from, to] = before.sectionsAround(head, old.size() - tail);
    // The section line that ends the run in the old file ends it in the new
    // one too when the byte before it is common to both. A run of most of
    // the file is compared whole rather than parsed again in parts.
    if ((to < old.size() && to <= old.size() - tail) || to - from > old.size() / 2)
        return CompareRecords(old, after);
    const QByteArray mark = from > 0 ? old.first(before.codec().byteOrderMarkSize()) : QByteArray();
    const qsizetype growth = after.size() - old.size();
    return CompareEveryRecord(ProfileDocument(mark + old.sliced(from, to - from)),
                              ProfileDocument(mark + after.sliced(from, to + growth - from)));
}

QList<RecordDifference> CompareRecords(const QByteArray &before, const QByteArray &after)
{
    if (before == after)
        return {};
    const ProfileCodec codec = ProfileCodec::ForFile(before);
    if (codec.encoding() == ProfileCodec::ForFile(after).encoding()) {
        std::optional<std::vector<ProfileDocument::SectionSpan>> oldSpans =
            NamedSectionsByBytes(before, codec);
        std::optional<std::vector<ProfileDocument::SectionSpan>> newSpans =
            NamedSectionsByBytes(after, codec);
        if (oldSpans && newSpans)
            return CompareSectionSpans(RecordSpans(before, codec, std::move(*oldSpans)),
                                       RecordSpans(after, codec, std::move(*newSpans)));
    }
    return CompareEveryRecord(ProfileDocument(before), ProfileDocument(after));
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
        return NotWritten(
            WriteFailure::Unencodable, {},
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
