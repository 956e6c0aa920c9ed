#pragma once

namespace tessel {

// The start procedure: refuses a second copy, loads the message table,
// selects the language, resolves the profile paths and shows the main
// window. Returns the program's exit code once the main window has unloaded.
int Main();

} // namespace tessel
