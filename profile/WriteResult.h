#pragma once

#include <QString>

#include "platform/Result.h"

namespace tessel {

// Why a change to a profile file was not made. Nothing of a refused change
// reaches the file.
enum class WriteFailure {
    BadName, // a section or key name the file format cannot carry
    LineBreak, // a value holding a line break or NUL
    Unencodable, // a character the file's encoding cannot hold
    TooLong, // a value longer than a read gives back whole
    ChangedOnRead, // a value that reading gives back changed: blanks at an end, enclosing quotes
    NameTaken, // another record already uses the name
    RecordChanged, // another program changed the record since it was read
    RecordRemoved, // another program removed the record since it was read
    NoPermission, // the file or its folder may not be written
    DiskFull, // no space left for the new file
    Busy, // the file's lock could not be had
    SystemError, // any other failure of the system; the detail tells it
};

// A refused or failed write: the failure, the key it concerns (empty when it
// concerns the whole file) and a text for the log.
struct WriteError
{
    WriteFailure failure;
    QString key;
    QString detail;
};

// The outcome of a write: done, or why not.
using WriteResult = Result<void, WriteError>;

// A refused or failed write, for `return NotWritten(...)`.
inline Failure<WriteError> NotWritten(WriteFailure failure, QString key, QString detail)
{
    return {WriteError{failure, std::move(key), std::move(detail)}};
}

} // namespace tessel
