#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

#include <iostream>
#include <thread>

#include "platform/WindowMessaging.h"
#include "tests/hostlink/RawSocket.h"

using namespace tessel;
using namespace tessel::test;
using namespace std::chrono_literals;

namespace {

mode_t permissionsOf(const QString &path)
{
    struct stat status{};
    ::lstat(QFile::encodeName(path).constData(), &status);
    return status.st_mode & 07777;
}

class WindowMessagingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }

    QString pathOf(qint32 handle) const { return EndpointPath(runtime.path(), handle); }

    // A handle whose endpoint existed and has been closed.
    qint32 closedHandle()
    {
        return (*MessageEndpoint::open([](const WindowMessage &) { return 0; }))->handle();
    }

    QTemporaryDir runtime;
};

TEST_F(WindowMessagingTest, MessageAndResultTravelWhole)
{
    WindowMessage received;
    auto endpoint = *MessageEndpoint::open([&](const WindowMessage &message) {
        received = message;
        return -123456789;
    });
    ASSERT_TRUE(endpoint);
    EXPECT_EQ(SendMessage(endpoint->handle(), WM_LBUTTONDOWN, -1, 2147483647), -123456789);
    EXPECT_EQ(received.message, 513);
    EXPECT_EQ(received.wParam, -1);
    EXPECT_EQ(received.lParam, 2147483647);
}

TEST_F(WindowMessagingTest, EndpointsHaveDistinctPositiveHandlesAreTheUsersAloneAndLeaveNoSocketBehind)
{
    std::vector<std::unique_ptr<MessageEndpoint>> endpoints;
    QSet<qint32> handles;
    for (int i = 0; i < 40; ++i) {
        const mode_t umask = ::umask(i % 2 == 0 ? 0 : 077);
        endpoints.push_back(*MessageEndpoint::open([](const WindowMessage &) { return 0; }));
        ::umask(umask);
        ASSERT_TRUE(endpoints.back());
        const qint32 handle = endpoints.back()->handle();
        EXPECT_GT(handle, 0);
        EXPECT_EQ(permissionsOf(pathOf(handle)), mode_t(0600));
        handles.insert(handle);
    }
    EXPECT_EQ(handles.size(), 40);
    endpoints.clear();
    EXPECT_TRUE(QDir(runtime.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(WindowMessagingTest, AWindowThatIsNotThereOrNotASocketOfTheUserFailsAtOnce)
{
    const int staleListener = rawListen(pathOf(4242));
    ASSERT_GE(staleListener, 0);
    ::close(staleListener);   // a crashed program's socket: present, refusing

    // A link planted in an endpoint's place, to a live endpoint elsewhere.
    int handled = 0;
    QTemporaryDir elsewhere;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(elsewhere.path()));
    auto target = *MessageEndpoint::open([&](const WindowMessage &) { return ++handled; });
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    ASSERT_TRUE(target);
    ASSERT_TRUE(QFile::link(EndpointPath(elsewhere.path(), target->handle()), pathOf(4343)));

    QElapsedTimer clock;
    clock.start();
    for (const qint32 handle : {0, -17, closedHandle(), 4242, 4343})
        EXPECT_EQ(SendMessage(handle, WM_LBUTTONDOWN, 0, 0), 0) << handle;
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(handled, 0);
}

TEST_F(WindowMessagingTest, AReceiverThatNeverAnswersTimesOut)
{
    EXPECT_EQ(SendMessageTimeout, 10s);
    const int silent = rawListen(pathOf(777));   // accepts into its queue, never reads
    ASSERT_GE(silent, 0);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(SendMessage(777, WM_LBUTTONDOWN, 0, 0, 300ms), 0);
    EXPECT_GE(clock.elapsed(), 300);
    EXPECT_LT(clock.elapsed(), 5000);
    ::close(silent);
}

TEST_F(WindowMessagingTest, AReceiverThatHangsUpWithoutAnsweringFailsAtOnce)
{
    const int listener = rawListen(pathOf(778));
    ASSERT_GE(listener, 0);
    std::thread receiver([listener] {
        const int connection = ::accept(listener, nullptr, nullptr);
        rawReadMessage(connection);
        ::close(connection);
    });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(SendMessage(778, WM_LBUTTONDOWN, 0, 0), 0);
    EXPECT_LT(clock.elapsed(), 5000);
    receiver.join();
    ::close(listener);
}

// The peer, while handling our message, sends one to our endpoint and
// answers only after that returned: we must serve our endpoint while waiting.
TEST_F(WindowMessagingTest, OwnEndpointsAreServedWhileWaitingForAnAnswer)
{
    QThread *handlerThread = nullptr;
    auto own = *MessageEndpoint::open([&](const WindowMessage &message) {
        handlerThread = QThread::currentThread();
        return message.wParam * 2;
    });
    ASSERT_TRUE(own);
    const QString ownPath = pathOf(own->handle());
    const int listener = rawListen(pathOf(779));
    ASSERT_GE(listener, 0);
    std::thread peer([listener, ownPath] {
        const int connection = ::accept(listener, nullptr, nullptr);
        const auto message = rawReadMessage(connection);
        const auto nested = rawSend(ownPath, WM_LBUTTONDOWN, message ? message->wParam : 0, 0);
        rawWriteResult(connection, nested.value_or(-1) + 1);
        ::close(connection);
    });
    EXPECT_EQ(SendMessage(779, WM_LBUTTONDOWN, 20, 0, 5s), 41);
    EXPECT_EQ(handlerThread, QThread::currentThread());
    peer.join();
    ::close(listener);
}

bool closedByPeer(int fd)
{
    char byte;
    return ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0;
}

// Served by the event loop, senders that connect and stay silent, or deliver
// slowly, hold up nobody: a proper message is answered at once, a silent
// sender is dropped after its own second, and beyond the cap the oldest at
// once.
TEST_F(WindowMessagingTest, SilentAndSlowSendersHoldUpNoProperMessage)
{
    auto endpoint = *MessageEndpoint::open([](const WindowMessage &message) { return message.wParam; });
    ASSERT_TRUE(endpoint);
    const QString path = pathOf(endpoint->handle());
    for (const size_t silentCount : {size_t(20), MessageEndpoint::MaxIncomingConnections + 8}) {
        SCOPED_TRACE(silentCount);
        QElapsedTimer sinceConnected;
        sinceConnected.start();
        std::vector<int> silent;
        for (size_t i = 0; i < silentCount; ++i)
            silent.push_back(rawConnect(path));
        ASSERT_GE(silent.back(), 0);

        std::optional<qint32> slowAnswer, properAnswer;
        qint64 properLatency = -1;   // microseconds
        std::thread slow([&] {
            std::array<char, 12> message{};
            qToLittleEndian<qint32>(WM_LBUTTONDOWN, message.data());
            qToLittleEndian<qint32>(9, message.data() + 4);
            const int fd = rawConnect(path);
            ::send(fd, message.data(), 5, MSG_NOSIGNAL);
            std::this_thread::sleep_for(300ms);
            ::send(fd, message.data() + 5, 7, MSG_NOSIGNAL);
            slowAnswer = rawReadResult(fd);
            ::close(fd);
        });
        QEventLoop eventLoop;
        QTimer::singleShot(5000, &eventLoop, &QEventLoop::quit);
        std::thread proper([&] {
            QElapsedTimer clock;
            clock.start();
            properAnswer = rawSend(path, WM_LBUTTONDOWN, 7, 0);
            properLatency = clock.nsecsElapsed() / 1000;
            QMetaObject::invokeMethod(&eventLoop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        eventLoop.exec();
        proper.join();
        EXPECT_EQ(properAnswer, 7);
        EXPECT_LT(properLatency, 100'000);
        std::cout << silentCount << " silent senders: a proper message answered in " << properLatency
                  << " us\n";

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

TEST_F(WindowMessagingTest, AHandlerMayCloseItsOwnEndpoint)
{
    std::unique_ptr<MessageEndpoint> endpoint;
    endpoint = *MessageEndpoint::open([&](const WindowMessage &) {
        endpoint.reset();
        return 99;
    });
    ASSERT_TRUE(endpoint);
    const qint32 handle = endpoint->handle();
    EXPECT_EQ(SendMessage(handle, WM_LBUTTONDOWN, 0, 0), 99);
    EXPECT_FALSE(endpoint);
    EXPECT_FALSE(QFileInfo::exists(pathOf(handle)));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(SendMessage(handle, WM_LBUTTONDOWN, 0, 0), 0);
}

} // namespace
