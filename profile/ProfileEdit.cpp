#include "profile/ProfileEdit.h"

#include "platform/AppPaths.h"
#include "platform/FileSnapshot.h"
#include "platform/SafeFile.h"
#include "profile/ProfileCache.h"
#include "profile/ProfileNames.h"
#include "profile/ProfilePaths.h"
#include "profile/ProfileReading.h"

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
WriteResult CheckEntry(const ProfileDocument &document, QStringView section, const ProfileEntry &entry,
                       ReadBack readBack)
{
    if (const Result<void> names = CheckEntryNames(section, entry.key, {}); !names)
        return NotWritten(WriteFailure::BadName, entry.key, names.error());
    const ProfileCodec &codec = document.codec();
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

ProfileEdit::ProfileEdit(std::shared_ptr<const ProfileDocument> document)
    : m_document(std::move(document))
{
}

const ProfileDocument &ProfileEdit::document() const
{
    if (m_unparsed)
        m_document = std::make_shared<const ProfileDocument>(*std::exchange(m_unparsed, std::nullopt));
    return *m_document;
}

const QByteArray &ProfileEdit::bytes() const
{
    return m_unparsed ? *m_unparsed : m_document->bytes();
}

WriteResult ProfileEdit::setValues(QStringView section, const QList<ProfileEntry> &entries,
                                   ReadBack readBack)
{
    const ProfileDocument &current = document();
    for (const ProfileEntry &entry : entries) {
        if (WriteResult refused = CheckEntry(current, section, entry, readBack); !refused)
            return refused;
    }
    m_unparsed = current.withValues(section, entries);
    return {};
}

WriteResult ProfileEdit::setValue(QStringView section, const QString &key, const QString &value)
{
    return setValues(section, {ProfileEntry{key, value}});
}

WriteResult ProfileEdit::removeSection(QStringView section)
{
    if (const Result<void> name = CheckSectionName(section); !name)
        return NotWritten(WriteFailure::BadName, {}, name.error());
    m_unparsed = document().withoutSection(section);
    return {};
}

WriteResult ProfileEdit::setSectionBytes(QStringView section, const std::optional<QByteArray> &lines)
{
    if (!lines)
        return removeSection(section);
    if (const Result<void> name = CheckSectionName(section); !name)
        return NotWritten(WriteFailure::BadName, {}, name.error());
    m_unparsed = document().withSectionBytes(section, *lines);
    return {};
}

void ProfileEdit::setBytes(QByteArray bytes)
{
    m_unparsed = std::move(bytes);
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
    const qint64 readAtNs = WallClockNs();
    // The lock leaves a missing file missing: it reads as an empty profile.
    Result<FileSnapshot, FileError> snapshot = ReadFileSnapshot(path);
    if (!snapshot && snapshot.error().code == ENOENT)
        snapshot = FileSnapshot();
    if (!snapshot)
        return FileWriteFailure(snapshot.error());
    const std::shared_ptr<const ProfileDocument> current =
        ProfileCache::Shared().adopt(path, std::move(*snapshot), readAtNs);
    ProfileEdit edit(current);
    if (WriteResult refused = edits(edit); !refused)
        return refused;
    if (edit.bytes() == current->bytes())
        return {};
    ProfileCache::Shared().forget(path);
    const std::optional<FilePermissions> permissions = PermissionsOf(path);
    if (step) {
        if (WriteResult refused = step->prepare(path, *current, edit, permissions); !refused)
            return refused;
    }
    const auto replaced = ReplaceFileContents(path, edit.bytes(), permissions);
    if (step)
        step->settle(replaced.has_value());
    if (!replaced)
        return FileWriteFailure(replaced.error());
    return {};
}

} // namespace tessel
