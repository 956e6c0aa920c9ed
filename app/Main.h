#pragma once

#include <QStringList>

namespace tessel {

// "tessel --help" or "tessel --version": the whole command line asks for the
// usage or the version, which the host never does.
bool IsInformationRequest(const QStringList &arguments);
// Prints the usage or the version on standard output; needs no display.
int PrintInformation();

// The start procedure: refuses a second copy, checks the host's command line,
// loads the message table, selects the language, resolves the profile paths
// and shows the main window. Returns an exit code only when start-up stops;
// once the main window is shown, the program ends when the host link reports
// that it closed.
int Main();

} // namespace tessel
