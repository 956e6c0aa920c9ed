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

// The user's ~/.cache, in the home directory that the user database records
// (whatever $HOME says): no other user can create or replace what is in it.
// Empty when the user has no home directory.
QString UserCacheRoot();

// "velum-UID" under root (root made when missing), created with mode 0700:
// the user's own directory whatever the environment says. Refused, saying
// why, when what is there is not a private directory of the user: another
// user may have put it there, and what they put in it while it was open
// stays, so it is never repaired.
Result<QString> UserDirectoryUnder(const QString &root);

// Where the user's lock and sockets are kept outside $XDG_RUNTIME_DIR:
// UserDirectoryUnder(tempRoot), or when that is refused
// UserDirectoryUnder(cacheRoot).
struct UserDirectory
{
    QString path;
    QString refusedPath; // the directory under tempRoot when it was refused,
    QString refusal; // and why; both empty when it is used
};
Result<UserDirectory> UserPrivateDirectory(const QString &tempRoot = QStringLiteral("/tmp"),
                                           const QString &cacheRoot = UserCacheRoot());

// The directory for the user's sockets: runtimeDir when it is a private
// directory of the user, otherwise UserPrivateDirectory(tempRoot, cacheRoot).
Result<QString> RuntimeDirectory(const QString &runtimeDir, const QString &tempRoot,
                                 const QString &cacheRoot);

// RuntimeDirectory of $XDG_RUNTIME_DIR, /tmp and UserCacheRoot().
Result<QString> RuntimeDirectory();

// Joins a directory and a file name with exactly one separator.
QString JoinPath(const QString &directory, const QString &fileName);

} // namespace tessel
