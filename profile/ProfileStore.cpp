#include "profile/ProfileStore.h"

#include "profile/ProfileCache.h"
#include "profile/ProfileDocument.h"
#include "profile/ProfileEdit.h"
#include "profile/ProfilePaths.h"
#include "profile/ProfileReading.h"


namespace tessel {

std::shared_ptr<const ProfileDocument> ReadProfileDocument(const QString &filePath)
{
    return ProfileCache::Shared().current(ResolveProfilePath(filePath));
}

QString ReadProfileString(const QString &section, const QString &key, const QString &defaultValue,
                          const QString &filePath)
{
    if (key.isEmpty())
        return ReadProfileKeys(section, filePath);
    return LookupString(*ReadProfileDocument(filePath), section, key, defaultValue);
}

QString ReadProfileKeys(const QString &section, const QString &filePath)
{
    if (section.isEmpty())
        return {};
    return JoinNameList(ReadProfileDocument(filePath)->keyNames(section));
}

QString ReadProfileSections(const QString &filePath)
{
    return JoinNameList(ReadProfileDocument(filePath)->sectionNames());
}

QStringList ProfileSectionNames(const QString &filePath)
{
    return ReadProfileDocument(filePath)->sectionNames();
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
