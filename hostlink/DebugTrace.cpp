#include "hostlink/DebugTrace.h"

#include "platform/Logging.h"

namespace tessel {

void DebugTrace(const QString &text)
{
    qCDebug(lcHostTrace).noquote() << text;
}

} // namespace tessel
