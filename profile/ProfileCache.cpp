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

Result<std::shared_ptr<const ProfileDocument>, FileError> ProfileCache::current(const QString &path)
{
    QMutexLocker locker(&m_mutex);
    const Result<FileStamp, FileError> stamp = StampOfPath(path);
    if (stamp) {
        const auto known = m_entries.constFind(path);
        if (known != m_entries.cend() && IsUnchangedSince(known->stamp, known->readAtNs, *stamp))
            return known->document;
    }
    m_entries.remove(path);
    const qint64 readAtNs = WallClockNs();
    Result<FileSnapshot, FileError> snapshot = ReadFileSnapshot(path);
    if (snapshot)
        return store(path, std::move(*snapshot), readAtNs);
    if (snapshot.error().code == ENOENT)
        return MissingFile();
    return Failure{snapshot.error()};
}

std::shared_ptr<const ProfileDocument> ProfileCache::adopt(const QString &path, FileSnapshot snapshot,
                                                            qint64 readAtNs)
{
    QMutexLocker locker(&m_mutex);
    return store(path, std::move(snapshot), readAtNs);
}

std::shared_ptr<const ProfileDocument> ProfileCache::store(const QString &path, FileSnapshot snapshot,
                                                            qint64 readAtNs)
{
    if (m_entries.size() >= MaxEntries && !m_entries.contains(path))
        m_entries.clear();
    Entry &entry = m_entries[path];
    if (!entry.document || entry.document->bytes() != snapshot.bytes)
        entry.document = std::make_shared<const ProfileDocument>(std::move(snapshot.bytes));
    entry.stamp = snapshot.stamp;
    entry.readAtNs = readAtNs;
    return entry.document;
}

void ProfileCache::forget(const QString &path)
{
    QMutexLocker locker(&m_mutex);
    m_entries.remove(path);
}

} // namespace tessel
