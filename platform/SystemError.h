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

} // namespace tessel
