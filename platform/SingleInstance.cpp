#include "platform/SingleInstance.h"

#include <QLoggingCategory>

#include <QCryptographicHash>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AppPaths.h"
#include "platform/SystemError.h"

namespace tessel {

namespace {
// tessel.instance: the one-copy lock; warnings and worse unless QT_LOGGING_RULES enables more.
Q_LOGGING_CATEGORY(lcInstance, "tessel.instance", QtWarningMsg)
} // namespace
namespace {

// Opens the lock file without following a link and refuses anything but a
// private regular file of the user with no other name: what claim() made.
Result<FileDescriptor> openLockFile(const QString &path)
{
    FileDescriptor fd(::open(QFile::encodeName(path).constData(),
                             O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
    if (!fd.isValid())
        return Failure{SystemErrorText()};
    struct stat status{};
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid()
        || status.st_nlink != 1 || (status.st_mode & 077) != 0) {
        return Failure{QStringLiteral("it is not a private file of this user")};
    }
    return fd;
}

} // namespace

SingleInstance::SingleInstance(const QString &applicationDirectory, const QString &tempRoot)
    : m_applicationDirectory(applicationDirectory)
    , m_tempRoot(tempRoot)
{
}

bool SingleInstance::claim()
{
    if (m_lock.isValid())
        return true;
    const Result<QString> directory = UserTempDirectory(m_tempRoot);
    if (!directory) {
        qCWarning(lcInstance).noquote() << "Cannot tell whether Tessel already runs:" << directory.error();
        return true;
    }
    const QByteArray key = QCryptographicHash::hash(m_applicationDirectory.toUtf8(),
                                                    QCryptographicHash::Sha1).toHex().left(16);
    const QString path =
        JoinPath(*directory, QStringLiteral("tessel-%1.instance").arg(QString::fromLatin1(key)));
    Result<FileDescriptor> fd = openLockFile(path);
    if (!fd) {
        qCWarning(lcInstance).noquote()
            << "Cannot tell whether Tessel already runs: the lock file" << path
            << "cannot be used:" << fd.error();
        return true;
    }
    if (::flock(fd->get(), LOCK_EX | LOCK_NB) != 0)
        return false;
    m_lock = std::move(*fd);
    return true;
}

} // namespace tessel
