#pragma once

#include <QFile>
#include <QString>
#include <QtEndian>

#include <array>
#include <cstring>
#include <optional>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/WindowMessaging.h"

// Plain blocking sockets speaking the endpoint wire format, written out
// independently of the transport under test: a peer program in miniature.
namespace tessel::test {

inline sockaddr_un rawAddress(const QString &path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(path);
    std::memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()));
    return address;
}

// A listening socket at path that nobody serves; -1 on failure.
inline int rawListen(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = rawAddress(path);
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        || ::listen(fd, 4) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A connection to path whose reads give up after five seconds; -1 on failure.
inline int rawConnect(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const timeval limit{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    const sockaddr_un address = rawAddress(path);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

inline bool rawReadExactly(int fd, char *data, size_t size)
{
    size_t received = 0;
    while (received < size) {
        const ssize_t count = ::recv(fd, data + received, size - received, 0);
        if (count <= 0)
            return false;
        received += size_t(count);
    }
    return true;
}

inline void rawWriteMessage(int fd, qint32 message, qint32 wParam, qint32 lParam)
{
    std::array<char, 12> bytes{};
    qToLittleEndian<qint32>(message, bytes.data());
    qToLittleEndian<qint32>(wParam, bytes.data() + 4);
    qToLittleEndian<qint32>(lParam, bytes.data() + 8);
    ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

inline std::optional<WindowMessage> rawReadMessage(int fd)
{
    std::array<char, 12> bytes{};
    if (!rawReadExactly(fd, bytes.data(), bytes.size()))
        return std::nullopt;
    return WindowMessage{qFromLittleEndian<qint32>(bytes.data()),
                         qFromLittleEndian<qint32>(bytes.data() + 4),
                         qFromLittleEndian<qint32>(bytes.data() + 8)};
}

inline void rawWriteResult(int fd, qint32 result)
{
    std::array<char, 4> bytes{};
    qToLittleEndian<qint32>(result, bytes.data());
    ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

inline std::optional<qint32> rawReadResult(int fd)
{
    std::array<char, 4> bytes{};
    if (!rawReadExactly(fd, bytes.data(), bytes.size()))
        return std::nullopt;
    return qFromLittleEndian<qint32>(bytes.data());
}

// Sends one message the way a peer program does; nullopt when it failed.
inline std::optional<qint32> rawSend(const QString &path, qint32 message, qint32 wParam, qint32 lParam)
{
    const int fd = rawConnect(path);
    if (fd < 0)
        return std::nullopt;
    rawWriteMessage(fd, message, wParam, lParam);
    const auto result = rawReadResult(fd);
    ::close(fd);
    return result;
}

} // namespace tessel::test
