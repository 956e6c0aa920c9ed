#pragma once

#include "platform/SafeFile.h"
#include "profile/ProfileDocument.h"
#include "profile/ProfileReading.h"
#include "profile/WriteResult.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace tessel {

// The edits that one user action makes to one profile file, applied in
// memory to the file as it was read under its lock. Each edit gives exactly
// the bytes that the same single write or removal would give on its own; a
// refused edit changes nothing and is reported, and the caller then abandons
// the whole change.
class ProfileEdit
{
public:
    explicit ProfileEdit(std::shared_ptr<const ProfileDocument> document);

    // The file as the edits so far have left it.
    const ProfileDocument &document() const;
    const QByteArray &bytes() const;

    // Writes the entries to section in their order, as that many single
    // writes would: each key in place of its line, else after the section's
    // last key, else in a new section at the end of the file. Refused, writing
    // none of them: names the file cannot carry, or a value that does not
    // read back as readBack asks.
    WriteResult setValues(QStringView section, const QList<ProfileEntry> &entries,
                          ReadBack readBack = ReadBack::Carried);
    WriteResult setValue(QStringView section, const QString &key, const QString &value);
    // Removes the section's line and its keys; a missing section is no change.
    WriteResult removeSection(QStringView section);
    // Puts a section's lines as another file of the same encoding holds them
    // in place of the section's lines, else at the end of the file; nothing
    // removes the section.
    WriteResult setSectionBytes(QStringView section, const std::optional<QByteArray> &lines);
    // Replaces the whole file.
    void setBytes(QByteArray bytes);

private:
    void replaceBytes(QByteArray bytes);

    mutable std::shared_ptr<const ProfileDocument> m_document;
    mutable std::optional<QByteArray> m_unparsed;  // edited bytes not parsed yet
};

// A step of an edit that runs under the file's lock once the new bytes are
// known and before the file is replaced, such as keeping the old file as a
// version. prepare() may refuse, and then nothing is written; otherwise
// settle() tells whether the replacement was made.
class ReplacementStep
{
public:
    virtual ~ReplacementStep() = default;
    // filePath is the file itself, through any symbolic links; current is the
    // file as the edits found it, edited as they left it; permissions are the
    // file's, none when it is missing.
    virtual WriteResult prepare(const QString &filePath, const ProfileDocument &current,
                                const ProfileEdit &edited, const std::optional<FilePermissions> &permissions) = 0;
    virtual void settle(bool replaced) = 0;
};

// One locked read-modify-write of the file: edits runs on the file as it is
// now, and when it succeeds the file is replaced once with the result (not
// at all when nothing changed), after step when one is given. When edits or
// step fails, or the file cannot be replaced, the file keeps every byte it
// had. A writer waits for another writer's lock at most lockWait, then gives
// up as Busy.
WriteResult EditProfile(const QString &filePath, const std::function<WriteResult(ProfileEdit &)> &edits,
                        std::chrono::milliseconds lockWait = LockedFile::DefaultWait,
                        ReplacementStep *step = nullptr);

// The write failure that a failed file operation means.
WriteResult FileWriteFailure(const FileError &error);

} // namespace tessel
