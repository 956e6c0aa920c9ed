#pragma once

namespace tessel {

// The start procedure: checks the host's command line, refuses a second copy,
// loads the message table, selects the language, resolves the profile paths
// and shows the main window. Returns an exit code only when start-up stops;
// once the main window is shown, the program ends when the host link reports
// that it closed.
int Main();

} // namespace tessel
