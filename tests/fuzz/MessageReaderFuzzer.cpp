// The message reader on a socket pair fed in pieces (a length byte 0-15, then up to
// that many bytes) until the sender hangs up: it completes exactly at twelve bytes,
// decodes three little-endian numbers, leaves later bytes unread, fails if short.
#include "FuzzCheck.h"

#include "platform/WindowMessaging.h"

#include <tuple>

#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace tessel;

namespace {

constexpr size_t MessageSize = 12;
using State = MessageReader::State;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    int ends[2];
    FUZZ_CHECK(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) == 0);
    const auto [receiver, sender] = ends;

    MessageReader reader;
    std::vector<uint8_t> sent;
    size_t inSocket = 0; // of sent, the bytes written to the socket
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
        FUZZ_CHECK(reader.readFrom(receiver)
                   == (sent.size() >= MessageSize ? State::Complete : State::Incomplete));
    }
    const size_t rest = sent.size() - inSocket;
    FUZZ_CHECK(::send(sender, sent.data() + inSocket, rest, MSG_NOSIGNAL) == ssize_t(rest));
    ::close(sender);
    FUZZ_CHECK(reader.readFrom(receiver) == (sent.size() < MessageSize ? State::Failed : State::Complete));
    if (sent.size() >= MessageSize) {
        const auto number = [&](size_t at) {
            return qint32(sent[at] | sent[at + 1] << 8 | sent[at + 2] << 16 | uint32_t(sent[at + 3]) << 24);
        };
        const WindowMessage m = reader.message();
        FUZZ_CHECK(std::tuple(m.message, m.wParam, m.lParam) == std::tuple(number(0), number(4), number(8)));
        int unread = -1;
        FUZZ_CHECK(::ioctl(receiver, FIONREAD, &unread) == 0 && size_t(unread) == sent.size() - MessageSize);
    }
    ::close(receiver);
    return 0;
}
