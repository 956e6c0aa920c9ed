#pragma once

#include <QString>

namespace tessel {

// The directory of the running tessel executable, without a trailing separator.
QString ApplicationDirectory();

// The directory that holds profile files named without a directory:
// $XDG_CONFIG_HOME, or ~/.config when that is unset or empty.
QString ProfileDirectory();

// The per-user directory for sockets and locks: $XDG_RUNTIME_DIR, or else
// /tmp/velum-UID, created with mode 0700. Empty when neither is usable (the
// fallback exists but belongs to another user or is open to others).
QString RuntimeDirectory();

// Joins a directory and a file name with exactly one separator.
QString JoinPath(const QString &directory, const QString &fileName);

} // namespace tessel
