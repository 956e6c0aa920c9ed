// The real tessel program, started offscreen by the velum-host program.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <optional>

#include "hostlink/HostLink.h"
#include "registry/ProfileStore.h"
#include "tests/hostlink/HostProcess.h"

using namespace tessel;
using namespace tessel::test;

namespace {

class HostSessionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The programs' sockets, single-instance lock and bare-named profiles
        // stay inside this test's own directories.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(profiles.path()));
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("QT_LOGGING_RULES", "tessel.hostlink.trace.debug=true");
    }

    void TearDown() override { qunsetenv("QT_LOGGING_RULES"); }

    QStringList endpointsLeft() const
    {
        return QDir(runtime.path()).entryList({QStringLiteral("velum-hwnd-*")}, QDir::System);
    }

    QString hostKey(const QString &key, const QString &file) const
    {
        return ReadProfileString(HostIniSection, key, QStringLiteral("<missing>"), file);
    }

    QTemporaryDir runtime;
    QTemporaryDir profiles;
    QTemporaryDir hostDir;
    const QString hostDirectory = hostDir.path() + QLatin1Char('/');
    const QString hostIni = hostDirectory + HostIniFileName;
};

TEST_F(HostSessionTest, TesselRegistersAndTheHostClosesIt)
{
    HostProcess host({QStringLiteral("--profile-dir"), hostDirectory,
                      QStringLiteral("--press-shutdown-after-registration")});
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.waitForLine(QStringLiteral("^EXIT ")));
    ASSERT_TRUE(host.waitForEnd());

    const QString button = host.find(QStringLiteral("^PRESS TesselhWnd=\"(\\d+)\"")).captured(1);
    const QStringList expected{
        QStringLiteral("NOTIFY message=513 wParam=0 lParam=0 TesselhWnd=\"%1\" TesselSignal=\"\"").arg(button),
        QStringLiteral("PRESS TesselhWnd=\"%1\"").arg(button),
        QStringLiteral("SHUTDOWN message=513 wParam=0 lParam=0"),
        QStringLiteral("PRESSED result=0"),
        QStringLiteral("EXIT code=0"),
    };
    EXPECT_EQ(host.lines().mid(3), expected);

    // The published handle is the hidden button's, not the main window's.
    const QString trace = QString::fromUtf8(host.process.readAllStandardError());
    EXPECT_TRUE(trace.contains(QStringLiteral("ShutDown Button hWnd : ") + button)) << trace.toStdString();
    const QString window = QRegularExpression(QStringLiteral("My hWnd : (\\d+)")).match(trace).captured(1);
    EXPECT_FALSE(window.isEmpty());
    EXPECT_NE(window, button);
    EXPECT_TRUE(trace.contains(QStringLiteral("Incoming windows Shutdown message")));

    // The keys outlive Tessel; its sockets do not.
    EXPECT_EQ(hostKey(TesselhWndKey, hostIni), button);
    EXPECT_EQ(hostKey(TesselSignalKey, hostIni), QString());
    EXPECT_TRUE(endpointsLeft().isEmpty()) << endpointsLeft().join(u' ').toStdString();
}

// However it is asked to terminate, idle, Tessel closes as the host's press
// closes it. (While it waits inside a send: HostLinkTest.)
TEST_F(HostSessionTest, ATerminationSignalClosesTesselAsTheHostsPressDoes)
{
    for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(signalNumber);
        HostProcess host({QStringLiteral("--profile-dir"), hostDirectory});
        ASSERT_TRUE(host.start());
        ASSERT_TRUE(host.waitForLine(QStringLiteral("^NOTIFY ")));
        ASSERT_EQ(::kill(pid_t(host.tesselPid()), signalNumber), 0);
        ASSERT_TRUE(host.waitForEnd());
        EXPECT_EQ(host.lines().filter(QRegularExpression(QStringLiteral("^(SHUTDOWN|EXIT) "))),
                  (QStringList{QStringLiteral("SHUTDOWN message=513 wParam=0 lParam=0"),
                               QStringLiteral("EXIT code=0")}));
        EXPECT_TRUE(endpointsLeft().isEmpty()) << endpointsLeft().join(u' ').toStdString();
    }
}

// Tessel started from a terminal: what it says there until it has said the
// awaited text (without one: until it ends), and whether it is still running
// (on its message box) or has ended with a code.
class TerminalStartTest : public HostSessionTest
{
protected:
    struct Outcome
    {
        QString said;
        std::optional<int> exitCode;
        QStringList endpoints;
    };

    Outcome start(const QStringList &arguments, const QString &awaited,
                  const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        QProcess tessel;
        tessel.setProcessEnvironment(environment);
        tessel.setProcessChannelMode(QProcess::MergedChannels);
        tessel.start(programPath("tessel"), arguments);
        EXPECT_TRUE(tessel.waitForStarted());
        Outcome outcome;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            outcome.said += QString::fromUtf8(tessel.readAllStandardOutput());
            return (!awaited.isEmpty() && outcome.said.contains(awaited))
                || tessel.state() == QProcess::NotRunning;
        }, ProcessTimeoutMs));
        outcome.said += QString::fromUtf8(tessel.readAllStandardOutput());
        if (tessel.state() == QProcess::NotRunning)
            outcome.exitCode = tessel.exitCode();
        outcome.endpoints = endpointsLeft();
        tessel.kill();
        tessel.waitForFinished();
        return outcome;
    }
};

TEST_F(TerminalStartTest, ABadCommandLineStopsTesselBeforeAnythingIsWrittenAndOptionsAreAnswered)
{
    const struct
    {
        QStringList arguments;
        QString expected;
        std::optional<int> exitCode;   // none: still on its message box
    } cases[] = {
        {{QStringLiteral("abc"), QStringLiteral("2"), QStringLiteral("3"), hostDirectory},
         QStringLiteral("Type mismatch: the window handle \"abc\""), std::nullopt},
        {{QStringLiteral("4294967296"), QStringLiteral("2"), QStringLiteral("3"), hostDirectory},
         QStringLiteral("Overflow: the window handle \"4294967296\""), std::nullopt},
        {{QStringLiteral("--help")}, QStringLiteral("tessel [NOTIFY REFRESH SHUTDOWN [DIRECTORY]]"), 0},
        {{QStringLiteral("--version")}, QStringLiteral("tessel 1."), 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const Outcome outcome = start(c.arguments, c.exitCode ? QString() : c.expected);
        EXPECT_TRUE(outcome.said.contains(c.expected)) << outcome.said.toStdString();
        EXPECT_EQ(outcome.exitCode, c.exitCode);
        EXPECT_TRUE(outcome.endpoints.isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(hostIni));
    EXPECT_FALSE(QFileInfo::exists(profiles.filePath(HostIniFileName)));
}

// The first copy runs linked; a second one, with another runtime directory or
// none and a command line that is not even valid, is refused for the first.
TEST_F(TerminalStartTest, ASecondCopyIsRefusedWhateverItsEnvironmentBeforeItsCommandLineIsJudged)
{
    HostProcess host({QStringLiteral("--profile-dir"), hostDirectory});
    ASSERT_TRUE(host.start());
    ASSERT_TRUE(host.waitForLine(QStringLiteral("^NOTIFY ")));
    QTemporaryDir otherRuntime;
    for (const QString &runtime : {otherRuntime.path(), QString()}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        const QString alreadyRunning = QStringLiteral("Velum GIS Tessel is already running.");
        const Outcome outcome = start({QStringLiteral("abc")}, alreadyRunning, environment);
        EXPECT_TRUE(outcome.said.contains(alreadyRunning)) << outcome.said.toStdString();
        EXPECT_FALSE(outcome.said.contains(QStringLiteral("Command line:")));
    }
    EXPECT_EQ(host.count(QStringLiteral("^(SHUTDOWN|EXIT) ")), 0);
}

} // namespace
