#pragma once

#include <QFile>
#include <QtEndian>

#include <array>
#include <cstring>
#include <optional>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/WindowMessaging.h"

// Plain blocking sockets speaking the endpoint wire format, written apart
// from the transport under test: a peer program in miniature.
namespace tessel::test {

// A socket at path: listening (nobody serves it) or connected, reads giving
// up after five seconds; -1 on failure.
inline int rawSocket(const QString &path, bool listening)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const timeval limit{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path - 1);
    const auto *a = reinterpret_cast<const sockaddr *>(&address);
    if (listening ? ::bind(fd, a, sizeof address) != 0 || ::listen(fd, 4) != 0 : ::connect(fd, a, sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}
inline int rawListen(const QString &path) { return rawSocket(path, true); }
inline int rawConnect(const QString &path) { return rawSocket(path, false); }

// The little-endian 32-bit numbers of the next count read from fd.
inline std::optional<std::array<qint32, 3>> rawRead(int fd, size_t count)
{
    std::array<char, 12> bytes{};
    for (size_t received = 0; received < 4 * count;) {
        const ssize_t got = ::recv(fd, bytes.data() + received, 4 * count - received, 0);
        if (got <= 0)
            return std::nullopt;
        received += size_t(got);
    }
    return std::array{qFromLittleEndian<qint32>(bytes.data()), qFromLittleEndian<qint32>(bytes.data() + 4),
                      qFromLittleEndian<qint32>(bytes.data() + 8)};
}

inline void rawWrite(int fd, std::initializer_list<qint32> numbers)
{
    for (const qint32 number : numbers) {
        std::array<char, 4> bytes{};
        qToLittleEndian<qint32>(number, bytes.data());
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
}

// Sends one message as a peer program does; nullopt when that failed.
inline std::optional<qint32> rawSend(const QString &path, qint32 message, qint32 wParam, qint32 lParam)
{
    const int fd = rawConnect(path);
    rawWrite(fd, {message, wParam, lParam});
    const auto result = rawRead(fd, 1);
    ::close(fd);
    return result ? std::optional((*result)[0]) : std::nullopt;
}

} // namespace tessel::test
