#pragma once

#include <QString>

namespace tessel {

// One line of the host handshake trace. The lines go to the logging category
// "tessel.hostlink.trace", which stays silent unless the Qt logging rules
// enable it (QT_LOGGING_RULES="tessel.hostlink.trace.debug=true").
void DebugTrace(const QString &text);

} // namespace tessel
