#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <sys/stat.h>

#include <thread>

#include "platform/WindowMessaging.h"
#include "tests/hostlink/RawSocket.h"

using namespace tessel;
using namespace tessel::test;
using namespace std::chrono_literals;

namespace {

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
    for (const mode_t mask : {0, 077, 0, 022}) {
        const mode_t previous = ::umask(mask);
        endpoints.push_back(echo());
        ::umask(previous);
        const qint32 handle = endpoints.back()->handle();
        struct stat status{};
        ::lstat(QFile::encodeName(pathOf(handle)).constData(), &status);
        EXPECT_EQ(status.st_mode & 07777, mode_t(0600));
        EXPECT_GT(handle, 0);
        handles.insert(handle);
    }
    EXPECT_EQ(handles.size(), 4);
    endpoints.clear();
    EXPECT_TRUE(QDir(runtime.path()).isEmpty(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot));
}

// A send gives 0 when there is no receiver of this user that answers: at once
// for a handle of 0 or below, a closed endpoint, a crashed program's socket,
// a link in an endpoint's place or a receiver that hangs up; after the
// time-out for a receiver that never answers.
TEST_F(WindowMessagingTest, ASendWithoutAnAnsweringReceiverGivesZero)
{
    EXPECT_EQ(SendMessageTimeout, 10s);
    int handled = 0;
    auto target = *MessageEndpoint::open([&](const WindowMessage &) { return ++handled; });
    const int stale = rawListen(pathOf(4242));
    ::close(stale);
    const qint32 closed = echo()->handle();
    ASSERT_TRUE(QFile::link(pathOf(target->handle()), pathOf(4343)));
    const int silent = rawListen(pathOf(777));   // accepts into its queue, never reads
    const int hangsUp = rawListen(pathOf(778));
    std::thread receiver([hangsUp] {
        const int connection = ::accept(hangsUp, nullptr, nullptr);
        rawRead(connection, 3);
        ::close(connection);
    });
    const std::pair<qint32, int> cases[] = {{0, 0}, {-17, 0}, {closed, 0}, {4242, 0}, {4343, 0}, {778, 0}, {777, 300}};
    for (const auto &[handle, atLeast] : cases) {
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(SendMessage(handle, WM_LBUTTONDOWN, 1, 0, 300ms), 0) << handle;
        EXPECT_GE(clock.elapsed(), atLeast) << handle;
        EXPECT_LT(clock.elapsed(), atLeast + 1000) << handle;
    }
    receiver.join();
    ::close(silent);
    ::close(hangsUp);
    EXPECT_EQ(handled, 0);
}

// The peer, while handling our message, sends one to our endpoint and
// answers after that returned: a sender serves its own endpoints while it
// waits, on its own thread. Both travel as little-endian numbers.
TEST_F(WindowMessagingTest, OwnEndpointsAreServedWhileWaitingForAnAnswer)
{
    QThread *handlerThread = nullptr;
    auto own = *MessageEndpoint::open([&](const WindowMessage &m) {
        handlerThread = QThread::currentThread();
        return m.lParam - m.message + m.wParam;
    });
    const int listener = rawListen(pathOf(779));
    std::thread peer([listener, ownPath = pathOf(own->handle())] {
        const int connection = ::accept(listener, nullptr, nullptr);
        const auto message = rawRead(connection, 3).value_or(std::array{0, 0, 0});
        const auto nested = rawSend(ownPath, message[0], message[1], message[2]);
        rawWrite(connection, {nested.value_or(0) == 2147483647 - 513 - 1 ? -123456789 : 1});
        ::close(connection);
    });
    EXPECT_EQ(SendMessage(779, WM_LBUTTONDOWN, -1, 2147483647, 5s), -123456789);
    EXPECT_EQ(handlerThread, QThread::currentThread());
    peer.join();
    ::close(listener);
}

bool closedByPeer(int fd)
{
    char byte;
    return ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0;
}

// Senders that connect and stay silent, or deliver slowly, hold up nobody: a
// proper message is answered at once, a silent sender is dropped after its
// own second, and beyond the cap the oldest at once.
TEST_F(WindowMessagingTest, SilentAndSlowSendersHoldUpNoProperMessage)
{
    auto endpoint = echo();
    const QString path = pathOf(endpoint->handle());
    for (const size_t silentCount : {size_t(20), MessageEndpoint::MaxIncomingConnections + 8}) {
        SCOPED_TRACE(silentCount);
        QElapsedTimer sinceConnected;
        sinceConnected.start();
        std::vector<int> silent;
        for (size_t i = 0; i < silentCount; ++i)
            silent.push_back(rawConnect(path));
        std::optional<qint32> slowAnswer, properAnswer;
        qint64 properLatency = -1;
        std::thread slow([&] {
            const int fd = rawConnect(path);
            rawWrite(fd, {WM_LBUTTONDOWN});
            std::this_thread::sleep_for(300ms);
            rawWrite(fd, {9, 0});
            slowAnswer = rawRead(fd, 1).value_or(std::array{0, 0, 0})[0];
            ::close(fd);
        });
        QEventLoop eventLoop;
        QTimer::singleShot(5000, &eventLoop, &QEventLoop::quit);
        std::thread proper([&] {
            QElapsedTimer clock;
            clock.start();
            properAnswer = rawSend(path, WM_LBUTTONDOWN, 7, 0);
            properLatency = clock.elapsed();
            QMetaObject::invokeMethod(&eventLoop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        eventLoop.exec();
        proper.join();
        EXPECT_EQ(properAnswer, 7);
        EXPECT_LT(properLatency, 100);
        EXPECT_EQ(closedByPeer(silent.front()), silentCount > MessageEndpoint::MaxIncomingConnections);
        EXPECT_FALSE(closedByPeer(silent.back()));
        EXPECT_TRUE(QTest::qWaitFor([&] { return closedByPeer(silent.back()); }, 5000));
        EXPECT_GE(sinceConnected.elapsed(), 900);
        slow.join();
        EXPECT_EQ(slowAnswer, 9);
        for (const int fd : silent)
            ::close(fd);
    }
}

} // namespace
