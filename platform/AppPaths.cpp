#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <pwd.h>
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
    struct stat status
    { };
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

namespace {

// The name of the user's own directory under root.
QString OwnDirectoryPath(const QString &root)
{
    return JoinPath(root, QStringLiteral("velum-%1").arg(::geteuid()));
}

} // namespace

QString UserCacheRoot()
{
    const passwd *user = ::getpwuid(::geteuid());
    if (!user || !user->pw_dir || user->pw_dir[0] != '/')
        return {};
    return JoinPath(QFile::decodeName(user->pw_dir), QStringLiteral(".cache"));
}

Result<QString> UserDirectoryUnder(const QString &root)
{
    if (root.isEmpty())
        return Failure{QStringLiteral("there is no such directory")};
    QDir().mkpath(root);
    const QString directory = OwnDirectoryPath(root);
    ::mkdir(QFile::encodeName(directory).constData(), 0700);
    if (const Result<void> usable = CheckPrivateDirectory(directory); !usable)
        return Failure{usable.error()};
    return directory;
}

Result<UserDirectory> UserPrivateDirectory(const QString &tempRoot, const QString &cacheRoot)
{
    const Result<QString> temp = UserDirectoryUnder(tempRoot);
    if (temp)
        return UserDirectory{*temp, {}, {}};
    const Result<QString> cache = UserDirectoryUnder(cacheRoot);
    if (!cache) {
        return Failure{
            QStringLiteral("Neither %1 (%2) nor %3 (%4) can be used.")
                .arg(OwnDirectoryPath(tempRoot), temp.error(), OwnDirectoryPath(cacheRoot), cache.error())};
    }
    return UserDirectory{*cache, OwnDirectoryPath(tempRoot), temp.error()};
}

Result<QString> RuntimeDirectory(const QString &runtimeDir, const QString &tempRoot, const QString &cacheRoot)
{
    if (!runtimeDir.isEmpty() && CheckPrivateDirectory(runtimeDir))
        return runtimeDir;
    const Result<UserDirectory> directory = UserPrivateDirectory(tempRoot, cacheRoot);
    if (!directory)
        return Failure{directory.error()};
    return directory->path;
}

Result<QString> RuntimeDirectory()
{
    return RuntimeDirectory(qEnvironmentVariable("XDG_RUNTIME_DIR"), QStringLiteral("/tmp"), UserCacheRoot());
}

QString JoinPath(const QString &directory, const QString &fileName)
{
    if (directory.endsWith(QLatin1Char('/')))
        return directory + fileName;
    return directory + QLatin1Char('/') + fileName;
}

} // namespace tessel
