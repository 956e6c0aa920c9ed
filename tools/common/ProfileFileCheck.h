#pragma once

#include <QString>

#include "platform/Result.h"
#include "profile/ProfileCodec.h"

namespace tessel {

// Whether the file at path can serve as a profile file: a regular file, a
// link to one, or a missing file. Refused when it exists and is not a regular
// file (opening a FIFO waits for a writer, a device may never end).
Result<void> CheckFileKind(const QString &path);

// The encoding of the profile file at path, by its byte-order mark; a missing
// file is written as a new one is, in Windows-1252. Call it only for a path
// that CheckFileKind accepts.
ProfileCodec CodecOfFile(const QString &path);

} // namespace tessel
