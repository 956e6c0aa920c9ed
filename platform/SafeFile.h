#pragma once

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

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

// An exclusive advisory lock (flock) on the file a path names, held for one
// read-modify-write and released on destruction. Writers replace the file by
// renaming a new one over it, so after waiting for the lock the path may name
// another file than the one locked: then the lock is taken again on that one.
class LockedFile
{
public:
    // Opens the file for writing (creating it empty when missing) and locks it.
    static Result<LockedFile, FileError> Lock(const QString &path);

    int descriptor() const { return m_fd.get(); }
    FilePermissions permissions() const;

private:
    explicit LockedFile(FileDescriptor fd) : m_fd(std::move(fd)) { }

    FileDescriptor m_fd;
};

// The file that path finally names through any symbolic links, also when the
// last link points at a file that does not exist yet.
QString ResolveSymbolicLinks(const QString &path);

// Gives the file at path the new contents: a temporary file beside it,
// flushed to disk with the given permissions, is renamed over it. A reader or
// a crash at any moment sees the old or the new contents, never a mix.
Result<void, FileError> ReplaceFileContents(const QString &path, QByteArrayView bytes,
                                            const FilePermissions &permissions);

// Removes the temporary files that writers of path left behind when they were
// killed (their process is gone). Call while holding the lock on path.
void RemoveAbandonedTempFiles(const QString &path);

} // namespace tessel
