#include "tools/common/ProfileFileCheck.h"

#include <QFile>
#include <QFileInfo>

namespace tessel {

Result<void> CheckFileKind(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isFile())
        return {};
    return Failure{QStringLiteral("%1 is not a regular file").arg(path)};
}

ProfileCodec CodecOfFile(const QString &path)
{
    QFile file(path);
    constexpr qint64 LongestMark = 3;
    return ProfileCodec::ForFile(file.open(QIODevice::ReadOnly) ? file.read(LongestMark) : QByteArray());
}

} // namespace tessel
