#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

// A file's identity and contents, read in one go.
namespace tessel {

// What a file's status says about which file it is and when it last changed.
struct FileStamp
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;   // nanoseconds since the epoch
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

// The stamp of the file at path; nothing when it does not exist or cannot be reached.
std::optional<FileStamp> StampOfPath(const QString &path);

// The stamp and bytes of an open file, read from its start.
std::optional<FileSnapshot> ReadOpenFile(int fd);

// The stamp and bytes of the file at path; nothing when it does not exist or
// cannot be read.
std::optional<FileSnapshot> ReadFileSnapshot(const QString &path);

} // namespace tessel
