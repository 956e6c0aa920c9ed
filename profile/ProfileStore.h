#pragma once

#include <QString>
#include <QStringList>

#include <memory>

#include "platform/Result.h"
#include "platform/SystemError.h"
#include "profile/ProfileReading.h"
#include "profile/WriteResult.h"

// The profile store: the program's only access to its profile (INI) files.
// Every call names its file, opens it for that call only and sees the file as
// it is at that moment. A file named without a directory lives in the profile
// directory (see platform/AppPaths.h). Lists are one text holding each name
// followed by a NUL character, in file order.
namespace tessel {

// The value of key in section, or defaultValue when the file, the section or
// the key does not exist. An empty key gives the list of the section's keys.
QString ReadProfileString(const QString &section, const QString &key, const QString &defaultValue,
                          const QString &filePath);

// The section's key names; a missing section gives the empty list.
QString ReadProfileKeys(const QString &section, const QString &filePath);

// The file's section names; a missing file gives the empty list.
QString ReadProfileSections(const QString &filePath);

// The file's section names in file order, however many there are: the
// registry is listed whole, where the list text of ReadProfileSections stops
// at its size limit of 32000 characters (about 2,600 typical names).
QStringList ProfileSectionNames(const QString &filePath);

class ProfileDocument;

// The whole file as it is now, parsed once: for a caller that reads many
// keys and wants them all from the same moment. A missing file is the empty
// document; a file that exists but cannot be read gives the reason, so that
// it is never taken for an empty one.
Result<std::shared_ptr<const ProfileDocument>, FileError> ReadProfileDocument(const QString &filePath);

// The document that the single-key reads above see: the file's, or the empty
// document when the file cannot be read, since those reads report no failure
// and give their defaults.
std::shared_ptr<const ProfileDocument> ProfileDocumentForReads(const QString &filePath);

// Writes key=value: an existing key keeps its line, a new key follows the last
// key of its section, a missing section is appended and a missing file created.
// Nothing is written when the file cannot hold the names or the value as
// given, or cannot be replaced; the result says why.
WriteResult WriteProfileString(const QString &section, const QString &key, const QString &value,
                               const QString &filePath);

// Removes the section line and all its keys; a missing section changes nothing.
WriteResult DeleteProfileSection(const QString &section, const QString &filePath);

} // namespace tessel
