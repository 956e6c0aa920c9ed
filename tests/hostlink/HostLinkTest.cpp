#include <gtest/gtest.h>

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <csignal>

#include "hostlink/HostLink.h"
#include "platform/TerminationSignals.h"
#include "tests/hostlink/FakeHost.h"
#include "tests/support/TestFiles.h"

using namespace tessel;
using namespace tessel::test;

namespace {

// Endpoints and bare profile names of one test in directories of its own.
struct PrivateDirectories
{
    PrivateDirectories()
    {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(profiles.path()));
    }
    QTemporaryDir runtime;
    QTemporaryDir profiles;
};

class HostLinkTest : public ::testing::Test
{
protected:

    std::unique_ptr<HostLink> linkWith(qint32 notify, qint32 refresh, qint32 shutdown,
                                       const QString &directory)
    {
        HostCommandLine line;
        line.Text = QStringLiteral("%1 %2 %3 %4").arg(notify).arg(refresh).arg(shutdown).arg(directory);
        line.NotifyhWnd = notify;
        line.RefreshhWnd = refresh;
        line.ShutdownhWnd = shutdown;
        line.HostIniDir = directory;
        return std::make_unique<HostLink>(line);
    }

    std::unique_ptr<HostLink> linkedLink()
    {
        return linkWith(host.notify(), host.refresh(), host.shutdown(), hostDirectory);
    }

    PrivateDirectories directories;
    const QTemporaryDir &runtime = directories.runtime;
    const QTemporaryDir &profiles = directories.profiles;
    QTemporaryDir hostDir;
    const QString hostDirectory = hostDir.path() + QLatin1Char('/');
    const QString hostIni = hostDirectory + QStringLiteral("VELUMGIS.INI");
    FakeHost host{hostIni};
};

TEST_F(HostLinkTest, RegistrationPublishesTheShutdownButtonBeforeSignallingTheHost)
{
    const auto link = linkedLink();
    ASSERT_GT(link->shutdownButtonHandle(), 0);
    ASSERT_NE(link->shutdownButtonHandle(), link->windowHandle());
    EXPECT_TRUE(WriteProfileString(HostIniSection, TesselSignalKey, QStringLiteral("left over"), hostIni));

    link->registerWithHost();

    ASSERT_EQ(host.windowsSignalled, QStringList{QStringLiteral("NOTIFY")});
    const FakeHost::Received &registration = host.received.first();
    EXPECT_EQ(registration.message.message, WM_LBUTTONDOWN);
    EXPECT_EQ(registration.message.wParam, 0);
    EXPECT_EQ(registration.message.lParam, 0);
    EXPECT_EQ(registration.tesselhWnd, QString::number(link->shutdownButtonHandle()));
    EXPECT_EQ(registration.tesselSignal, QString());
}

TEST_F(HostLinkTest, WithoutThreeHostWindowsNothingIsRegistered)
{
    const qint32 n = host.notify(), r = host.refresh(), s = host.shutdown();
    for (const auto &handles : {std::array{0, r, s}, std::array{n, 0, s}, std::array{n, r, 0}}) {
        const auto link = linkWith(handles[0], handles[1], handles[2], hostDirectory);
        link->registerWithHost();
    }
    EXPECT_TRUE(host.received.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(hostIni));
}

TEST_F(HostLinkTest, TheHostsReplyToAQueryDecidesWhetherASourceIsConnected)
{
    const auto link = linkedLink();
    const std::pair<const char *, bool> replies[] = {
        {"1", true}, {"-1", true}, {"0.5", true}, {"12 sources", true},
        {"0", false}, {"", false}, {"yes", false},
    };
    for (const auto &[reply, connected] : replies) {
        SCOPED_TRACE(reply);
        host.answer = QString::fromUtf8(reply);
        EXPECT_EQ(link->IsConnected(QStringLiteral("Roads & Rails")), connected);
        EXPECT_EQ(host.received.last().tesselSignal, QStringLiteral("ICQ:Roads & Rails"));
    }
    EXPECT_EQ(host.received.size(), qsizetype(std::size(replies)));
}

TEST_F(HostLinkTest, AHostThatLeavesTheQueryUnansweredHasNothingConnected)
{
    const auto link = linkedLink();
    EXPECT_FALSE(link->IsConnected(QStringLiteral("1 Roads")));
    EXPECT_EQ(link->SendSignal(QStringLiteral("ICQ:1 Roads")), QStringLiteral("ICQ:1 Roads"));
}

TEST_F(HostLinkTest, WithoutANotifyWindowQueriesAreNeitherWrittenNorSent)
{
    const auto link = linkWith(0, host.refresh(), host.shutdown(), hostDirectory);
    EXPECT_FALSE(link->IsConnected(QStringLiteral("Roads")));
    EXPECT_EQ(link->SendSignal(QStringLiteral("ICQ:Roads")), QString());
    EXPECT_TRUE(host.received.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(hostIni));
}

TEST_F(HostLinkTest, AQueryWorksWithANotifyWindowAlone)
{
    const auto link = linkWith(host.notify(), 0, 0, hostDirectory);
    host.answer = QStringLiteral("1");
    EXPECT_TRUE(link->IsConnected(QStringLiteral("Roads")));
}

TEST_F(HostLinkTest, RefreshGoesToTheRefreshWindowWithoutTouchingTheProfile)
{
    const auto link = linkWith(0, host.refresh(), 0, hostDirectory);
    link->SignalParent();
    EXPECT_EQ(host.windowsSignalled, QStringList{QStringLiteral("REFRESH")});
    EXPECT_EQ(host.received.first().message.message, WM_LBUTTONDOWN);
    EXPECT_FALSE(QFileInfo::exists(hostIni));

    linkWith(host.notify(), 0, host.shutdown(), hostDirectory)->SignalParent();
    EXPECT_EQ(host.received.size(), 1);
}

TEST_F(HostLinkTest, ShutDownSignalsTheHostOnceAndRemovesTheEndpointsBeforeTheEnd)
{
    const auto link = linkedLink();
    const QStringList endpoints{EndpointPath(runtime.path(), link->windowHandle()),
                                EndpointPath(runtime.path(), link->shutdownButtonHandle())};
    for (const QString &path : endpoints)
        ASSERT_TRUE(QFileInfo::exists(path));
    QStringList signalledAtEnd;
    bool endpointsLeftAtEnd = true;
    int ends = 0;
    QObject::connect(link.get(), &HostLink::ended, [&] {
        ++ends;
        signalledAtEnd = host.windowsSignalled;
        endpointsLeftAtEnd = QFileInfo::exists(endpoints[0]) || QFileInfo::exists(endpoints[1]);
    });

    link->shutDown();
    link->shutDown();   // a second request: the same closing

    EXPECT_EQ(ends, 1);
    EXPECT_EQ(host.windowsSignalled, QStringList{QStringLiteral("SHUTDOWN")});
    EXPECT_EQ(signalledAtEnd, QStringList{QStringLiteral("SHUTDOWN")});
    EXPECT_FALSE(endpointsLeftAtEnd);
    EXPECT_FALSE(QFileInfo::exists(hostIni));

    // Without a host the program ends all the same.
    const auto alone = linkWith(0, 0, 0, QString());
    QSignalSpy aloneEnds(alone.get(), &HostLink::ended);
    alone->shutDown();
    EXPECT_EQ(aloneEnds.count(), 1);
}

// A termination signal that comes while Tessel waits for the host's answer to
// a query is served inside that wait, as the host's press would be.
TEST_F(HostLinkTest, ATerminationSignalDuringAQueryShutsDownInsideTheWait)
{
    const auto link = linkedLink();
    const QStringList endpoints{EndpointPath(runtime.path(), link->windowHandle()),
                                EndpointPath(runtime.path(), link->shutdownButtonHandle())};
    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::received, link.get(), &HostLink::shutDown);
    QStringList signalledAtEnd;
    QObject::connect(link.get(), &HostLink::ended, [&] { signalledAtEnd = host.windowsSignalled; });
    host.whileNotified = [] { ::raise(SIGTERM); };

    link->IsConnected(QStringLiteral("Roads"));

    EXPECT_EQ(signalledAtEnd, (QStringList{QStringLiteral("NOTIFY"), QStringLiteral("SHUTDOWN")}));
    EXPECT_FALSE(QFileInfo::exists(endpoints[0]) || QFileInfo::exists(endpoints[1]));
}

TEST_F(HostLinkTest, APressOnTheShutdownButtonIsAShutdownRequest)
{
    const auto link = linkedLink();
    QSignalSpy requests(link.get(), &HostLink::shutdownButtonPressed);
    EXPECT_EQ(SendMessage(link->windowHandle(), WM_LBUTTONDOWN, 0, 0), 0);
    EXPECT_EQ(SendMessage(link->shutdownButtonHandle(), 514, 0, 0), 0);
    EXPECT_EQ(requests.count(), 0);
    EXPECT_EQ(SendMessage(link->shutdownButtonHandle(), WM_LBUTTONDOWN, 0, 0), 0);
    EXPECT_EQ(requests.count(), 1);
}

TEST_F(HostLinkTest, TheHostProfileIsTheDirectoryTextFollowedByTheFileName)
{
    const QString glued = hostDir.path() + QStringLiteral("/host");
    linkWith(host.notify(), host.refresh(), host.shutdown(), glued)->registerWithHost();
    EXPECT_TRUE(QFileInfo::exists(glued + QStringLiteral("VELUMGIS.INI")));

    // Without a directory the bare name lives in the profile directory.
    linkWith(host.notify(), host.refresh(), host.shutdown(), QString())->registerWithHost();
    EXPECT_TRUE(QFileInfo::exists(profiles.path() + QStringLiteral("/VELUMGIS.INI")));
}


} // namespace
