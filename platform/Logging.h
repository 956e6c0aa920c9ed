#pragma once

#include <QLoggingCategory>

// Every logging category of the program. Each shows warnings and worse
// unless the Qt logging rules enable more, for example
// QT_LOGGING_RULES="tessel.hostlink.trace.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcStartup)      // tessel.startup: start-up and its failures
Q_DECLARE_LOGGING_CATEGORY(lcInstance)     // tessel.instance: the one-copy lock
Q_DECLARE_LOGGING_CATEGORY(lcMessaging)    // tessel.messaging: window messages between processes
Q_DECLARE_LOGGING_CATEGORY(lcHostLink)     // tessel.hostlink: the link with the GIS host
Q_DECLARE_LOGGING_CATEGORY(lcHostTrace)    // tessel.hostlink.trace: the host handshake trace
Q_DECLARE_LOGGING_CATEGORY(lcMessageTable) // tessel.i18n: the translation file
