#pragma once

#include <QString>

#include "registry/ProfileCodec.h"

namespace tessel {

// Why the file at path cannot serve as a profile file: it exists and is not a
// regular file (opening a FIFO waits for a writer, a device may never end).
// Empty for a regular file, a link to one, and a missing file.
QString ProblemWithFileKind(const QString &path);

// The encoding of the profile file at path, by its byte-order mark; a missing
// file is written as a new one is, in Windows-1252. Call it only for a path
// that ProblemWithFileKind accepts.
ProfileCodec CodecOfFile(const QString &path);

} // namespace tessel
