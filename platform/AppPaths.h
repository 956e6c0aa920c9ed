#pragma once

#include <QString>

#include "platform/Result.h"

namespace tessel {

// The directory of the running tessel executable, without a trailing separator.
QString ApplicationDirectory();

// The directory that holds profile files named without a directory:
// $XDG_CONFIG_HOME, or ~/.config when that is unset or empty.
QString ProfileDirectory();

// Whether directory is a private directory of the user, fit to hold the
// user's sockets and locks, or why not: it is missing, a symbolic link, not a
// directory, owned by another user, or open to group or others.
Result<void> CheckPrivateDirectory(const QString &directory);

// "velum-UID" under tempRoot, created with mode 0700 when missing: the user's
// own directory whatever the environment says. Refused when what is there is
// not a private directory of the user.
Result<QString> UserTempDirectory(const QString &tempRoot = QStringLiteral("/tmp"));

// The directory for the user's sockets: runtimeDir when it is a private
// directory of the user, otherwise UserTempDirectory(tempRoot).
Result<QString> RuntimeDirectory(const QString &runtimeDir, const QString &tempRoot);

// RuntimeDirectory of $XDG_RUNTIME_DIR and /tmp.
Result<QString> RuntimeDirectory();

// Joins a directory and a file name with exactly one separator.
QString JoinPath(const QString &directory, const QString &fileName);

} // namespace tessel
