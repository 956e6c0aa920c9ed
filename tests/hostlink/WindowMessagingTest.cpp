#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cstring>

#include "platform/WindowMessaging.h"

using namespace tessel;
using namespace std::chrono_literals;

namespace {

// A plain socket, apart from the transport under test: at path, listening
// (nobody serves it) or connected; -1 on failure.
int rawSocket(const QString &path, bool listening = false)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{AF_UNIX, {}};
    std::strncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path - 1);
    const auto *a = reinterpret_cast<const sockaddr *>(&address);
    if (listening ? ::bind(fd, a, sizeof address) || ::listen(fd, 4) : ::connect(fd, a, sizeof address))
        return ::close(fd), -1;
    return fd;
}

class WindowMessagingTest : public ::testing::Test
{
protected:
    void SetUp() override { qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path())); }
    QString pathOf(qint32 handle) const { return EndpointPath(runtime.path(), handle); }
    static std::unique_ptr<MessageEndpoint> echo()
    {
        return *MessageEndpoint::open([](const WindowMessage &m) { return m.wParam; });
    }

    QTemporaryDir runtime;
};

// Endpoints get distinct positive handles and sockets that only the user can
// reach, whatever the umask, and leave nothing behind.
TEST_F(WindowMessagingTest, EndpointsAreTheUsersAloneAndLeaveNoSocketBehind)
{
    std::vector<std::unique_ptr<MessageEndpoint>> endpoints;
    QSet<qint32> handles;
    for (const mode_t mask : {0, 077, 022}) {
        const mode_t previous = ::umask(mask);
        endpoints.push_back(echo());
        ::umask(previous);
        struct stat status
        { };
        ::lstat(QFile::encodeName(pathOf(endpoints.back()->handle())).constData(), &status);
        EXPECT_EQ(status.st_mode & 07777, mode_t(0600));
        EXPECT_GT(endpoints.back()->handle(), 0);
        handles.insert(endpoints.back()->handle());
    }
    EXPECT_EQ(handles.size(), 3);
    endpoints.clear();
    EXPECT_TRUE(QDir(runtime.path()).isEmpty(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot));
}

// A send gives 0 when there is no receiver of this user that answers: at once
// for a handle of 0 or below, a closed endpoint, a crashed program's socket or
// a link in an endpoint's place; after the time-out for a silent receiver.
TEST_F(WindowMessagingTest, ASendWithoutAnAnsweringReceiverGivesZero)
{
    int handled = 0;
    auto target = *MessageEndpoint::open([&](const WindowMessage &) { return ++handled; });
    ::close(rawSocket(pathOf(4242), true));
    ASSERT_TRUE(QFile::link(pathOf(target->handle()), pathOf(4343)));
    const int silent = rawSocket(pathOf(777), true); // accepts into its queue, never reads
    QElapsedTimer clock;
    clock.start();
    for (const qint32 handle : {0, -17, echo()->handle(), 4242, 4343, 777})
        EXPECT_EQ(SendMessage(handle, WM_LBUTTONDOWN, 1, 0, 300ms), 0) << handle;
    EXPECT_GE(clock.elapsed(), 300);
    EXPECT_LT(clock.elapsed(), 1300);
    ::close(silent);
    EXPECT_EQ(handled, 0);
}

bool closedByPeer(int fd)
{
    char byte;
    return ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0;
}

// The 12 bytes of a message with wParam.
std::array<char, 12> request(qint32 wParam)
{
    std::array<char, 12> bytes{};
    qToLittleEndian<qint32>(WM_LBUTTONDOWN, bytes.data());
    qToLittleEndian<qint32>(wParam, bytes.data() + 4);
    return bytes;
}

// The result that arrives on fd, or 0 when none does.
qint32 replyOn(int fd)
{
    char reply[4] = {};
    const bool arrived =
        QTest::qWaitFor([&] { return ::recv(fd, reply, sizeof reply, MSG_DONTWAIT) == 4; }, 5000);
    return arrived ? qFromLittleEndian<qint32>(reply) : 0;
}

// Senders that connect and stay silent, or close at once, hold up no proper message, also in a flood of
// 1,000 from the same user: what has arrived is answered before any connection is dropped, silent ones are
// dropped first (a slow sender that has begun stays), and the last of them after its own second.
TEST_F(WindowMessagingTest, AFloodOfSilentOrClosingSendersLosesNoProperMessage)
{
    auto endpoint = echo();
    const QString socket = pathOf(endpoint->handle());
    std::vector<int> silent;
    // Up to 60 connections at a time: the endpoint's queue of waiting connections holds them all.
    const auto flood = [&](int connections) {
        for (int i = 0; i < connections; ++i) {
            const int fd = rawSocket(socket);
            ASSERT_GE(fd, 0);
            if (i % 4 == 3)
                ::close(fd);
            else
                silent.push_back(fd);
        }
        QCoreApplication::processEvents();
    };
    for (int batch = 0; batch < 8; ++batch)
        flood(60);
    const int whole = rawSocket(socket), halting = rawSocket(socket);
    const auto wholeRequest = request(-123456789), haltingRequest = request(4711);
    ASSERT_EQ(::send(whole, wholeRequest.data(), 12, 0), 12);
    ASSERT_EQ(::send(halting, haltingRequest.data(), 6, 0), 6);
    for (int batch = 0; batch < 9; ++batch)
        flood(60);
    QTest::qWait(500); // a slow sender, within its second
    ASSERT_EQ(::send(halting, haltingRequest.data() + 6, 6, 0), 6);
    EXPECT_EQ(replyOn(whole), -123456789);
    EXPECT_EQ(replyOn(halting), 4711);
    EXPECT_EQ(SendMessage(endpoint->handle(), WM_LBUTTONDOWN, 42, 0), 42);
    EXPECT_TRUE(closedByPeer(silent.front()));
    EXPECT_FALSE(closedByPeer(silent.back()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return closedByPeer(silent.back()); }, 5000));
    for (const int fd : {whole, halting})
        ::close(fd);
    for (const int fd : silent)
        ::close(fd);
}

} // namespace
