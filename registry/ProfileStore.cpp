#include "registry/ProfileStore.h"

#include "platform/AppPaths.h"
#include "platform/FileSnapshot.h"
#include "platform/SafeFile.h"
#include "registry/ProfileCache.h"
#include "registry/ProfileDocument.h"
#include "registry/ProfileNames.h"
#include "registry/ProfilePaths.h"
#include "registry/ProfileReading.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

#include <functional>

Q_LOGGING_CATEGORY(lcStore, "tessel.store", QtWarningMsg)

namespace tessel {

namespace {

ProfileCache &Cache()
{
    static ProfileCache cache;
    return cache;
}

std::shared_ptr<const ProfileDocument> CurrentDocument(const QString &filePath)
{
    return Cache().current(ResolveProfilePath(filePath));
}

// One read-modify-write of a file under its lock: edit gives the new bytes for
// the document as it is now; the file is replaced only when they differ.
bool Rewrite(const QString &filePath, const std::function<QByteArray(const ProfileDocument &)> &edit)
{
    if (!filePath.contains(QLatin1Char('/')))
        QDir().mkpath(ProfileDirectory());
    const QString path = ResolveSymbolicLinks(ResolveProfilePath(filePath));
    QString error;
    std::optional<LockedFile> lock = LockedFile::Lock(path, &error);
    if (!lock) {
        qCWarning(lcStore).noquote() << error;
        return false;
    }
    RemoveAbandonedTempFiles(path);
    const qint64 readAtNs = WallClockNs();
    std::optional<FileSnapshot> snapshot = ReadOpenFile(lock->descriptor());
    if (!snapshot) {
        qCWarning(lcStore).noquote() << "cannot read" << path;
        return false;
    }
    const std::shared_ptr<const ProfileDocument> document = Cache().adopt(path, std::move(*snapshot), readAtNs);
    const QByteArray bytes = edit(*document);
    if (bytes == document->bytes())
        return true;
    Cache().forget(path);
    if (!ReplaceFileContents(path, bytes, lock->permissions(), &error)) {
        qCWarning(lcStore).noquote() << error;
        return false;
    }
    return true;
}

bool Refuse(const QString &problem, const QString &filePath)
{
    qCWarning(lcStore).noquote() << "refused to write to" << filePath << "because" << problem;
    return false;
}

} // namespace

QString ReadProfileString(const QString &section, const QString &key, const QString &defaultValue,
                          const QString &filePath)
{
    if (key.isEmpty())
        return ReadProfileKeys(section, filePath);
    return LookupString(*CurrentDocument(filePath), section, key, defaultValue);
}

QString ReadProfileKeys(const QString &section, const QString &filePath)
{
    if (section.isEmpty())
        return {};
    return JoinNameList(CurrentDocument(filePath)->keyNames(section));
}

QString ReadProfileSections(const QString &filePath)
{
    return JoinNameList(CurrentDocument(filePath)->sectionNames());
}

QStringList ProfileSectionNames(const QString &filePath)
{
    return CurrentDocument(filePath)->sectionNames();
}

bool WriteProfileString(const QString &section, const QString &key, const QString &value,
                        const QString &filePath)
{
    const QString problem = ProblemWithEntry(section, key, value);
    if (!problem.isEmpty())
        return Refuse(problem, filePath);
    return Rewrite(filePath, [&](const ProfileDocument &document) {
        return document.withValue(section, key, value);
    });
}

bool DeleteProfileSection(const QString &section, const QString &filePath)
{
    const QString problem = ProblemWithSection(section);
    if (!problem.isEmpty())
        return Refuse(problem, filePath);
    if (!QFileInfo::exists(ResolveProfilePath(filePath)))
        return true;
    return Rewrite(filePath, [&](const ProfileDocument &document) {
        return document.withoutSection(section);
    });
}

} // namespace tessel
