#include "platform/Logging.h"

Q_LOGGING_CATEGORY(lcStartup, "tessel.startup", QtWarningMsg)
Q_LOGGING_CATEGORY(lcInstance, "tessel.instance", QtWarningMsg)
Q_LOGGING_CATEGORY(lcMessaging, "tessel.messaging", QtWarningMsg)
Q_LOGGING_CATEGORY(lcHostLink, "tessel.hostlink", QtWarningMsg)
Q_LOGGING_CATEGORY(lcHostTrace, "tessel.hostlink.trace", QtWarningMsg)
Q_LOGGING_CATEGORY(lcMessageTable, "tessel.i18n", QtWarningMsg)
