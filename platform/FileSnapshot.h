#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include "platform/Result.h"
#include "platform/SystemError.h"

// A file's identity and contents, read in one go.
namespace tessel {

// What a file's status says about which file it is and when it last changed.
struct FileStamp
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0; // nanoseconds since the epoch
    qint64 changedNs = 0;

    bool operator==(const FileStamp &) const = default;
    qint64 lastChangeNs() const { return std::max(modifiedNs, changedNs); }
};

struct FileSnapshot
{
    FileStamp stamp;
    QByteArray bytes;
};

// Now, on the clock that file times are taken from, in nanoseconds since the epoch.
qint64 WallClockNs();

// The largest file that is read whole: no profile file comes near it, and a
// larger one (a wrong path, a damaged disk) is refused before it is read.
inline constexpr qint64 MaxReadableFileSize = 64 * 1024 * 1024;

// The stamp of the file at path, or why it cannot be had (ENOENT when there
// is no such file).
Result<FileStamp, FileError> StampOfPath(const QString &path);

// The stamp and bytes of an open file, read from its start. Refused: a file
// that is not a regular file (EISDIR for a directory, ENODEV otherwise) or
// larger than MaxReadableFileSize (EFBIG), and any failed read.
Result<FileSnapshot, FileError> ReadOpenFile(int fd);

// The stamp and bytes of the file at path, or why they cannot be had (ENOENT
// when there is no such file, ELOOP for a loop of symbolic links, ...).
Result<FileSnapshot, FileError> ReadFileSnapshot(const QString &path);

} // namespace tessel
