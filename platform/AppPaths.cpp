#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>

namespace tessel {

QString ApplicationDirectory()
{
    return QCoreApplication::applicationDirPath();
}

QString ProfileDirectory()
{
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configHome.isEmpty())
        return configHome;
    return QDir::homePath() + QStringLiteral("/.config");
}

QString JoinPath(const QString &directory, const QString &fileName)
{
    if (directory.endsWith(QLatin1Char('/')))
        return directory + fileName;
    return directory + QLatin1Char('/') + fileName;
}

} // namespace tessel
