#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

#include "platform/Result.h"
#include "platform/SafeFile.h"
#include "platform/SystemError.h"

namespace tessel {

// What one version of a file records besides its bytes: when, by whom and
// by which program the file was replaced, the action in words, and the
// sections the replacement added, changed and removed.
struct VersionNote
{
    int number = 0;
    QDateTime time;
    QString user;
    QString program;
    qint64 processId = 0;
    QString action;
    QStringList added;
    QStringList changed;
    QStringList removed;
};

// The versions of a file that is replaced as a whole: before each
// replacement the bytes it replaces are kept in the folder NAME.history
// beside the file, as N.ini (a hard link to the replaced file, which costs no
// copy, or a copy where the file system refuses the link) with its note in
// N.json. Numbers grow with each version and are never reused. The folder
// and its files take the group of the file's folder and the file's mode.
// At most MaxVersions versions and MaxBytes bytes are kept, the oldest
// going first.
class FileHistory
{
public:
    static constexpr int MaxVersions = 50;
    static constexpr qint64 MaxBytes = 256LL * 1024 * 1024;

    explicit FileHistory(const QString &filePath);

    const QString &folder() const { return m_folder; }

    // The notes of every version, newest first; the old files themselves are
    // not read. No folder is no version; a version whose note a crash cut
    // short is passed over.
    Result<QList<VersionNote>, FileError> versions() const;
    // The note of one version.
    Result<VersionNote, FileError> version(int number) const;
    // The bytes of one version.
    Result<QByteArray, FileError> bytes(int number) const;

    // Keeps the file as it is now, whose bytes are current, as the next
    // version with note (its number, time, user and program filled in here).
    // Call it holding the file's write lock, before the replacement; then
    // settle() the version once the replacement is made or abandoned.
    // permissions are the file's, none when it is missing.
    Result<VersionNote, FileError> keep(VersionNote note, const QByteArray &current,
                                        const std::optional<FilePermissions> &permissions);
    // Drops the versions beyond the bounds once a replacement was made.
    void prune() const;
    // Removes a kept version whose replacement was not made.
    void discard(int number) const;

private:
    QString versionPath(int number) const;
    QString notePath(int number) const;
    // The note of a version; nothing when a crash cut it short.
    Result<std::optional<VersionNote>, FileError> readNote(int number) const;
    // The numbers of the versions kept, oldest first.
    Result<QList<int>, FileError> numbers() const;
    Result<void, FileError> makeFolder(quint32 fileMode) const;

    QString m_filePath;
    QString m_folder;
};

} // namespace tessel
