#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/SystemError.h"

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

Result<void> CheckPrivateDirectory(const QString &directory)
{
    struct stat status{};
    if (::lstat(QFile::encodeName(directory).constData(), &status) != 0)
        return Failure{SystemErrorText()};
    if (S_ISLNK(status.st_mode))
        return Failure{QStringLiteral("it is a symbolic link")};
    if (!S_ISDIR(status.st_mode))
        return Failure{QStringLiteral("it is not a directory")};
    if (status.st_uid != ::geteuid())
        return Failure{QStringLiteral("it belongs to another user")};
    if ((status.st_mode & 077) != 0)
        return Failure{QStringLiteral("it is open to other users (mode %1)")
            .arg(status.st_mode & 07777, 4, 8, QLatin1Char('0'))};
    return {};
}

Result<QString> UserTempDirectory(const QString &tempRoot)
{
    const QString directory = JoinPath(tempRoot, QStringLiteral("velum-%1").arg(::geteuid()));
    // Made private from the start; an existing one is checked, never repaired,
    // since whatever another user put in it while it was open stays there.
    ::mkdir(QFile::encodeName(directory).constData(), 0700);
    if (const Result<void> usable = CheckPrivateDirectory(directory); !usable)
        return Failure{QStringLiteral("The directory %1 cannot be used: %2.").arg(directory, usable.error())};
    return directory;
}

Result<QString> RuntimeDirectory(const QString &runtimeDir, const QString &tempRoot)
{
    if (!runtimeDir.isEmpty() && CheckPrivateDirectory(runtimeDir))
        return runtimeDir;
    return UserTempDirectory(tempRoot);
}

Result<QString> RuntimeDirectory()
{
    return RuntimeDirectory(qEnvironmentVariable("XDG_RUNTIME_DIR"), QStringLiteral("/tmp"));
}

QString JoinPath(const QString &directory, const QString &fileName)
{
    if (directory.endsWith(QLatin1Char('/')))
        return directory + fileName;
    return directory + QLatin1Char('/') + fileName;
}

} // namespace tessel
