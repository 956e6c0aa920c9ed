#pragma once

#include <QString>

namespace tessel {

// The directory of the running tessel executable, without a trailing separator.
QString ApplicationDirectory();

// The directory that holds profile files named without a directory:
// $XDG_CONFIG_HOME, or ~/.config when that is unset or empty.
QString ProfileDirectory();

// Why directory cannot hold the user's sockets and locks: it is missing, a
// symbolic link, not a directory, owned by another user, or open to group or
// others. Empty when it is a private directory of the user.
QString PrivateDirectoryProblem(const QString &directory);

// "velum-UID" under tempRoot, created with mode 0700 when missing: the user's
// own directory whatever the environment says. Empty, with errorText set,
// when what is there is not a private directory of the user.
QString UserTempDirectory(const QString &tempRoot = QStringLiteral("/tmp"),
                          QString *errorText = nullptr);

// The directory for the user's sockets: runtimeDir when it is a private
// directory of the user, otherwise UserTempDirectory(tempRoot). Empty, with
// errorText set, when neither can be used.
QString RuntimeDirectory(const QString &runtimeDir, const QString &tempRoot, QString *errorText);

// RuntimeDirectory of $XDG_RUNTIME_DIR and /tmp.
QString RuntimeDirectory(QString *errorText = nullptr);

// Joins a directory and a file name with exactly one separator.
QString JoinPath(const QString &directory, const QString &fileName);

} // namespace tessel
