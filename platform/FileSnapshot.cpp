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

Result<FileStamp, FileError> StampOfPath(const QString &path)
{
    struct stat status
    { };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return Failure{LastFileError()};
    return StampOf(status);
}

Result<FileSnapshot, FileError> ReadOpenFile(int fd)
{
    struct stat status
    { };
    if (::fstat(fd, &status) != 0)
        return Failure{LastFileError()};
    if (S_ISDIR(status.st_mode))
        return Failure{FileError{EISDIR, SystemErrorText(EISDIR)}};
    if (!S_ISREG(status.st_mode))
        return Failure{FileError{ENODEV, QStringLiteral("not a regular file")}};
    if (status.st_size > MaxReadableFileSize)
        return Failure{
            FileError{EFBIG,
                      QStringLiteral("the file is %1 bytes long, more than the %2 MB a profile file may have")
                          .arg(qint64(status.st_size))
                          .arg(MaxReadableFileSize / (1024 * 1024))}};
    FileSnapshot snapshot{StampOf(status), {}};
    // The size is a hint: the file may grow or shrink while it is read.
    QByteArray &bytes = snapshot.bytes;
    bytes = QByteArray(qsizetype(status.st_size) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled > MaxReadableFileSize)
            return Failure{FileError{EFBIG,
                                     QStringLiteral("the file grew beyond %1 MB while it was read")
                                         .arg(MaxReadableFileSize / (1024 * 1024))}};
        if (filled == bytes.size())
            bytes.resize(bytes.size() * 2);
        const ssize_t got = ::pread(fd, bytes.data() + filled, size_t(bytes.size() - filled), off_t(filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Failure{LastFileError()};
        if (got == 0)
            break;
        filled += got;
    }
    bytes.truncate(filled);
    return snapshot;
}

Result<FileSnapshot, FileError> ReadFileSnapshot(const QString &path)
{
    // Not blocking, so that a FIFO in the file's place is refused instead of
    // waiting for a writer.
    const FileDescriptor fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.isValid())
        return Failure{LastFileError()};
    return ReadOpenFile(fd.get());
}

} // namespace tessel
