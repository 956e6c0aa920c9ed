#include "registry/RegistryHistory.h"

#include "platform/SafeFile.h"
#include "profile/ProfileDocument.h"
#include "profile/ProfileEdit.h"
#include "profile/ProfileNames.h"
#include "profile/ProfilePaths.h"
#include "profile/ProfileReading.h"
#include "registry/OwnChangeLog.h"

#include <QHash>
#include <QSet>

#include <algorithm>

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

// A record as read from its section's lines, parsed alone: its name as its
// section line spells it, and its values when asked for.
class RecordRead
{
public:
    RecordRead(const QByteArray &lines, ProfileCodec::Encoding encoding)
        : m_section(lines, encoding, {})
        , m_name(m_section.sectionNames().value(0))
    { }

    const QString &name() const { return m_name; }
    QList<ProfileEntry> values() const { return ValuesRead(m_section, m_name); }

private:
    ProfileDocument m_section;
    QString m_name;
};

// The record of a section's lines; nothing without lines.
std::optional<RecordRead> ReadRecord(const std::optional<QByteArray> &lines, ProfileCodec::Encoding encoding)
{
    if (!lines)
        return std::nullopt;
    return RecordRead(*lines, encoding);
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

// The records a comparison finds to differ, each with its keys or, as a
// version's note needs them, its name alone: then the values of a record
// only one side has are not even read.
class Differences
{
public:
    explicit Differences(DifferenceDetail detail)
        : m_detail(detail)
    { }

    template<typename ReadValues>
    void removed(const QString &name, ReadValues values)
    {
        m_list.append({name, RecordDifference::Kind::Removed, wholeRecord(values, true)});
    }
    template<typename ReadValues>
    void added(const QString &name, ReadValues values)
    {
        m_list.append({name, RecordDifference::Kind::Added, wholeRecord(values, false)});
    }
    void changed(const QString &name, const QList<ProfileEntry> &before, const QList<ProfileEntry> &after)
    {
        if (QList<KeyDifference> keys = ChangedKeys(before, after); !keys.isEmpty())
            m_list.append({name, RecordDifference::Kind::Changed,
                           m_detail == DifferenceDetail::Keys ? std::move(keys) : QList<KeyDifference>()});
    }
    QList<RecordDifference> take() { return std::move(m_list); }

private:
    // The keys of a record that only one side has.
    template<typename ReadValues>
    QList<KeyDifference> wholeRecord(ReadValues values, bool isBefore) const
    {
        QList<KeyDifference> keys;
        if (m_detail == DifferenceDetail::Names)
            return keys;
        for (const ProfileEntry &entry : values()) {
            keys.append(isBefore ? KeyDifference{entry.key, entry.value, std::nullopt}
                                 : KeyDifference{entry.key, std::nullopt, entry.value});
        }
        return keys;
    }

    DifferenceDetail m_detail;
    QList<RecordDifference> m_list;
};

// The records that differ between two documents, each record read whole.
QList<RecordDifference> CompareEveryRecord(const ProfileDocument &before, const ProfileDocument &after,
                                           DifferenceDetail detail)
{
    Differences differences(detail);
    QSet<QString> seen;
    for (const QString &name : before.sectionNames()) {
        if (seen.contains(name.toCaseFolded()))
            continue;
        seen.insert(name.toCaseFolded());
        if (!after.hasSection(name)) {
            differences.removed(name, [&] { return ValuesRead(before, name); });
            continue;
        }
        if (before.sectionBytes(name) != after.sectionBytes(name))
            differences.changed(name, ValuesRead(before, name), ValuesRead(after, name));
    }
    for (const QString &name : after.sectionNames()) {
        if (seen.contains(name.toCaseFolded()))
            continue;
        seen.insert(name.toCaseFolded());
        differences.added(name, [&] { return ValuesRead(after, name); });
    }
    return differences.take();
}

// The named sections of a Windows-1252 file, found from its bytes: where
// each lies, where its name lies in its section line and the hash of the name
// as lookups fold it. Names are decoded again when they are needed rather
// than held, so that a large file costs a few bytes a section beside its own.
class RecordSpans
{
public:
    struct Span
    {
        // Offsets of 32 bits: no profile file read is above 64 MB.
        qint32 from = 0;
        qint32 to = 0;
        qint32 nameFrom = 0;
        qint32 nameTo = 0;
        size_t hash = 0;
    };

    static std::optional<RecordSpans> Scan(const QByteArray &bytes, const ProfileCodec &codec)
    {
        if (codec.encoding() != ProfileCodec::Encoding::Windows1252)
            return std::nullopt;
        RecordSpans scanned(bytes, codec);
        std::vector<Span> &spans = scanned.m_spans;
        const qint32 size = qint32(bytes.size());
        ProfileDocument::ScanSectionLines(bytes, [&](const ProfileDocument::SectionLine &line) {
            if (!spans.empty())
                spans.back().to = qint32(line.start);
            Span span{qint32(line.start), size, qint32(line.nameFrom), qint32(line.nameTo), 0};
            span.hash = qHash(scanned.foldedName(span));
            spans.push_back(span);
        });
        scanned.m_byHash.reserve(spans.size());
        for (size_t index = 0; index < spans.size(); ++index)
            scanned.m_byHash.push_back({spans[index].hash, qint32(index)});
        std::sort(scanned.m_byHash.begin(), scanned.m_byHash.end());
        return scanned;
    }

    const std::vector<Span> &spans() const { return m_spans; }
    // The name as the section line spells it, blanks removed.
    QString name(const Span &span) const
    {
        return m_codec.decode(QByteArrayView(m_bytes).sliced(span.nameFrom, span.nameTo - span.nameFrom));
    }
    QString foldedName(const Span &span) const { return name(span).toCaseFolded(); }
    // The first section of the name, as lookups find it.
    const Span *find(const QString &foldedName, size_t hash) const
    {
        for (auto entry = std::lower_bound(m_byHash.begin(), m_byHash.end(), NameHash{hash, 0});
             entry != m_byHash.end() && entry->hash == hash; ++entry) {
            if (this->foldedName(m_spans[size_t(entry->span)]) == foldedName)
                return &m_spans[size_t(entry->span)];
        }
        return nullptr;
    }
    QByteArrayView bytesOf(const Span &span) const
    {
        return QByteArrayView(m_bytes).sliced(span.from, span.to - span.from);
    }
    // The section's keys with their values as they read, the section parsed alone.
    QList<ProfileEntry> valuesRead(const Span &span) const
    {
        return ValuesRead(ProfileDocument(bytesOf(span).toByteArray(), m_codec.encoding(), {}), name(span));
    }

private:
    RecordSpans(const QByteArray &bytes, const ProfileCodec &codec)
        : m_bytes(bytes)
        , m_codec(codec)
    { }

    struct NameHash
    {
        size_t hash;
        qint32 span;
        auto operator<=>(const NameHash &) const = default;
    };

    const QByteArray &m_bytes;
    ProfileCodec m_codec;
    std::vector<Span> m_spans; // in file order
    std::vector<NameHash> m_byHash; // ordered by hash, then by place in the file
};

// The records that differ between two files, as CompareEveryRecord finds
// them, with only the sections whose bytes differ parsed.
QList<RecordDifference> CompareSectionSpans(const RecordSpans &before, const RecordSpans &after,
                                            DifferenceDetail detail)
{
    Differences differences(detail);
    for (const RecordSpans::Span &span : before.spans()) {
        const QString folded = before.foldedName(span);
        if (before.find(folded, span.hash) != &span)
            continue; // an earlier section of the name hides it
        const RecordSpans::Span *now = after.find(folded, span.hash);
        if (!now) {
            differences.removed(before.name(span), [&] { return before.valuesRead(span); });
            continue;
        }
        if (before.bytesOf(span) != after.bytesOf(*now))
            differences.changed(before.name(span), before.valuesRead(span), after.valuesRead(*now));
    }
    for (const RecordSpans::Span &span : after.spans()) {
        const QString folded = after.foldedName(span);
        if (after.find(folded, span.hash) != &span || before.find(folded, span.hash))
            continue;
        differences.added(after.name(span), [&] { return after.valuesRead(span); });
    }
    return differences.take();
}

// The section of each record that the change touched as the change leaves
// it, by case-folded name, the note naming the records.
QHash<QString, std::optional<QByteArray>> SectionsLeft(const FileChange &change, const VersionNote &note)
{
    QHash<QString, std::optional<QByteArray>> left;
    if (change.sections) {
        for (const SectionChange &section : change.sections->changes) {
            const std::optional<RecordRead> record =
                ReadRecord(section.after ? section.after : section.before, change.sections->encoding);
            left.insert(record->name().toCaseFolded(), section.after);
        }
        return left;
    }
    const ProfileEdit after(change.after);
    for (const QStringList &names : {note.added, note.changed, note.removed}) {
        for (const QString &name : names)
            left.insert(name.toCaseFolded(), after.sectionBytes(name));
    }
    return left;
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

    WriteResult prepare(const QString &filePath, const FileChange &change,
                        const std::optional<FilePermissions> &permissions) override
    {
        const QList<RecordDifference> differences = CompareRecords(change, DifferenceDetail::Names);
        VersionNote note;
        note.action = ActionText(m_action, differences);
        for (const RecordDifference &difference : differences) {
            (difference.kind == RecordDifference::Kind::Added         ? note.added
                 : difference.kind == RecordDifference::Kind::Removed ? note.removed
                                                                      : note.changed)
                .append(difference.name);
        }
        m_history.emplace(filePath);
        Result<VersionNote, FileError> kept = m_history->keep(std::move(note), change.before, permissions);
        if (!kept)
            return FileWriteFailure(kept.error());
        m_note = std::move(*kept);
        if (OwnChangeLog::Follows(m_history->folder()))
            m_left = SectionsLeft(change, m_note);
        return {};
    }

    void settle(bool replaced) override
    {
        if (!replaced) {
            m_history->discard(m_note.number);
            return;
        }
        m_history->prune();
        if (m_left)
            OwnChangeLog::Report(m_history->folder(), {m_note, *m_left});
        if (m_kept)
            *m_kept = m_note;
    }

private:
    const RegistryAction &m_action;
    VersionNote *m_kept;
    std::optional<FileHistory> m_history;
    VersionNote m_note;
    // The records as the change leaves them, when a log of this process follows the registry.
    std::optional<QHash<QString, std::optional<QByteArray>>> m_left;
};

} // namespace

QList<RecordDifference> CompareRecords(const QByteArray &before, const QByteArray &after,
                                       DifferenceDetail detail)
{
    if (before == after)
        return {};
    const ProfileCodec codec = ProfileCodec::ForFile(before);
    if (codec.encoding() == ProfileCodec::ForFile(after).encoding()) {
        const std::optional<RecordSpans> oldSpans = RecordSpans::Scan(before, codec);
        const std::optional<RecordSpans> newSpans = RecordSpans::Scan(after, codec);
        if (oldSpans && newSpans)
            return CompareSectionSpans(*oldSpans, *newSpans, detail);
    }
    return CompareEveryRecord(ProfileDocument(before), ProfileDocument(after), detail);
}

QList<RecordDifference> CompareRecords(const FileChange &change, DifferenceDetail detail)
{
    return change.sections ? CompareRecords(*change.sections, detail)
                           : CompareRecords(change.before, change.after, detail);
}

QList<RecordDifference> CompareRecords(const EditedSections &sections, DifferenceDetail detail)
{
    Differences differences(detail);
    for (const SectionChange &edited : sections.changes) {
        const std::optional<RecordRead> before = ReadRecord(edited.before, sections.encoding);
        const std::optional<RecordRead> after = ReadRecord(edited.after, sections.encoding);
        if (!after)
            differences.removed(before->name(), [&] { return before->values(); });
        else if (!before)
            differences.added(after->name(), [&] { return after->values(); });
        else
            differences.changed(before->name(), before->values(), after->values());
    }
    return differences.take();
}

QString ActionOnRecords(const QString &verb, const QStringList &names)
{
    constexpr qsizetype Named = 3;
    const QString listed = names.first(std::min(names.size(), Named)).join(QStringLiteral(", "));
    return names.size() <= Named
        ? verb % u' ' % listed
        : QStringLiteral("%1 %2 and %3 more").arg(verb, listed).arg(names.size() - Named);
}

WriteResult EditRegistry(const QString &registryPath, const RegistryAction &action,
                         const std::function<WriteResult(ProfileEdit &)> &edits, VersionNote *kept)
{
    KeepVersion keepVersion(action, kept);
    return EditProfile(registryPath, edits, LockedFile::DefaultWait, &keepVersion);
}

WriteResult ApplyRestore(ProfileEdit &edit, const QByteArray &oldBytes, const QStringList &names)
{
    if (names.isEmpty()) {
        edit.setBytes(oldBytes);
        return {};
    }
    const ProfileDocument::SectionScan old = ProfileDocument::ScanSections(oldBytes);
    if (old.codec.encoding() != edit.codec().encoding())
        return NotWritten(
            WriteFailure::Unencodable, {},
            QStringLiteral("the version is in another encoding than the registry; restore it whole"));
    const auto folded = [&](QStringView name) { return ProfileDocument::LookupName(old.codec, name); };
    QSet<QString> restoring;
    for (const QString &name : names)
        restoring.insert(folded(name));
    // Each restored record as the version has it (the first of its name),
    // where it stands there and the record it goes back before when the
    // registry lacks it: the first after it in the version that the registry
    // has once the restore is done. One pass from the version's end finds them.
    struct Restored
    {
        const ProfileDocument::SectionSpan *span = nullptr;
        QString placeBefore;
    };
    QHash<QString, Restored> restored;
    QString next;
    for (auto span = old.spans.crbegin(); span != old.spans.crend(); ++span) {
        if (span->name.isEmpty())
            continue;
        const QString name = folded(span->name);
        const bool isRestored = restoring.contains(name);
        if (isRestored)
            restored.insert(name, {&*span, next});
        if (isRestored || edit.hasSection(span->name))
            next = span->name;
    }
    // Put back from the version's last record to its first, so that the one
    // each goes before is there.
    QStringList order = names;
    const auto place = [&](const QString &name) {
        const Restored found = restored.value(folded(name));
        return found.span ? found.span->from : -1;
    };
    std::ranges::stable_sort(order, std::greater<>(), place);
    for (const QString &name : std::as_const(order)) {
        const Restored found = restored.value(folded(name));
        const std::optional<QByteArray> lines = found.span
            ? std::optional(oldBytes.sliced(found.span->from, found.span->to - found.span->from))
            : std::nullopt;
        if (WriteResult written = edit.setSectionBytes(name, lines, found.placeBefore); !written)
            return written;
    }
    return {};
}

FileHistory RegistryHistory(const QString &registryPath)
{
    return FileHistory(ResolveSymbolicLinks(ResolveProfilePath(registryPath)));
}

} // namespace tessel
