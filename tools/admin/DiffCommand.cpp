#include "tools/admin/AdminCommands.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include "tools/admin/AdminContext.h"
#include "tools/admin/VersionOutput.h"

namespace tessel {

namespace {

// diff's exit codes follow diff(1): trouble is 2, as bad usage.
namespace DiffExit {
inline constexpr int Same = 0;
inline constexpr int Different = 1;
inline constexpr int Trouble = 2;
} // namespace DiffExit

} // namespace

int RunDiff(AdminContext &context)
{
    const AdminInvocation &call = context.call;
    QTextStream &err = context.err;
    VersionReader reader(context.registry, err);
    std::optional<QString> from = call.operands.value(0);
    if (call.operands.isEmpty() && !(from = reader.newest()))
        return DiffExit::Trouble;
    const QString to = call.operands.value(1, NowVersion);
    const std::optional<QByteArray> before = reader.read(*from);
    const std::optional<QByteArray> after = before ? reader.read(to) : std::nullopt;
    if (!after)
        return DiffExit::Trouble;
    const QList<RecordDifference> differences = CompareRecords(*before, *after);
    context.write(DifferencesOutput(differences, call.json));
    if (differences.isEmpty())
        return DiffExit::Same;
    err << QStringLiteral("%1 record(s) differ between %2 and %3.\n").arg(differences.size()).arg(*from, to);
    return DiffExit::Different;
}

} // namespace tessel
