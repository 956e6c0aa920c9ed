#include "profile/ProfilePaths.h"

#include "platform/AppPaths.h"

namespace tessel {

ProfilePaths InitProfilePaths(const QString &applicationDir)
{
    return ProfilePaths{JoinPath(applicationDir, QStringLiteral("TESSEL.INI")),
                        JoinPath(applicationDir, QStringLiteral("SRCS.INI"))};
}

QString ResolveProfilePath(const QString &filePath)
{
    if (filePath.contains(QLatin1Char('/')))
        return filePath;
    return JoinPath(ProfileDirectory(), filePath);
}

} // namespace tessel
