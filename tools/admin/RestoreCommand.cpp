#include "tools/admin/AdminCommands.h"

#include <QIODevice>
#include <QTextStream>

#include <algorithm>

#include "profile/ProfileEdit.h"
#include "tools/admin/AdminContext.h"
#include "tools/admin/RecordChanges.h"
#include "tools/admin/VersionOutput.h"

namespace tessel {

namespace {

// The records that restore wrote or was named, as import and remove report them.
QList<RecordChange> RestoreChanges(const ProfileEdit &before, const ProfileEdit &after,
                                   const QList<RecordDifference> &differences, const QStringList &named,
                                   bool json)
{
    QList<RecordChange> changes;
    for (const RecordDifference &difference : differences)
        changes.append(CompareStates(difference.name, StateOf(before, difference.name, json),
                                     StateOf(after, difference.name, json)));
    for (const QString &name : named) {
        const bool written =
            std::any_of(differences.begin(), differences.end(), [&](const RecordDifference &difference) {
                return difference.name.compare(name, Qt::CaseInsensitive) == 0;
            });
        if (!written)
            changes.append(CompareStates(name, StateOf(before, name, json), StateOf(after, name, json)));
    }
    return changes;
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
    QList<RecordDifference> differences;
    QList<RecordChange> changes;
    // The edit is restore's alone: the registry as read is its original.
    const auto restore = [&](ProfileEdit &edit) {
        const ProfileEdit before = edit;
        if (WriteResult restored = ApplyRestore(edit, *oldBytes, names); !restored)
            return restored;
        const std::optional<EditedSections> edited = edit.editedSections();
        differences = edited ? CompareRecords(*edited) : CompareRecords(before.original(), *oldBytes);
        changes = RestoreChanges(before, edit, differences, names, call.json);
        return WriteResult();
    };
    WriteResult written;
    if (call.dryRun) {
        std::optional<QByteArray> now = reader.read(NowVersion);
        if (!now)
            return AdminExit::Refused;
        ProfileEdit trial(std::move(*now));
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
    context.write(call.json ? ChangesJson(changes) : ChangesText(changes));
    context.err << QStringLiteral("Restored %1 record(s) of version %2 in %3.\n")
                       .arg(differences.size())
                       .arg(version, context.registry);
    return AdminExit::Done;
}

} // namespace tessel
