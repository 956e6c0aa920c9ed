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

private:
    void replaceBytes(QByteArray bytes);

    mutable std::shared_ptr<const ProfileDocument> m_document;
    mutable std::optional<QByteArray> m_unparsed;  // edited bytes not parsed yet
};

// One locked read-modify-write of the file: edits runs on the file as it is
// now, and when it succeeds the file is replaced once with the result (not
// at all when nothing changed). When edits fails, or the file cannot be
// replaced, the file keeps every byte it had. A writer waits for another
// writer's lock at most lockWait, then gives up as Busy.
WriteResult EditProfile(const QString &filePath, const std::function<WriteResult(ProfileEdit &)> &edits,
                        std::chrono::milliseconds lockWait = LockedFile::DefaultWait);

} // namespace tessel
