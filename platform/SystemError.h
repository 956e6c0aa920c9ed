#pragma once

#include <QString>

#include <cerrno>
#include <cstring>

namespace tessel {

// The system's text for an error number, by default that of the last failed
// system call.
inline QString SystemErrorText(int code = errno)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// Why a file operation failed: the system's error number, which tells a full
// disk from a refused permission or a missing file, and a text that says it.
struct FileError
{
    int code = 0;
    QString text;
};

// The last failed system call's error as a FileError.
inline FileError LastFileError()
{
    const int code = errno;
    return FileError{code, SystemErrorText(code)};
}

} // namespace tessel
