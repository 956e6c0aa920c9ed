#pragma once

#include "platform/FileSnapshot.h"
#include "platform/Result.h"
#include "platform/SystemError.h"
#include "profile/ProfileDocument.h"

#include <QHash>
#include <QMutex>
#include <QString>

#include <memory>

namespace tessel {

// Parsed profile files, kept so that a long run of reads of an unchanged file
// does not parse it again, while every read still sees the file as it is now.
//
// A document is served without reading the file only when the file's stamp
// is the one it was read with and its last change lies more than a timestamp
// granularity before the moment it was read: a later change, however quick,
// would then have given the file another stamp. Otherwise the file is read
// again, and the parse kept only when the bytes are the same.
class ProfileCache
{
public:
    // File times come from the kernel's coarse clock, which lags the precise
    // clock by up to one tick (10 ms at 100 Hz): a change made just after a
    // read may carry a time from just before it.
    static constexpr qint64 FineTimestampGranularityNs = 20'000'000;
    // Filesystems that keep whole seconds, or FAT's two-second steps; told
    // apart by file times without a fraction of a second.
    static constexpr qint64 CoarseTimestampGranularityNs = 2'000'000'000;

    // The cache that every profile access of the program shares.
    static ProfileCache &Shared();

    // The document of the file at path as it is now; the document of a
    // missing file when it does not exist; why not when it exists but cannot
    // be read (no permission, a directory, a loop of links, too large).
    Result<std::shared_ptr<const ProfileDocument>, FileError> current(const QString &path);

    // The document for a snapshot of path read at readAtNs (by a writer that
    // holds the file's lock); the known parse when the bytes are the same.
    std::shared_ptr<const ProfileDocument> adopt(const QString &path, FileSnapshot snapshot, qint64 readAtNs);

    void forget(const QString &path);

    // Whether a file whose stamp was `known` when it was read at readAtNs
    // still has the contents read then, now that its stamp is `now`.
    static bool IsUnchangedSince(const FileStamp &known, qint64 readAtNs, const FileStamp &now);

private:
    struct Entry
    {
        FileStamp stamp;
        qint64 readAtNs = 0;
        std::shared_ptr<const ProfileDocument> document;
    };

    // The parse last kept for path, if any.
    std::shared_ptr<const ProfileDocument> known(const QString &path);

    // A run touches a handful of files; a tool that walks many starts over.
    static constexpr qsizetype MaxEntries = 32;

    QMutex m_mutex;
    QHash<QString, Entry> m_entries;
};

} // namespace tessel
