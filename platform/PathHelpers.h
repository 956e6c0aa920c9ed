#pragma once

#include <QString>

// Small operations on paths and tests of the files they name.
namespace tessel {

// path with exactly one directory separator at its end. The name is the one
// the dialogs have always used; the separator is the system's, "/".
QString AddBackslash(const QString &path);

// True for a non-empty path without wildcards that names an existing ordinary
// file: a regular file whose name does not begin with "." (not a directory,
// not a hidden file). Every failure of the test gives false.
bool FileExists(const QString &path);

// True when the glob pattern matches at least one ordinary file (as above).
bool OrdinaryFileMatches(const QString &pattern);

} // namespace tessel
