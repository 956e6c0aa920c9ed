#include "tools/admin/AdminCommands.h"
#include "tools/admin/AdminContext.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include "platform/FileSnapshot.h"
#include "profile/ProfileDocument.h"
#include "profile/ProfileEdit.h"
#include "registry/DataSourceRecord.h"
#include "registry/RegistryHistory.h"

#include <memory>

namespace tessel {

namespace {

// diff's exit codes follow diff(1): trouble is 2, as bad usage.
namespace DiffExit {
inline constexpr int Same = 0;
inline constexpr int Different = 1;
inline constexpr int Trouble = 2;
}

const QString Now = QStringLiteral("now");


QString KindName(RecordDifference::Kind kind)
{
    switch (kind) {
    case RecordDifference::Kind::Added:
        return QStringLiteral("added");
    case RecordDifference::Kind::Removed:
        return QStringLiteral("removed");
    case RecordDifference::Kind::Changed:
        break;
    }
    return QStringLiteral("changed");
}

QJsonValue JsonText(const std::optional<QString> &text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

QJsonArray JsonDifferences(const QList<RecordDifference> &differences)
{
    QJsonArray records;
    for (const RecordDifference &difference : differences) {
        QJsonArray keys;
        for (const KeyDifference &key : difference.keys) {
            keys.append(QJsonObject{{QStringLiteral("key"), key.key},
                                    {QStringLiteral("before"), JsonText(key.before)},
                                    {QStringLiteral("after"), JsonText(key.after)}});
        }
        records.append(QJsonObject{{QStringLiteral("name"), difference.name},
                                   {QStringLiteral("change"), KindName(difference.kind)},
                                   {QStringLiteral("keys"), keys}});
    }
    return records;
}

// A record a line, its keys indented below it: key=value for an added or
// removed record, key: before -> after for a changed one.
QString DifferencesText(const QList<RecordDifference> &differences)
{
    const auto shown = [](const std::optional<QString> &text) { return text.value_or(QStringLiteral("(missing)")); };
    QString text;
    for (const RecordDifference &difference : differences) {
        text += KindName(difference.kind) % QStringLiteral(" [") % difference.name % QStringLiteral("]\n");
        for (const KeyDifference &key : difference.keys) {
            if (difference.kind == RecordDifference::Kind::Changed)
                text += QStringLiteral("  ") % key.key % QStringLiteral(": ") % shown(key.before)
                        % QStringLiteral(" -> ") % shown(key.after) % u'\n';
            else
                text += QStringLiteral("  ") % key.key % u'=' % shown(key.before ? key.before : key.after) % u'\n';
        }
    }
    return text;
}

void WriteDifferences(const QList<RecordDifference> &differences, bool json, QIODevice &out)
{
    out.write(json ? QJsonDocument(JsonDifferences(differences)).toJson() : DifferencesText(differences).toUtf8());
}

// A version's number as given on the command line, or nothing.
std::optional<int> VersionNumber(const QString &text)
{
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    return isNumber && number > 0 ? std::optional(number) : std::nullopt;
}

// The registry as it is now, or as it was in a version.
class VersionReader
{
public:
    VersionReader(const QString &registry, QTextStream &err) : m_registry(registry), m_history(RegistryHistory(registry)), m_err(err) { }

    // The bytes of the registry as it is now, or as it was in version.
    std::optional<QByteArray> read(const QString &version)
    {
        if (version == Now) {
            Result<FileSnapshot, FileError> now = ReadFileSnapshot(m_registry);
            if (now)
                return std::move(now->bytes);
            if (now.error().code == ENOENT)
                return QByteArray();
            return refused(now.error().text);
        }
        const std::optional<int> number = VersionNumber(version);
        if (!number)
            return refused(QStringLiteral("\"%1\" is not a version number or \"now\"").arg(version));
        Result<QByteArray, FileError> bytes = m_history.bytes(*number);
        if (!bytes)
            return refused(bytes.error().text);
        return std::move(*bytes);
    }

    // The number of the newest version, when there is one.
    std::optional<QString> newest()
    {
        Result<QList<VersionNote>, FileError> versions = m_history.versions();
        if (versions && !versions->isEmpty())
            return QString::number(versions->first().number);
        refused(versions ? QStringLiteral("%1 has no history yet").arg(m_registry) : versions.error().text);
        return std::nullopt;
    }

private:
    std::nullopt_t refused(const QString &why)
    {
        m_err << QStringLiteral("tessel-admin: %1\n").arg(why);
        return std::nullopt;
    }

    const QString &m_registry;
    FileHistory m_history;
    QTextStream &m_err;
};

QString CountsText(const VersionNote &note)
{
    return QStringLiteral("+%1 ~%2 -%3").arg(note.added.size()).arg(note.changed.size()).arg(note.removed.size());
}

// How restore reports a record: as it writes it over the registry.
QString RestoreChange(RecordDifference::Kind kind)
{
    return kind == RecordDifference::Kind::Changed ? QStringLiteral("replaced") : KindName(kind);
}

QJsonValue JsonRecordSide(const RecordDifference &difference, std::optional<QString> KeyDifference::*side)
{
    QJsonObject keys;
    for (const KeyDifference &key : difference.keys) {
        if (const std::optional<QString> &value = key.*side)
            keys.insert(key.key, *value);
    }
    return keys.isEmpty() && difference.kind != RecordDifference::Kind::Changed ? QJsonValue(QJsonValue::Null)
                                                                               : QJsonValue(keys);
}

// One line a record that restore wrote or named: added, replaced, removed
// or unchanged; with json one document.
void WriteRestoreReport(const QList<RecordDifference> &differences, const QStringList &named, bool json,
                        QIODevice &out)
{
    QJsonArray records;
    QString text;
    const auto report = [&](const QString &name, const QString &change, const QJsonValue &before,
                            const QJsonValue &after) {
        records.append(QJsonObject{{QStringLiteral("name"), name},
                                   {QStringLiteral("change"), change},
                                   {QStringLiteral("before"), before},
                                   {QStringLiteral("after"), after}});
        text += change % u' ' % name % u'\n';
    };
    for (const RecordDifference &difference : differences) {
        report(difference.name, RestoreChange(difference.kind), JsonRecordSide(difference, &KeyDifference::before),
               JsonRecordSide(difference, &KeyDifference::after));
    }
    for (const QString &name : named) {
        const bool written = std::any_of(differences.begin(), differences.end(), [&](const RecordDifference &difference) {
            return difference.name.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (!written)
            report(name, QStringLiteral("unchanged"), QJsonValue::Null, QJsonValue::Null);
    }
    out.write(json ? QJsonDocument(QJsonObject{{QStringLiteral("changed"), !differences.isEmpty()},
                                               {QStringLiteral("records"), records}})
                         .toJson()
                   : text.toUtf8());
}

} // namespace

int RunHistory(AdminContext &context)
{
    const AdminInvocation &call = context.call;
    QTextStream &err = context.err;
    if (!call.operands.isEmpty())
        return context.badUsage();
    const Result<QList<VersionNote>, FileError> versions = RegistryHistory(context.registry).versions();
    if (!versions) {
        err << QStringLiteral("tessel-admin: %1\n").arg(versions.error().text);
        return AdminExit::Refused;
    }
    QJsonArray array;
    QString text;
    for (const VersionNote &note : *versions) {
        const QString time = note.time.toString(Qt::ISODate);
        if (call.json) {
            array.append(QJsonObject{{QStringLiteral("number"), note.number},
                                     {QStringLiteral("time"), time},
                                     {QStringLiteral("user"), note.user},
                                     {QStringLiteral("program"), note.program},
                                     {QStringLiteral("action"), note.action},
                                     {QStringLiteral("added"), QJsonArray::fromStringList(note.added)},
                                     {QStringLiteral("changed"), QJsonArray::fromStringList(note.changed)},
                                     {QStringLiteral("removed"), QJsonArray::fromStringList(note.removed)}});
        } else {
            text += QString::number(note.number) % u'\t' % time % u'\t' % note.user % u'\t' % note.program % u'\t'
                    % note.action % u'\t' % CountsText(note) % u'\n';
        }
    }
    context.out.write(call.json ? QJsonDocument(array).toJson() : text.toUtf8());
    return AdminExit::Done;
}

int RunDiff(AdminContext &context)
{
    const AdminInvocation &call = context.call;
    QTextStream &err = context.err;
    if (call.operands.size() > 2)
        return context.badUsage();
    VersionReader reader(context.registry, err);
    std::optional<QString> from = call.operands.value(0);
    if (call.operands.isEmpty() && !(from = reader.newest()))
        return DiffExit::Trouble;
    const QString to = call.operands.value(1, Now);
    std::optional<QByteArray> before = reader.read(*from);
    const std::optional<QByteArray> after = before ? reader.read(to) : std::nullopt;
    if (!after)
        return DiffExit::Trouble;
    const QList<RecordDifference> differences = CompareRecords(ProfileDocument(std::move(*before)), *after);
    WriteDifferences(differences, call.json, context.out);
    if (differences.isEmpty())
        return DiffExit::Same;
    err << QStringLiteral("%1 record(s) differ between %2 and %3.\n").arg(differences.size()).arg(*from, to);
    return DiffExit::Different;
}

int RunRestore(AdminContext &context)
{
    const AdminInvocation &call = context.call;
    if (call.operands.isEmpty() || !VersionNumber(call.operands.first()))
        return context.badUsage();
    const QString version = call.operands.first();
    const QStringList names = call.operands.mid(1);
    VersionReader reader(context.registry, context.err);
    std::optional<QByteArray> oldBytes = reader.read(version);
    if (!oldBytes)
        return AdminExit::Refused;
    const ProfileDocument old(std::move(*oldBytes));
    QList<RecordDifference> differences;
    const auto restore = [&](ProfileEdit &edit) {
        const ProfileDocument current = edit.document();
        if (WriteResult restored = ApplyRestore(edit, old, names); !restored)
            return restored;
        differences = CompareRecords(current, edit.bytes());
        return WriteResult();
    };
    WriteResult written;
    if (call.dryRun) {
        std::optional<QByteArray> now = reader.read(Now);
        if (!now)
            return AdminExit::Refused;
        ProfileEdit trial(std::make_shared<const ProfileDocument>(std::move(*now)));
        written = restore(trial);
    } else {
        written = EditRegistry(context.registry, {QStringLiteral("restore ") + version}, restore);
    }
    if (!written)
        return context.notWritten(written, {}, QStringLiteral("Nothing was restored"));
    if (call.dryRun) {
        WriteDifferences(differences, call.json, context.out);
        return AdminExit::Done;
    }
    WriteRestoreReport(differences, names, call.json, context.out);
    context.err << QStringLiteral("Restored %1 record(s) of version %2 in %3.\n")
                       .arg(differences.size())
                       .arg(version, context.registry);
    return AdminExit::Done;
}

} // namespace tessel
