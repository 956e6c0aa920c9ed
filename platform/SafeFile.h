#pragma once

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <chrono>
#include <optional>

#include "platform/FileDescriptor.h"
#include "platform/Result.h"
#include "platform/SystemError.h"

// Changing a file that others read and write at the same time: an advisory
// lock around each change, and a replacement that is never seen half-written.
namespace tessel {

// Who may do what with a file: its permission bits and its owner.
struct FilePermissions
{
    quint32 mode = 0;
    quint32 owner = 0;
    quint32 group = 0;
};

// The write lock of a file: an exclusive advisory lock (flock) on the lock
// file beside it, NAME.lock, held for one read-modify-write and released on
// destruction. The lock file is opened for writing and only those who may
// write the file may open it, so a reader can never delay a writer; the file
// itself is never locked. Writers replace the file by renaming a new one over
// it, which leaves the lock file in place.
class LockedFile
{
public:
    // How long a writer waits for another writer before it gives up.
    static constexpr std::chrono::milliseconds DefaultWait{10'000};

    // Locks the file at path, creating its lock file when missing. Fails with
    // EWOULDBLOCK when another writer keeps the lock for longer than wait, and
    // with EINTR when the program is asked to terminate while it waits.
    static Result<LockedFile, FileError> Lock(const QString &path,
                                              std::chrono::milliseconds wait = DefaultWait);

private:
    explicit LockedFile(FileDescriptor fd)
        : m_fd(std::move(fd))
    { }

    FileDescriptor m_fd;
};

// The lock file of the file at path.
QString LockFilePath(const QString &path);

// The permissions of the file at path; nothing when it does not exist.
std::optional<FilePermissions> PermissionsOf(const QString &path);

// The file that path finally names through any symbolic links, also when the
// last link points at a file that does not exist yet.
QString ResolveSymbolicLinks(const QString &path);

// Gives the file at path the new contents: a temporary file beside it,
// flushed to disk with the given permissions, is renamed over it. A reader or
// a crash at any moment sees the old or the new contents, never a mix. A new
// file (no permissions given) gets the mode that the umask leaves. Nothing is
// left behind when it fails: no temporary file, and no file at path when
// there was none.
Result<void, FileError> ReplaceFileContents(const QString &path, QByteArrayView bytes,
                                            const std::optional<FilePermissions> &permissions);

// Writes a new file at path (replacing any there) with the permissions, its
// contents not flushed to disk: a crash may leave it cut short, so it is
// only for files whose readers tell a cut-short one and whose folder is
// flushed (SyncDirectory) before anything relies on them. Nothing is left
// at path when it fails.
Result<void, FileError> WriteNewFile(const QString &path, QByteArrayView bytes,
                                     const FilePermissions &permissions);

// Flushes the names in directory to disk: files created, linked or renamed
// in it last a crash from then on.
void SyncDirectory(const QString &directory);

// Removes the temporary files that writers of path left behind when they were
// killed. A writer locks its temporary file until it has renamed it, so one
// whose lock can be taken is abandoned; one this user may not open is
// abandoned when its writer's process is gone. Call while holding the lock on
// path.
void RemoveAbandonedTempFiles(const QString &path);

// Makes a write past the file-size limit (ulimit -f) fail with EFBIG, which
// writers report as a full disk, instead of killing the program with
// SIGXFSZ. Every program calls it first thing.
void ReportFileSizeLimitAsFullDisk();

} // namespace tessel
