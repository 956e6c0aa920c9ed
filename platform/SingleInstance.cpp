#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/AppPaths.h"

namespace tessel {

SingleInstance::SingleInstance(const QString &executablePath)
{
    const QByteArray pathHash =
        QCryptographicHash::hash(executablePath.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    const QString directory = RuntimeDirectory();
    if (!directory.isEmpty()) {
        m_lockPath = JoinPath(directory, QStringLiteral("tessel-%1.instance")
                                             .arg(QString::fromLatin1(pathHash)));
    }
}

SingleInstance::~SingleInstance()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool SingleInstance::claim()
{
    if (m_fd >= 0 || m_lockPath.isEmpty())
        return true; // without a place to claim, a start is never refused
    const QByteArray path = QFile::encodeName(m_lockPath);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

} // namespace tessel
