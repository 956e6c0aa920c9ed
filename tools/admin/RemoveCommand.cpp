#include "tools/admin/AdminCommands.h"
#include "tools/admin/AdminContext.h"
#include "tools/admin/RecordChanges.h"

namespace tessel {

int RunRemove(AdminContext &context)
{
    if (context.call.operands.isEmpty())
        return context.badUsage();
    return ApplyChanges(
        context,
        {{}, context.call.operands, QStringLiteral("Nothing was removed"), {}, QStringLiteral("remove")});
}

} // namespace tessel
