// The endpoint's message reader on a real socket pair, fed in pieces: each
// piece is one length byte (0-15) and then up to that many bytes, and the
// sender hangs up after the last one. The reader must complete exactly when
// twelve bytes have arrived, decode them as three little-endian numbers,
// leave every later byte in the socket, and fail only on a short message.
#include "FuzzCheck.h"

#include "platform/WindowMessaging.h"

#include <cstdint>
#include <vector>

#include <sys/socket.h>
#include <unistd.h>

using namespace tessel;

namespace {

constexpr size_t MessageSize = 12;

qint32 ReferenceNumber(const std::vector<uint8_t> &bytes, size_t offset)
{
    const uint32_t value = uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8
        | uint32_t(bytes[offset + 2]) << 16 | uint32_t(bytes[offset + 3]) << 24;
    return qint32(value);
}

size_t BytesLeft(int fd)
{
    size_t left = 0;
    char chunk[256];
    for (ssize_t count; (count = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT)) > 0;)
        left += size_t(count);
    return left;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    int ends[2];
    FUZZ_CHECK(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) == 0);
    const int receiver = ends[0];
    const int sender = ends[1];

    MessageReader reader;
    std::vector<uint8_t> sent;
    size_t inSocket = 0;   // of sent, the bytes written to the socket
    size_t position = 0;
    while (position < size) {
        const size_t length = std::min<size_t>(data[position] % 16, size - position - 1);
        sent.insert(sent.end(), data + position + 1, data + position + 1 + length);
        position += 1 + length;
        // Past the message the pieces go in one send at the end: many small
        // unread ones would fill the socket's buffer with their overhead.
        if (inSocket >= MessageSize)
            continue;
        FUZZ_CHECK(::send(sender, sent.data() + inSocket, length, MSG_NOSIGNAL) == ssize_t(length));
        inSocket = sent.size();
        const MessageReader::State state = reader.readFrom(receiver);
        FUZZ_CHECK(state == (sent.size() >= MessageSize ? MessageReader::State::Complete
                                                        : MessageReader::State::Incomplete));
    }
    const size_t rest = sent.size() - inSocket;
    FUZZ_CHECK(::send(sender, sent.data() + inSocket, rest, MSG_NOSIGNAL) == ssize_t(rest));
    ::close(sender);
    const MessageReader::State final = reader.readFrom(receiver);
    if (sent.size() < MessageSize) {
        FUZZ_CHECK(final == MessageReader::State::Failed);
    } else {
        FUZZ_CHECK(final == MessageReader::State::Complete);
        const WindowMessage message = reader.message();
        FUZZ_CHECK(message.message == ReferenceNumber(sent, 0));
        FUZZ_CHECK(message.wParam == ReferenceNumber(sent, 4));
        FUZZ_CHECK(message.lParam == ReferenceNumber(sent, 8));
        FUZZ_CHECK(BytesLeft(receiver) == sent.size() - MessageSize);
    }
    ::close(receiver);
    return 0;
}
