#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <optional>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/SystemError.h"

namespace tessel {

namespace {

// Attempts to lock a file that other writers keep replacing, and symbolic
// links followed, before giving up.
constexpr int MaxLockAttempts = 100;
constexpr int MaxLinkDepth = 40;

const QString TempSuffix = QStringLiteral(".tmp");

// The failure that errno tells of, with what was being done to which file.
Failure<FileError> SystemFailure(const QString &what, const QString &path)
{
    const int code = errno;
    return {FileError{code, what + u' ' + path + u": " + SystemErrorText(code)}};
}

bool LockExclusively(int fd)
{
    int result;
    do {
        result = ::flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

// Temporary files are named after the file they replace and the writer's
// process: ".NAME.PID.tmp" beside NAME.
QString TempPrefix(const QString &fileName)
{
    return u'.' + fileName + u'.';
}

QString TempPath(const QString &path)
{
    const QFileInfo info(path);
    return info.dir().filePath(TempPrefix(info.fileName()) + QString::number(::getpid()) + TempSuffix);
}

bool SameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool WriteAll(int fd, QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written == 0)
            errno = ENOSPC;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

void SyncDirectory(const QString &directory)
{
    const FileDescriptor fd(
        ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.isValid())
        ::fsync(fd.get());
}

// The caller holds the file's lock, so a temporary file of its own process
// is a leftover too.
bool ProcessIsGone(pid_t pid)
{
    return pid == ::getpid() || (::kill(pid, 0) != 0 && errno == ESRCH);
}

} // namespace

Result<LockedFile, FileError> LockedFile::Lock(const QString &path)
{
    const QByteArray nativePath = QFile::encodeName(path);
    for (int attempt = 0; attempt < MaxLockAttempts; ++attempt) {
        LockedFile file(FileDescriptor(::open(nativePath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)));
        const int fd = file.descriptor();
        if (fd < 0)
            return SystemFailure(QStringLiteral("cannot open"), path);
        if (!LockExclusively(fd))
            return SystemFailure(QStringLiteral("cannot lock"), path);
        struct stat locked{};
        struct stat named{};
        if (::fstat(fd, &locked) == 0 && ::stat(nativePath.constData(), &named) == 0 && SameFile(locked, named))
            return file;
    }
    return Failure{FileError{EBUSY, QStringLiteral("the file kept being replaced while waiting to lock it: ") + path}};
}

FilePermissions LockedFile::permissions() const
{
    struct stat status{};
    ::fstat(m_fd.get(), &status);
    return FilePermissions{quint32(status.st_mode & 07777), quint32(status.st_uid), quint32(status.st_gid)};
}

QString ResolveSymbolicLinks(const QString &path)
{
    QString current = path;
    for (int depth = 0; depth < MaxLinkDepth; ++depth) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return current;
        const QString target = info.symLinkTarget();
        if (target.isEmpty())
            return current;
        current = target;
    }
    return current;
}

Result<void, FileError> ReplaceFileContents(const QString &path, QByteArrayView bytes,
                                            const FilePermissions &permissions)
{
    const QString tempPath = TempPath(path);
    const QByteArray nativeTemp = QFile::encodeName(tempPath);
    ::unlink(nativeTemp.constData());
    FileDescriptor file(::open(nativeTemp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    const int fd = file.get();
    if (fd < 0)
        return SystemFailure(QStringLiteral("cannot create"), tempPath);
    // The owner is kept where the system allows it; it may clear set-id bits,
    // so the mode is set after it.
    if (::fchown(fd, permissions.owner, permissions.group) != 0)
        (void)::fchown(fd, uid_t(-1), permissions.group);
    std::optional<Failure<FileError>> failure;
    if (!WriteAll(fd, bytes) || ::fchmod(fd, mode_t(permissions.mode)) != 0 || ::fsync(fd) != 0)
        failure = SystemFailure(QStringLiteral("cannot write"), tempPath);
    if (!file.close() && !failure)
        failure = SystemFailure(QStringLiteral("cannot write"), tempPath);
    if (!failure && ::rename(nativeTemp.constData(), QFile::encodeName(path).constData()) != 0)
        failure = SystemFailure(QStringLiteral("cannot replace"), path);
    if (failure) {
        ::unlink(nativeTemp.constData());
        return *failure;
    }
    SyncDirectory(QFileInfo(path).absolutePath());
    return {};
}

void RemoveAbandonedTempFiles(const QString &path)
{
    const QFileInfo info(path);
    const QString prefix = TempPrefix(info.fileName());
    const QString directory = info.absolutePath();
    DIR *listing = ::opendir(QFile::encodeName(directory).constData());
    if (!listing)
        return;
    while (const dirent *entry = ::readdir(listing)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (!name.startsWith(prefix) || !name.endsWith(TempSuffix))
            continue;
        bool isNumber = false;
        const qint64 pid = QStringView(name).sliced(prefix.size(), name.size() - prefix.size() - TempSuffix.size())
                               .toLongLong(&isNumber);
        if (isNumber && pid > 0 && ProcessIsGone(pid_t(pid)))
            ::unlink(QFile::encodeName(QDir(directory).filePath(name)).constData());
    }
    ::closedir(listing);
}

} // namespace tessel
