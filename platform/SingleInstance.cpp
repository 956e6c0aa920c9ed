#include "platform/SingleInstance.h"

#include <QLoggingCategory>

#include <QCryptographicHash>
#include <QFile>
#include <QStringList>

#include <cerrno>

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
    struct stat status
    { };
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid()
        || status.st_nlink != 1 || (status.st_mode & 077) != 0) {
        return Failure{QStringLiteral("it is not a private file of this user")};
    }
    return fd;
}

} // namespace

SingleInstance::SingleInstance(const QString &applicationDirectory, const QString &tempRoot,
                               const QString &cacheRoot)
    : m_applicationDirectory(applicationDirectory)
    , m_roots{tempRoot, cacheRoot}
{ }

SingleInstance::Claim SingleInstance::claim()
{
    if (!m_locks.empty())
        return Claim::Claimed;
    const QByteArray key =
        QCryptographicHash::hash(m_applicationDirectory.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    const QString lockName = QStringLiteral("tessel-%1.instance").arg(QString::fromLatin1(key));
    QStringList problems;
    std::vector<FileDescriptor> locks;
    for (const QString &root : m_roots) {
        const Result<QString> directory = UserDirectoryUnder(root);
        if (!directory) {
            problems.append(QStringLiteral("the directory for the lock in %1 cannot be used: %2")
                                .arg(root, directory.error()));
            continue;
        }
        const QString path = JoinPath(*directory, lockName);
        Result<FileDescriptor> fd = openLockFile(path);
        if (fd && ::flock(fd->get(), LOCK_EX | LOCK_NB) == 0) {
            locks.push_back(std::move(*fd));
        } else if (fd && errno == EWOULDBLOCK) {
            return Claim::AlreadyRunning;
        } else {
            problems.append(QStringLiteral("the lock file %1 cannot be used: %2")
                                .arg(path, fd ? SystemErrorText() : fd.error()));
        }
    }
    if (locks.empty()) {
        m_problem =
            QStringLiteral("Cannot tell whether Tessel already runs: ") + problems.join(QStringLiteral("; "));
        return Claim::NoLock;
    }
    for (const QString &problem : problems)
        qCWarning(lcInstance).noquote() << problem;
    m_locks = std::move(locks);
    return Claim::Claimed;
}

} // namespace tessel
