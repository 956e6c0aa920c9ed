#include "hostlink/DebugTrace.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcHostTrace, "tessel.hostlink.trace", QtInfoMsg)

namespace tessel {

void DebugTrace(const QString &text)
{
    qCDebug(lcHostTrace).noquote() << text;
}

} // namespace tessel
