#include "platform/PathHelpers.h"

#include <QFileInfo>

#include <glob.h>

namespace tessel {
namespace {

bool isOrdinaryFile(const QFileInfo &info)
{
    return info.isFile() && !info.fileName().startsWith(QLatin1Char('.'));
}

} // namespace

QString AddBackslash(const QString &path)
{
    if (path.endsWith(QLatin1Char('/')))
        return path;
    return path + QLatin1Char('/');
}

bool FileExists(const QString &path)
{
    if (path.isEmpty() || path.contains(QLatin1Char('*')) || path.contains(QLatin1Char('?')))
        return false;
    return isOrdinaryFile(QFileInfo(path));
}

bool OrdinaryFileMatches(const QString &pattern)
{
    if (pattern.isEmpty())
        return false;
    const QByteArray encoded = pattern.toLocal8Bit();
    glob_t matches{};
    const int rc = glob(encoded.constData(), GLOB_NOSORT, nullptr, &matches);
    bool found = false;
    if (rc == 0) {
        for (size_t i = 0; i < matches.gl_pathc && !found; ++i)
            found = isOrdinaryFile(QFileInfo(QString::fromLocal8Bit(matches.gl_pathv[i])));
    }
    globfree(&matches);
    return found;
}

} // namespace tessel
