#include "hostlink/DebugTrace.h"

#include <QLoggingCategory>

namespace tessel {

namespace {
// tessel.hostlink.trace: the host handshake trace; warnings and worse unless QT_LOGGING_RULES enables more.
Q_LOGGING_CATEGORY(lcHostTrace, "tessel.hostlink.trace", QtWarningMsg)
} // namespace

void DebugTrace(const QString &text)
{
    qCDebug(lcHostTrace).noquote() << text;
}

} // namespace tessel
