#include "platform/SafeFile.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <optional>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/SystemError.h"
#include "platform/TerminationSignals.h"

namespace tessel {

namespace {

// Symbolic links followed before giving up.
constexpr int MaxLinkDepth = 40;
// How often a writer looks whether another writer let go of the lock.
constexpr std::chrono::milliseconds LockRetryInterval{20};

const QString TempSuffix = QStringLiteral(".tmp");
const QString LockSuffix = QStringLiteral(".lock");

// The failure that errno tells of, with what was being done to which file.
Failure<FileError> SystemFailure(const QString &what, const QString &path)
{
    const int code = errno;
    return {FileError{code, what + u' ' + path + u": " + SystemErrorText(code)}};
}

// Who may open a lock file: read and write for each of owner, group and
// others who may write the file it locks, nothing for the rest. A reader
// cannot open it at all, so it can take no lock on it.
mode_t LockFileMode(mode_t fileMode)
{
    mode_t mode = 0;
    for (const mode_t writeBit : {S_IWUSR, S_IWGRP, S_IWOTH}) {
        if (fileMode & writeBit)
            mode |= writeBit | (writeBit << 1);
    }
    return mode;
}

// Opens the lock file of path for writing. A new one takes the group of the
// file it locks and is opened only to those who may write that file (for a
// missing file, those who may create it in its folder); until then it has no
// permission bits, so nobody else opens it in between.
Result<FileDescriptor, FileError> OpenLockFile(const QString &path)
{
    const QString lockPath = LockFilePath(path);
    const QByteArray nativeLock = QFile::encodeName(lockPath);
    FileDescriptor created(
        ::open(nativeLock.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0));
    if (!created.isValid() && errno != EEXIST)
        return SystemFailure(QStringLiteral("cannot create"), lockPath);
    if (!created.isValid()) {
        FileDescriptor existing(::open(nativeLock.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
        if (!existing.isValid())
            return SystemFailure(QStringLiteral("cannot open"), lockPath);
        return existing;
    }
    const std::optional<FilePermissions> writers =
        PermissionsOf(QFileInfo::exists(path) ? path : QFileInfo(path).absolutePath());
    if (!writers)
        return SystemFailure(QStringLiteral("cannot create"), lockPath);
    (void)::fchown(created.get(), uid_t(-1), writers->group);
    if (::fchmod(created.get(), LockFileMode(writers->mode)) != 0)
        return SystemFailure(QStringLiteral("cannot create"), lockPath);
    return created;
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

// A temporary file that its writer no longer locks, or, when this user may
// not open it, whose writer's process is gone. The caller holds the file's
// lock, so a temporary file of its own process is a leftover too.
bool IsAbandoned(const QString &tempPath, pid_t writer)
{
    const FileDescriptor fd(
        ::open(QFile::encodeName(tempPath).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.isValid())
        return ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0;
    return writer == ::getpid() || (::kill(writer, 0) != 0 && errno == ESRCH);
}

} // namespace

Result<LockedFile, FileError> LockedFile::Lock(const QString &path, std::chrono::milliseconds wait)
{
    Result<FileDescriptor, FileError> fd = OpenLockFile(path);
    if (!fd)
        return Failure{fd.error()};
    const QDeadlineTimer deadline(wait);
    while (::flock(fd->get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return SystemFailure(QStringLiteral("cannot lock"), LockFilePath(path));
        if (TerminationRequested()) {
            errno = EINTR;
            return SystemFailure(QStringLiteral("stopped waiting for the lock of"), path);
        }
        if (deadline.hasExpired()) {
            return Failure{FileError{EWOULDBLOCK,
                                     QStringLiteral("another program kept %1 locked for %2 s")
                                         .arg(path)
                                         .arg(wait.count() / 1000.0)}};
        }
        QThread::msleep(ulong(std::min<qint64>(LockRetryInterval.count(), deadline.remainingTime())));
    }
    return LockedFile(std::move(*fd));
}

QString LockFilePath(const QString &path)
{
    return path + LockSuffix;
}

std::optional<FilePermissions> PermissionsOf(const QString &path)
{
    struct stat status
    { };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
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

void SyncDirectory(const QString &directory)
{
    const FileDescriptor fd(
        ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.isValid())
        ::fsync(fd.get());
}

Result<void, FileError> ReplaceFileContents(const QString &path, QByteArrayView bytes,
                                            const std::optional<FilePermissions> &permissions)
{
    const QString tempPath = TempPath(path);
    const QByteArray nativeTemp = QFile::encodeName(tempPath);
    ::unlink(nativeTemp.constData());
    FileDescriptor file(
        ::open(nativeTemp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, permissions ? 0600 : 0666));
    const int fd = file.get();
    if (fd < 0)
        return SystemFailure(QStringLiteral("cannot create"), tempPath);
    // Held until the file is closed: it tells a cleaner that the file is being written.
    ::flock(fd, LOCK_EX);
    // The owner is kept where the system allows it; it may clear set-id bits,
    // so the mode is set after it.
    if (permissions && ::fchown(fd, permissions->owner, permissions->group) != 0)
        (void)::fchown(fd, uid_t(-1), permissions->group);
    std::optional<Failure<FileError>> failure;
    if (!WriteAll(fd, bytes) || (permissions && ::fchmod(fd, mode_t(permissions->mode)) != 0)
        || ::fsync(fd) != 0)
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

Result<void, FileError> WriteNewFile(const QString &path, QByteArrayView bytes,
                                     const FilePermissions &permissions)
{
    const QByteArray nativePath = QFile::encodeName(path);
    FileDescriptor file(::open(nativePath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    const int fd = file.get();
    if (fd < 0)
        return SystemFailure(QStringLiteral("cannot create"), path);
    if (::fchown(fd, permissions.owner, permissions.group) != 0)
        (void)::fchown(fd, uid_t(-1), permissions.group);
    std::optional<Failure<FileError>> failure;
    if (!WriteAll(fd, bytes) || ::fchmod(fd, mode_t(permissions.mode)) != 0)
        failure = SystemFailure(QStringLiteral("cannot write"), path);
    if (!file.close() && !failure)
        failure = SystemFailure(QStringLiteral("cannot write"), path);
    if (failure) {
        ::unlink(nativePath.constData());
        return *failure;
    }
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
        const qint64 pid = QStringView(name)
                               .sliced(prefix.size(), name.size() - prefix.size() - TempSuffix.size())
                               .toLongLong(&isNumber);
        const QString tempPath = QDir(directory).filePath(name);
        if (isNumber && pid > 0 && IsAbandoned(tempPath, pid_t(pid)))
            ::unlink(QFile::encodeName(tempPath).constData());
    }
    ::closedir(listing);
}

void ReportFileSizeLimitAsFullDisk()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace tessel
