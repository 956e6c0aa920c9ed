#include <QTextStream>

#include "profile/ProfileStore.h"
#include "tools/admin/AdminCommands.h"
#include "tools/admin/AdminContext.h"

namespace tessel {

int RunRemove(AdminContext &context)
{
    if (context.call.operands.isEmpty())
        return context.badUsage();
    const std::optional<RegistrySnapshot> read = context.readRegistry();
    if (!read)
        return AdminExit::Refused;
    const RegistrySnapshot &registry = *read;
    QStringList refused;
    for (const QString &name : context.call.operands) {
        if (!registry.contains(name))
            return context.noSuchRecord(name);
        if (!context.call.force && (registry.record(name).whole16(RecordKey::Private) & PrivateBit::Protected))
            refused.append(name);
    }
    if (!refused.isEmpty()) {
        context.err << QStringLiteral("Nothing was removed: %1 protected against deletion. Use --force "
                                      "to remove protected records.\n")
                           .arg(refused.join(QStringLiteral(", ")) + (refused.size() == 1
                                                                          ? QStringLiteral(" is")
                                                                          : QStringLiteral(" are")));
        return AdminExit::Refused;
    }
    const WriteResult removed = RemoveRecords(context.registry, context.call.operands, QStringLiteral("remove"));
    if (!removed)
        return context.notWritten(removed, {}, QStringLiteral("Nothing was removed"));
    return AdminExit::Done;
}

} // namespace tessel
