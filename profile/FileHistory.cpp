#include "profile/FileHistory.h"

#include "platform/FileSnapshot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cerrno>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessel {

namespace {

const QString NoteSuffix = QStringLiteral(".json");
const QString VersionSuffix = QStringLiteral(".ini");

Failure<FileError> FailureAt(const QString &what, const QString &path, int code = errno)
{
    return {FileError{code, what + u' ' + path + u": " + SystemErrorText(code)}};
}

QString UserName()
{
    if (const passwd *entry = ::getpwuid(::getuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(::getuid());
}

// The mode of a folder that gives everyone who may read the file the
// right to list it, and who may write the file the right to add to it.
quint32 FolderMode(quint32 fileMode)
{
    const quint32 readers = fileMode & 0444;
    return (fileMode & 0666) | (readers >> 2);
}

QJsonArray JsonNames(const QStringList &names)
{
    return QJsonArray::fromStringList(names);
}

QStringList NamesOf(const QJsonValue &value)
{
    QStringList names;
    for (const QJsonValue &name : value.toArray())
        names.append(name.toString());
    return names;
}

QByteArray NoteJson(const VersionNote &note)
{
    const QJsonObject object{{QStringLiteral("number"), note.number},
                             {QStringLiteral("time"), note.time.toString(Qt::ISODate)},
                             {QStringLiteral("user"), note.user},
                             {QStringLiteral("program"), note.program},
                             {QStringLiteral("process"), note.processId},
                             {QStringLiteral("action"), note.action},
                             {QStringLiteral("added"), JsonNames(note.added)},
                             {QStringLiteral("changed"), JsonNames(note.changed)},
                             {QStringLiteral("removed"), JsonNames(note.removed)}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

// Every note ends in a line break, written with the rest in one piece: one
// without it was cut short by a crash before it reached the disk.
bool IsCutShort(const QByteArray &json)
{
    return !json.endsWith('\n');
}

std::optional<VersionNote> NoteFromJson(const QByteArray &json)
{
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    if (!object.value(QStringLiteral("number")).isDouble())
        return std::nullopt;
    VersionNote note;
    note.number = object.value(QStringLiteral("number")).toInt();
    note.time = QDateTime::fromString(object.value(QStringLiteral("time")).toString(), Qt::ISODate);
    note.user = object.value(QStringLiteral("user")).toString();
    note.program = object.value(QStringLiteral("program")).toString();
    note.processId = object.value(QStringLiteral("process")).toInteger();
    note.action = object.value(QStringLiteral("action")).toString();
    note.added = NamesOf(object.value(QStringLiteral("added")));
    note.changed = NamesOf(object.value(QStringLiteral("changed")));
    note.removed = NamesOf(object.value(QStringLiteral("removed")));
    return note;
}

qint64 SizeOf(const QString &path)
{
    struct stat status
    { };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? qint64(status.st_size) : 0;
}

} // namespace

FileHistory::FileHistory(const QString &filePath)
    : m_filePath(filePath)
    , m_folder(filePath + QStringLiteral(".history"))
{ }

QString FileHistory::versionPath(int number) const
{
    return m_folder + u'/' + QString::number(number) + VersionSuffix;
}

QString FileHistory::notePath(int number) const
{
    return m_folder + u'/' + QString::number(number) + NoteSuffix;
}

Result<QList<int>, FileError> FileHistory::numbers() const
{
    const QFileInfo folder(m_folder);
    if (folder.exists() && !folder.isDir())
        return Failure{FileError{ENOTDIR, QStringLiteral("%1 is not a folder").arg(m_folder)}};
    QList<int> numbers;
    for (const QString &name : QDir(m_folder).entryList({u'*' + NoteSuffix}, QDir::Files)) {
        bool isNumber = false;
        const int number = QStringView(name).chopped(NoteSuffix.size()).toInt(&isNumber);
        if (isNumber && number > 0)
            numbers.append(number);
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

Result<std::optional<VersionNote>, FileError> FileHistory::readNote(int number) const
{
    const Result<FileSnapshot, FileError> read = ReadFileSnapshot(notePath(number));
    if (!read) {
        if (read.error().code == ENOENT)
            return Failure{
                FileError{ENOENT, QStringLiteral("there is no version %1 in %2").arg(number).arg(m_folder)}};
        return Failure{read.error()};
    }
    if (IsCutShort(read->bytes))
        return std::optional<VersionNote>();
    std::optional<VersionNote> note = NoteFromJson(read->bytes);
    if (!note)
        return Failure{FileError{
            EINVAL, QStringLiteral("the note of version %1 in %2 is damaged").arg(number).arg(m_folder)}};
    return note;
}

Result<VersionNote, FileError> FileHistory::version(int number) const
{
    Result<std::optional<VersionNote>, FileError> note = readNote(number);
    if (!note)
        return Failure{note.error()};
    if (!*note)
        return Failure{FileError{
            EINVAL, QStringLiteral("the note of version %1 in %2 was cut short").arg(number).arg(m_folder)}};
    return std::move(**note);
}

Result<QList<VersionNote>, FileError> FileHistory::versions() const
{
    const Result<QList<int>, FileError> kept = numbers();
    if (!kept)
        return Failure{kept.error()};
    QList<VersionNote> notes;
    for (auto number = kept->rbegin(); number != kept->rend(); ++number) {
        Result<std::optional<VersionNote>, FileError> note = readNote(*number);
        if (!note)
            return Failure{note.error()};
        if (*note)
            notes.append(std::move(**note));
    }
    return notes;
}

Result<QByteArray, FileError> FileHistory::bytes(int number) const
{
    if (!QFileInfo::exists(notePath(number)))
        return Failure{
            FileError{ENOENT, QStringLiteral("there is no version %1 in %2").arg(number).arg(m_folder)}};
    Result<FileSnapshot, FileError> read = ReadFileSnapshot(versionPath(number));
    if (!read)
        return Failure{read.error()};
    return std::move(read->bytes);
}

Result<void, FileError> FileHistory::makeFolder(quint32 fileMode) const
{
    const QByteArray folder = QFile::encodeName(m_folder);
    if (::mkdir(folder.constData(), 0700) != 0) {
        if (errno == EEXIST && QFileInfo(m_folder).isDir())
            return {};
        return FailureAt(QStringLiteral("cannot create"), m_folder);
    }
    struct stat parent
    { };
    if (::stat(QFile::encodeName(QFileInfo(m_filePath).absolutePath()).constData(), &parent) == 0)
        (void)::chown(folder.constData(), uid_t(-1), parent.st_gid);
    if (::chmod(folder.constData(), mode_t(FolderMode(fileMode))) != 0)
        return FailureAt(QStringLiteral("cannot set the mode of"), m_folder);
    return {};
}

Result<VersionNote, FileError> FileHistory::keep(VersionNote note, const QByteArray &current,
                                                 const std::optional<FilePermissions> &permissions)
{
    // A missing file is kept as an empty one, with the mode a new file gets.
    const quint32 mode = permissions ? permissions->mode : 0644;
    if (const Result<void, FileError> made = makeFolder(mode); !made)
        return Failure{made.error()};
    const Result<QList<int>, FileError> numbered = numbers();
    if (!numbered)
        return Failure{numbered.error()};
    note.number = numbered->isEmpty() ? 1 : numbered->last() + 1;
    note.time = QDateTime::currentDateTimeUtc();
    note.user = UserName();
    note.program = QString::fromLocal8Bit(program_invocation_short_name);
    note.processId = ::getpid();

    struct stat folder
    { };
    ::stat(QFile::encodeName(m_folder).constData(), &folder);
    const FilePermissions ofVersion{mode, quint32(::getuid()), quint32(folder.st_gid)};
    const QString bytesPath = versionPath(note.number);
    Result<void, FileError> kept;
    if (::link(QFile::encodeName(m_filePath).constData(), QFile::encodeName(bytesPath).constData()) != 0)
        kept = ReplaceFileContents(bytesPath, current, ofVersion);
    // The note is not flushed on its own: one flush of the folder makes the
    // version's link and the note's name last, and a note that a crash cut
    // short is told by its end and passed over by versions(), its version's
    // bytes kept all the same.
    if (kept)
        kept = WriteNewFile(notePath(note.number), NoteJson(note), ofVersion);
    if (!kept) {
        discard(note.number);
        // A folder made for this version alone goes with it.
        ::rmdir(QFile::encodeName(m_folder).constData());
        return Failure{kept.error()};
    }
    SyncDirectory(m_folder);
    return note;
}

void FileHistory::discard(int number) const
{
    ::unlink(QFile::encodeName(notePath(number)).constData());
    ::unlink(QFile::encodeName(versionPath(number)).constData());
}

void FileHistory::prune() const
{
    Result<QList<int>, FileError> listed = numbers();
    if (!listed)
        return;
    QList<int> &kept = *listed;
    qint64 total = 0;
    for (const int number : kept)
        total += SizeOf(versionPath(number)) + SizeOf(notePath(number));
    while (kept.size() > 1 && (kept.size() > MaxVersions || total > MaxBytes)) {
        const int oldest = kept.takeFirst();
        total -= SizeOf(versionPath(oldest)) + SizeOf(notePath(oldest));
        discard(oldest);
    }
}

} // namespace tessel
