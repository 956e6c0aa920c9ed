#include "platform/FileSnapshot.h"

#include <QFile>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileDescriptor.h"

namespace tessel {

namespace {

constexpr qint64 NsPerSecond = 1'000'000'000;

qint64 Nanoseconds(const timespec &time)
{
    return qint64(time.tv_sec) * NsPerSecond + time.tv_nsec;
}

FileStamp StampOf(const struct stat &status)
{
    return FileStamp{quint64(status.st_dev), quint64(status.st_ino), qint64(status.st_size),
                     Nanoseconds(status.st_mtim), Nanoseconds(status.st_ctim)};
}

} // namespace

qint64 WallClockNs()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return Nanoseconds(now);
}

std::optional<FileStamp> StampOfPath(const QString &path)
{
    struct stat status{};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return StampOf(status);
}

std::optional<FileSnapshot> ReadOpenFile(int fd)
{
    struct stat status{};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    FileSnapshot snapshot{StampOf(status), {}};
    // The size is a hint: the file may grow or shrink while it is read.
    QByteArray &bytes = snapshot.bytes;
    bytes.resize(qsizetype(status.st_size) + 1);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size())
            bytes.resize(bytes.size() * 2);
        const ssize_t got = ::pread(fd, bytes.data() + filled, size_t(bytes.size() - filled), off_t(filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        filled += got;
    }
    bytes.truncate(filled);
    return snapshot;
}

std::optional<FileSnapshot> ReadFileSnapshot(const QString &path)
{
    const FileDescriptor fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
    if (!fd.isValid())
        return std::nullopt;
    return ReadOpenFile(fd.get());
}

} // namespace tessel
