#include "tools/admin/AdminCommands.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include "profile/ProfileDocument.h"
#include "profile/ProfileEdit.h"
#include "tools/admin/AdminContext.h"
#include "tools/admin/VersionOutput.h"

namespace tessel {

namespace {

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
QByteArray RestoreReport(const QList<RecordDifference> &differences, const QStringList &named, bool json)
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
    return json ? QJsonDocument(QJsonObject{{QStringLiteral("changed"), !differences.isEmpty()},
                                            {QStringLiteral("records"), records}})
                      .toJson()
                : text.toUtf8();
}

} // namespace

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
        std::optional<QByteArray> now = reader.read(NowVersion);
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
        context.write(DifferencesOutput(differences, call.json));
        return AdminExit::Done;
    }
    context.write(RestoreReport(differences, names, call.json));
    context.err << QStringLiteral("Restored %1 record(s) of version %2 in %3.\n")
                       .arg(differences.size())
                       .arg(version, context.registry);
    return AdminExit::Done;
}

} // namespace tessel
