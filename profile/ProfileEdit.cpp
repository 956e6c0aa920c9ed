#include "profile/ProfileEdit.h"

#include "platform/AppPaths.h"
#include "platform/FileSnapshot.h"
#include "platform/SafeFile.h"
#include "profile/ProfileCache.h"
#include "profile/ProfileNames.h"
#include "profile/ProfilePaths.h"
#include "profile/StoredValue.h"
#include "profile/ProfileStore.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace tessel {

WriteResult FileWriteFailure(const FileError &error)
{
    switch (error.code) {
    case EACCES:
    case EPERM:
    case EROFS:
        return NotWritten(WriteFailure::NoPermission, {}, error.text);
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return NotWritten(WriteFailure::DiskFull, {}, error.text);
    case EBUSY:
    case EWOULDBLOCK:
        return NotWritten(WriteFailure::Busy, {}, error.text);
    default:
        return NotWritten(WriteFailure::SystemError, {}, error.text);
    }
}

namespace {

// Whether key=value can be written to section and read back as readBack asks;
// a refusal names the key, and for characters the encoding lacks, those
// characters (the messages built from it show them).
WriteResult CheckEntry(const ProfileCodec &codec, QStringView section, const ProfileEntry &entry,
                       ReadBack readBack)
{
    if (const Result<void> names = CheckEntryNames(section, entry.key, {}); !names)
        return NotWritten(WriteFailure::BadName, entry.key, names.error());
    for (const QString &name : {section.toString(), entry.key}) {
        if (const QString lost = codec.lostCharacters(name); !lost.isEmpty())
            return NotWritten(WriteFailure::Unencodable, entry.key, lost);
    }
    if (WriteResult value = CheckStoredValue(entry.value, codec, readBack); !value) {
        const WriteFailure failure = value.error().failure;
        return NotWritten(failure, entry.key,
                          failure == WriteFailure::Unencodable ? codec.lostCharacters(entry.value)
                                                               : value.error().detail);
    }
    return {};
}

} // namespace

ProfileEdit::ProfileEdit(QByteArray bytes)
    : m_original(std::move(bytes))
{
    ProfileDocument::SectionScan scan = ProfileDocument::ScanSections(m_original);
    m_codec = scan.codec;
    m_lineBreak = std::move(scan.lineBreak);
    m_mark = m_original.first(scan.markSize);
    m_size = m_mark.size();
    m_parts.reserve(scan.spans.size());
    m_firstOfName.reserve(qsizetype(scan.spans.size()));
    for (const ProfileDocument::SectionSpan &span : scan.spans) {
        // The parts share the original's bytes, which m_original keeps.
        appendPart(span.name.toCaseFolded(),
                   QByteArray::fromRawData(m_original.constData() + span.from, span.to - span.from));
    }
    m_firstLive = 0;
    while (m_firstLive >= 0 && m_parts[std::size_t(m_firstLive)].bytes.isEmpty())
        m_firstLive = m_parts[std::size_t(m_firstLive)].next;
}

QByteArray ProfileEdit::bytes() const
{
    QByteArray bytes;
    bytes.reserve(m_size);
    bytes.append(m_mark);
    for (int part = 0; part >= 0; part = m_parts[std::size_t(part)].next)
        bytes.append(m_parts[std::size_t(part)].bytes);
    return bytes;
}

int ProfileEdit::find(QStringView section) const
{
    return findName(ProfileDocument::LookupName(m_codec, section));
}

int ProfileEdit::findName(const QString &lookupName) const
{
    if (lookupName.isEmpty())
        return -1;
    for (int part = m_firstOfName.value(lookupName, -1); part >= 0;
         part = m_parts[std::size_t(part)].nextOfName) {
        if (!m_parts[std::size_t(part)].bytes.isEmpty())
            return part;
    }
    return -1;
}

ProfileDocument ProfileEdit::parsed(int part, const QByteArray &lineBreak) const
{
    const QByteArray &bytes = m_parts[std::size_t(part)].bytes;
    return ProfileDocument(QByteArray(bytes.constData(), bytes.size()), m_codec.encoding(), lineBreak);
}

bool ProfileEdit::hasSection(QStringView section) const
{
    return find(section) >= 0;
}

ProfileDocument ProfileEdit::section(QStringView section) const
{
    const int part = find(section);
    return part < 0 ? ProfileDocument(QByteArray(), m_codec.encoding(), m_lineBreak)
                    : parsed(part, m_lineBreak);
}

std::optional<QByteArray> ProfileEdit::sectionBytes(QStringView section) const
{
    const int part = find(section);
    if (part < 0)
        return std::nullopt;
    const QByteArray &bytes = m_parts[std::size_t(part)].bytes;
    return QByteArray(bytes.constData(), bytes.size());
}

int ProfileEdit::touch(const QString &lookupName)
{
    const int part = findName(lookupName);
    if (!m_touched.contains(lookupName))
        m_touched.insert(lookupName, {part, part < 0 ? QByteArray() : m_parts[std::size_t(part)].bytes});
    return part;
}

std::optional<EditedSections> ProfileEdit::editedSections() const
{
    if (m_replacedWhole)
        return std::nullopt;
    // A section is placed where the file had it, else where the edits put
    // it, after all of the file's: the file's parts are numbered in its order.
    std::vector<int> placeOf(m_parts.size());
    int place = 0;
    for (int part = 0; part >= 0; part = m_parts[std::size_t(part)].next)
        placeOf[std::size_t(part)] = place++;
    // Each touched name with the part it has now, placed.
    struct Placed
    {
        int place;
        const Touched *touched;
        int now;
    };
    std::vector<Placed> placed;
    for (auto touched = m_touched.cbegin(); touched != m_touched.cend(); ++touched) {
        const int now = findName(touched.key());
        placed.push_back({touched->part >= 0
                              ? touched->part
                              : int(m_parts.size()) + (now < 0 ? 0 : placeOf[std::size_t(now)]),
                          &touched.value(), now});
    }
    std::ranges::sort(placed, {}, &Placed::place);
    const auto copied = [](const QByteArray &bytes) { return QByteArray(bytes.constData(), bytes.size()); };
    EditedSections edited{m_codec.encoding(), {}};
    for (const auto &[place, touched, now] : placed) {
        SectionChange change;
        if (touched->part >= 0)
            change.before = copied(touched->before);
        if (now >= 0)
            change.after = copied(m_parts[std::size_t(now)].bytes);
        if (change.before != change.after)
            edited.changes.push_back(std::move(change));
    }
    return edited;
}

void ProfileEdit::replacePart(int part, QByteArray bytes)
{
    m_size += bytes.size() - m_parts[std::size_t(part)].bytes.size();
    m_parts[std::size_t(part)].bytes = std::move(bytes);
    if (part == m_firstLive)
        followFirstPart();
}

void ProfileEdit::appendPart(const QString &lookupName, QByteArray bytes)
{
    const int part = int(m_parts.size());
    m_size += bytes.size();
    m_parts.push_back({std::move(bytes), -1, -1, m_last});
    if (m_last >= 0)
        m_parts[std::size_t(m_last)].next = part;
    m_last = part;
    nameParts(lookupName, part);
    if (m_firstLive < 0)
        followFirstPart();
}

void ProfileEdit::insertPart(const QString &lookupName, QByteArray bytes, int before)
{
    const int part = int(m_parts.size());
    const int after = m_parts[std::size_t(before)].previous;
    m_size += bytes.size();
    m_parts.push_back({std::move(bytes), -1, before, after});
    m_parts[std::size_t(after)].next = part;
    m_parts[std::size_t(before)].previous = part;
    nameParts(lookupName, part);
    if (before == m_firstLive) {
        m_firstLive = part;
        followFirstPart();
    }
}

// Only a name's first part with lines is ever found, so a new part of the
// name may follow its others whatever their places.
void ProfileEdit::nameParts(const QString &lookupName, int part)
{
    if (lookupName.isEmpty())
        return;
    const auto first = m_firstOfName.constFind(lookupName);
    if (first == m_firstOfName.cend()) {
        m_firstOfName.insert(lookupName, part);
        return;
    }
    int last = *first;
    while (m_parts[std::size_t(last)].nextOfName >= 0)
        last = m_parts[std::size_t(last)].nextOfName;
    m_parts[std::size_t(last)].nextOfName = part;
}

// New lines take the file's first line break, which is in its first part
// that holds lines (every part but the last ends with one). Parts before
// the first with lines stay empty, as only parts with lines are edited.
void ProfileEdit::followFirstPart()
{
    if (m_firstLive < 0)
        m_firstLive = 0;
    while (m_firstLive >= 0 && m_parts[std::size_t(m_firstLive)].bytes.isEmpty())
        m_firstLive = m_parts[std::size_t(m_firstLive)].next;
    m_lineBreak = m_firstLive >= 0 ? parsed(m_firstLive, {}).lineBreak()
                                   : ProfileDocument(QByteArray(), m_codec.encoding(), {}).lineBreak();
}

WriteResult ProfileEdit::checkEntries(QStringView section, const QList<ProfileEntry> &entries,
                                      ReadBack readBack) const
{
    if (const Result<void> name = CheckSectionName(section); !name)
        return NotWritten(WriteFailure::BadName, {}, name.error());
    for (const ProfileEntry &entry : entries) {
        if (WriteResult refused = CheckEntry(m_codec, section, entry, readBack); !refused)
            return refused;
    }
    return {};
}

int ProfileEdit::lastLivePart() const
{
    int last = m_last;
    while (last >= 0 && m_parts[std::size_t(last)].bytes.isEmpty())
        last = m_parts[std::size_t(last)].previous;
    return last;
}

// A new section goes after the file's last line, which is in its last part
// that holds lines: that part is rebuilt with it, then split after its own lines.
WriteResult ProfileEdit::append(QStringView section, const QList<ProfileEntry> &entries,
                                const QString &lookupName)
{
    const int last = lastLivePart();
    const ProfileDocument tail =
        last < 0 ? ProfileDocument(QByteArray(), m_codec.encoding(), m_lineBreak) : parsed(last, m_lineBreak);
    QByteArray joined = tail.withValues(section, entries);
    const qsizetype split =
        ProfileDocument(joined, m_codec.encoding(), m_lineBreak).sectionSpans().back().from;
    if (last >= 0)
        replacePart(last, joined.first(split));
    appendPart(lookupName, joined.sliced(split));
    return {};
}

WriteResult ProfileEdit::writeEntries(QStringView section, const QList<ProfileEntry> &entries,
                                      ReadBack readBack, SectionRebuild rebuild)
{
    if (WriteResult refused = checkEntries(section, entries, readBack); !refused)
        return refused;
    const QString lookupName = ProfileDocument::LookupName(m_codec, section);
    const int part = touch(lookupName);
    if (part < 0)
        return append(section, entries, lookupName);
    replacePart(part, (parsed(part, m_lineBreak).*rebuild)(section, entries));
    return {};
}

WriteResult ProfileEdit::setValues(QStringView section, const QList<ProfileEntry> &entries, ReadBack readBack)
{
    return writeEntries(section, entries, readBack, &ProfileDocument::withValues);
}

WriteResult ProfileEdit::setValue(QStringView section, const QString &key, const QString &value)
{
    return setValues(section, {ProfileEntry{key, value}});
}

WriteResult ProfileEdit::rewriteSection(QStringView section, const QList<ProfileEntry> &entries,
                                        ReadBack readBack)
{
    return writeEntries(section, entries, readBack, &ProfileDocument::withSectionRewritten);
}

WriteResult ProfileEdit::removeSection(QStringView section)
{
    if (const Result<void> name = CheckSectionName(section); !name)
        return NotWritten(WriteFailure::BadName, {}, name.error());
    if (const int part = touch(ProfileDocument::LookupName(m_codec, section)); part >= 0)
        replacePart(part, {});
    return {};
}

bool ProfileEdit::endsWithBreak(const QByteArray &bytes) const
{
    const int unit = m_codec.unitSize();
    return bytes.size() >= unit && m_codec.unitAt(bytes, bytes.size() - unit) == u'\n';
}

WriteResult ProfileEdit::setSectionBytes(QStringView section, const std::optional<QByteArray> &lines,
                                         QStringView placeBefore)
{
    if (!lines)
        return removeSection(section);
    if (const Result<void> name = CheckSectionName(section); !name)
        return NotWritten(WriteFailure::BadName, {}, name.error());
    const QString lookupName = ProfileDocument::LookupName(m_codec, section);
    // Parts are found by the name of their section line.
    if (const QStringList names = ProfileDocument(*lines, m_codec.encoding(), {}).sectionNames();
        names.size() != 1 || ProfileDocument::LookupName(m_codec, names.first()) != lookupName)
        return NotWritten(WriteFailure::BadName, {},
                          QStringLiteral("the lines are not one section of that name"));
    const int part = touch(lookupName);
    const int last = lastLivePart();
    QByteArray put = *lines;
    if (part >= 0) {
        // Only the file's last line may go without a break.
        if (part != last && !endsWithBreak(put))
            put += m_lineBreak;
        replacePart(part, std::move(put));
        return {};
    }
    if (const int before = placeBefore.isEmpty() ? -1 : find(placeBefore); before >= 0) {
        if (!endsWithBreak(put))
            put += m_lineBreak;
        insertPart(lookupName, std::move(put), before);
        return {};
    }
    if (last >= 0 && !endsWithBreak(m_parts[std::size_t(last)].bytes))
        replacePart(last, m_parts[std::size_t(last)].bytes + m_lineBreak);
    appendPart(lookupName, std::move(put));
    return {};
}

void ProfileEdit::setBytes(QByteArray bytes)
{
    *this = ProfileEdit(std::move(bytes));
    m_replacedWhole = true;
}

WriteResult CheckEditedSize(const ProfileEdit &edit)
{
    if (edit.size() <= MaxReadableFileSize)
        return {};
    return NotWritten(WriteFailure::SystemError, {},
                      QStringLiteral("the file would grow past the %1 MB a profile file may have, and "
                                     "nothing could read it back")
                          .arg(MaxReadableFileSize / (1024 * 1024)));
}

WriteResult PreviewProfileEdit(const QString &filePath,
                               const std::function<WriteResult(ProfileEdit &)> &edits)
{
    const Result<std::shared_ptr<const ProfileDocument>, FileError> read = ReadProfileDocument(filePath);
    if (!read)
        return FileWriteFailure(read.error());
    ProfileEdit preview((*read)->bytes());
    if (WriteResult refused = edits(preview); !refused)
        return refused;
    return CheckEditedSize(preview);
}

WriteResult EditProfile(const QString &filePath, const std::function<WriteResult(ProfileEdit &)> &edits,
                        std::chrono::milliseconds lockWait, ReplacementStep *step)
{
    if (!filePath.contains(QLatin1Char('/')))
        QDir().mkpath(ProfileDirectory());
    const QString path = ResolveSymbolicLinks(ResolveProfilePath(filePath));
    const Result<LockedFile, FileError> lock = LockedFile::Lock(path, lockWait);
    if (!lock)
        return FileWriteFailure(lock.error());
    RemoveAbandonedTempFiles(path);
    // The lock leaves a missing file missing: it reads as an empty profile.
    Result<FileSnapshot, FileError> snapshot = ReadFileSnapshot(path);
    if (!snapshot && snapshot.error().code == ENOENT)
        snapshot = FileSnapshot();
    if (!snapshot)
        return FileWriteFailure(snapshot.error());
    FileChange change{snapshot->bytes, {}, {}};
    {
        // The edit's parts are let go before the step and the write, which
        // then hold the file twice, old and new, and little more.
        ProfileEdit edit(snapshot->bytes);
        if (WriteResult refused = edits(edit); !refused)
            return refused;
        if (WriteResult tooLarge = CheckEditedSize(edit); !tooLarge)
            return tooLarge;
        change.after = edit.bytes();
        change.sections = edit.editedSections();
    }
    if (change.after == change.before)
        return {};
    ProfileCache::Shared().forget(path);
    const std::optional<FilePermissions> permissions = PermissionsOf(path);
    if (step) {
        if (WriteResult refused = step->prepare(path, change, permissions); !refused)
            return refused;
    }
    const auto replaced = ReplaceFileContents(path, change.after, permissions);
    if (step)
        step->settle(replaced.has_value());
    if (!replaced)
        return FileWriteFailure(replaced.error());
    return {};
}

} // namespace tessel
