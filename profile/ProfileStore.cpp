#include "profile/ProfileStore.h"

#include "profile/ProfileCache.h"
#include "profile/ProfileDocument.h"
#include "profile/ProfileEdit.h"
#include "profile/ProfilePaths.h"
#include "profile/ProfileReading.h"

namespace tessel {

Result<std::shared_ptr<const ProfileDocument>, FileError> ReadProfileDocument(const QString &filePath)
{
    return ProfileCache::Shared().current(ResolveProfilePath(filePath));
}

std::shared_ptr<const ProfileDocument> ProfileDocumentForReads(const QString &filePath)
{
    auto document = ReadProfileDocument(filePath);
    return document ? *document : std::make_shared<const ProfileDocument>();
}

QString ReadProfileString(const QString &section, const QString &key, const QString &defaultValue,
                          const QString &filePath)
{
    if (key.isEmpty())
        return ReadProfileKeys(section, filePath);
    return LookupString(*ProfileDocumentForReads(filePath), section, key, defaultValue);
}

QString ReadProfileKeys(const QString &section, const QString &filePath)
{
    if (section.isEmpty())
        return {};
    return JoinNameList(ProfileDocumentForReads(filePath)->keyNames(section));
}

QString ReadProfileSections(const QString &filePath)
{
    return JoinNameList(ProfileDocumentForReads(filePath)->sectionNames());
}

QStringList ProfileSectionNames(const QString &filePath)
{
    return ProfileDocumentForReads(filePath)->sectionNames();
}

WriteResult WriteProfileString(const QString &section, const QString &key, const QString &value,
                               const QString &filePath)
{
    return EditProfile(filePath, [&](ProfileEdit &edit) { return edit.setValue(section, key, value); });
}

WriteResult DeleteProfileSection(const QString &section, const QString &filePath)
{
    return EditProfile(filePath, [&](ProfileEdit &edit) { return edit.removeSection(section); });
}

} // namespace tessel
