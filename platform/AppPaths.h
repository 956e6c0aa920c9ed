#pragma once

#include <QString>

namespace tessel {

// The directory of the running tessel executable, without a trailing separator.
QString ApplicationDirectory();

// The directory that holds profile files named without a directory:
// $XDG_CONFIG_HOME, or ~/.config when that is unset or empty.
QString ProfileDirectory();

// Joins a directory and a file name with exactly one separator.
QString JoinPath(const QString &directory, const QString &fileName);

} // namespace tessel
