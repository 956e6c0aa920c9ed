#include "profile/ProfileCache.h"

namespace tessel {

ProfileCache &ProfileCache::Shared()
{
    static ProfileCache cache;
    return cache;
}

namespace {

constexpr qint64 NsPerSecond = 1'000'000'000;

const std::shared_ptr<const ProfileDocument> &MissingFile()
{
    static const auto document = std::make_shared<const ProfileDocument>();
    return document;
}

} // namespace

bool ProfileCache::IsUnchangedSince(const FileStamp &known, qint64 readAtNs, const FileStamp &now)
{
    if (!(known == now))
        return false;
    const bool wholeSeconds = now.modifiedNs % NsPerSecond == 0 && now.changedNs % NsPerSecond == 0;
    const qint64 granularity = wholeSeconds ? CoarseTimestampGranularityNs : FineTimestampGranularityNs;
    return now.lastChangeNs() < readAtNs - granularity;
}

// The file is read and parsed outside the lock, so that a reader of another
// file, or of a known one, does not wait on a large parse.
Result<std::shared_ptr<const ProfileDocument>, FileError> ProfileCache::current(const QString &path)
{
    const Result<FileStamp, FileError> stamp = StampOfPath(path);
    if (stamp) {
        QMutexLocker locker(&m_mutex);
        const auto known = m_entries.constFind(path);
        if (known != m_entries.cend() && IsUnchangedSince(known->stamp, known->readAtNs, *stamp))
            return known->document;
    }
    const qint64 readAtNs = WallClockNs();
    Result<FileSnapshot, FileError> snapshot = ReadFileSnapshot(path);
    if (snapshot)
        return adopt(path, std::move(*snapshot), readAtNs);
    forget(path);
    if (snapshot.error().code == ENOENT)
        return MissingFile();
    return Failure{snapshot.error()};
}

std::shared_ptr<const ProfileDocument> ProfileCache::adopt(const QString &path, FileSnapshot snapshot,
                                                           qint64 readAtNs)
{
    std::shared_ptr<const ProfileDocument> document = known(path);
    if (!document || document->bytes() != snapshot.bytes)
        document = std::make_shared<const ProfileDocument>(std::move(snapshot.bytes));
    QMutexLocker locker(&m_mutex);
    if (m_entries.size() >= MaxEntries && !m_entries.contains(path))
        m_entries.clear();
    // Of two reads that end together, the one stored last stays: its stamp
    // matches its bytes, so a stale one is only read again, never served.
    m_entries.insert(path, Entry{snapshot.stamp, readAtNs, document});
    return document;
}

std::shared_ptr<const ProfileDocument> ProfileCache::known(const QString &path)
{
    QMutexLocker locker(&m_mutex);
    return m_entries.value(path).document;
}

void ProfileCache::forget(const QString &path)
{
    QMutexLocker locker(&m_mutex);
    m_entries.remove(path);
}

} // namespace tessel
