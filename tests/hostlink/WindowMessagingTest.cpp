#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

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

class EndpointDirectoryTest : public ::testing::Test
{
protected:
    QString expectedPrivateDirectory() const
    {
        return tempRoot.path() + QStringLiteral("/velum-") + QString::number(::geteuid());
    }

    QTemporaryDir tempRoot;
    QString error;
};

TEST_F(EndpointDirectoryTest, TheRuntimeDirectoryOrElseAnOwnPrivateDirectoryIsUsed)
{
    EXPECT_EQ(ResolveEndpointDirectory(QStringLiteral("/run/user/1000"), tempRoot.path(), &error),
              QStringLiteral("/run/user/1000"));
    EXPECT_FALSE(QFileInfo::exists(expectedPrivateDirectory()));

    EXPECT_EQ(ResolveEndpointDirectory(QString(), tempRoot.path(), &error), expectedPrivateDirectory());
    EXPECT_EQ(permissionsOf(expectedPrivateDirectory()), mode_t(0700));

    // A second program uses it as it finds it, made private again if opened up.
    ::chmod(QFile::encodeName(expectedPrivateDirectory()).constData(), 0777);
    EXPECT_EQ(ResolveEndpointDirectory(QString(), tempRoot.path(), &error), expectedPrivateDirectory());
    EXPECT_EQ(permissionsOf(expectedPrivateDirectory()), mode_t(0700));
}

TEST_F(EndpointDirectoryTest, SomethingElseInItsPlaceIsRefused)
{
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QFile::link(elsewhere.path(), expectedPrivateDirectory()));
    EXPECT_TRUE(ResolveEndpointDirectory(QString(), tempRoot.path(), &error).isEmpty());
    EXPECT_TRUE(error.contains(expectedPrivateDirectory())) << error.toStdString();

    ASSERT_TRUE(QFile::remove(expectedPrivateDirectory()));
    QFile plainFile(expectedPrivateDirectory());
    ASSERT_TRUE(plainFile.open(QIODevice::WriteOnly));
    EXPECT_TRUE(ResolveEndpointDirectory(QString(), tempRoot.path(), &error).isEmpty());
}

TEST_F(EndpointDirectoryTest, ADirectoryOfAnotherUserIsRefused)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give a directory to another user";
    ASSERT_TRUE(QDir().mkdir(expectedPrivateDirectory()));
    ASSERT_EQ(::chown(QFile::encodeName(expectedPrivateDirectory()).constData(), 65534, 65534), 0);
    EXPECT_TRUE(ResolveEndpointDirectory(QString(), tempRoot.path(), &error).isEmpty());
    EXPECT_TRUE(error.contains(QStringLiteral("another user"))) << error.toStdString();
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
        return MessageEndpoint::open([](const WindowMessage &) { return 0; })->handle();
    }

    QTemporaryDir runtime;
};

TEST_F(WindowMessagingTest, MessageAndResultTravelWhole)
{
    WindowMessage received;
    auto endpoint = MessageEndpoint::open([&](const WindowMessage &message) {
        received = message;
        return -123456789;
    });
    ASSERT_TRUE(endpoint);
    EXPECT_EQ(SendMessage(endpoint->handle(), WM_LBUTTONDOWN, -1, 2147483647), -123456789);
    EXPECT_EQ(received.message, 513);
    EXPECT_EQ(received.wParam, -1);
    EXPECT_EQ(received.lParam, 2147483647);
}

TEST_F(WindowMessagingTest, EndpointsHaveDistinctPositiveHandlesAndLeaveNoSocketBehind)
{
    std::vector<std::unique_ptr<MessageEndpoint>> endpoints;
    QSet<qint32> handles;
    for (int i = 0; i < 40; ++i) {
        endpoints.push_back(MessageEndpoint::open([](const WindowMessage &) { return 0; }));
        ASSERT_TRUE(endpoints.back());
        const qint32 handle = endpoints.back()->handle();
        EXPECT_GT(handle, 0);
        EXPECT_TRUE(QFileInfo::exists(pathOf(handle)));
        handles.insert(handle);
    }
    EXPECT_EQ(handles.size(), 40);
    endpoints.clear();
    EXPECT_TRUE(QDir(runtime.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(WindowMessagingTest, AWindowThatIsNotThereFailsAtOnce)
{
    const int staleListener = rawListen(pathOf(4242));
    ASSERT_GE(staleListener, 0);
    ::close(staleListener);   // a crashed program's socket: present, refusing

    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(SendMessage(0, WM_LBUTTONDOWN, 0, 0), 0);
    EXPECT_EQ(SendMessage(-17, WM_LBUTTONDOWN, 0, 0), 0);
    EXPECT_EQ(SendMessage(closedHandle(), WM_LBUTTONDOWN, 0, 0), 0);
    EXPECT_EQ(SendMessage(4242, WM_LBUTTONDOWN, 0, 0), 0);
    EXPECT_LT(clock.elapsed(), 1000);
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
    auto own = MessageEndpoint::open([&](const WindowMessage &message) {
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

TEST_F(WindowMessagingTest, AnIdleEndpointIsServedByTheEventLoop)
{
    int handled = 0;
    auto endpoint = MessageEndpoint::open([&](const WindowMessage &) { return ++handled; });
    ASSERT_TRUE(endpoint);
    std::optional<qint32> result;
    std::thread peer([&, path = pathOf(endpoint->handle())] { result = rawSend(path, 513, 0, 0); });
    QTRY_COMPARE_WITH_TIMEOUT(handled, 1, 10000);
    peer.join();
    EXPECT_EQ(result, 1);
}

TEST_F(WindowMessagingTest, AHandlerMayCloseItsOwnEndpoint)
{
    std::unique_ptr<MessageEndpoint> endpoint;
    endpoint = MessageEndpoint::open([&](const WindowMessage &) {
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
