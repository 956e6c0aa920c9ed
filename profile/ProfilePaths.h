#pragma once

#include <QString>

namespace tessel {

// The two profile files of the program's own directory.
struct ProfilePaths
{
    QString RegistryIniPath; // TESSEL.INI: the data source registry
    QString SourcesIniPath; // SRCS.INI: the catalogue of source types
};

ProfilePaths InitProfilePaths(const QString &applicationDir);

// The file a profile path names: a name without a directory stands for the
// file of that name in the profile directory.
QString ResolveProfilePath(const QString &filePath);

} // namespace tessel
