// The tessel program as the host starts it (through the velum-host program)
// and as a terminal starts it.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include "hostlink/HostLink.h"
#include "registry/ProfileStore.h"
#include "tests/support/QtPrinting.h"
#include "tests/support/TestFiles.h"

using namespace tessel;
using namespace tessel::test;
using namespace Qt::StringLiterals;

namespace {

constexpr int ProcessTimeoutMs = 30'000;   // the programs share two cores with the build

QString programPath(const char *name)
{
    return qEnvironmentVariable("TESSEL_APP_DIR") + u'/' + QLatin1String(name);
}

class HostSessionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The sockets, the single-instance lock and the profiles stay in this test's directories.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(runtime.path()));
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("QT_LOGGING_RULES", "tessel.hostlink.trace.debug=true");
    }
    void TearDown() override { qunsetenv("QT_LOGGING_RULES"); }

    // The host's log without times; with a pattern, waits for a line matching it.
    QStringList hostLog(const QString &awaited = {}) const
    {
        QStringList lines;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            lines = QString::fromUtf8(readBytes(hostDir.filePath(u"log"_s))).split(u'\n', Qt::SkipEmptyParts);
            for (QString &line : lines)
                line.remove(0, 13);
            return awaited.isEmpty() || !lines.filter(QRegularExpression(awaited)).isEmpty();
        }, ProcessTimeoutMs)) << awaited.toStdString();
        return lines;
    }
    QStringList endpointsLeft() const { return QDir(runtime.path()).entryList({u"velum-hwnd-*"_s}, QDir::System); }

    QTemporaryDir runtime;
    QTemporaryDir hostDir;
    const QString hostDirectory = hostDir.path() + u'/';
};

// Tessel registers its hidden button, which the host presses or a signal
// stands in for; either way the host hears of it, the sockets go and Tessel
// exits with 0. A second copy meanwhile, in any environment, is refused
// before its command line is judged.
TEST_F(HostSessionTest, TheHostStartsTesselAndClosesIt)
{
    for (const int signalNumber : {0, SIGTERM}) {
        SCOPED_TRACE(signalNumber);
        QProcess host;
        QStringList options{u"--profile-dir"_s, hostDirectory, u"--log"_s, hostDir.filePath(u"log"_s)};
        host.start(programPath("velum-host"), signalNumber ? options : options << u"--press-shutdown-after-registration"_s);
        const QStringList registered = hostLog(u"^NOTIFY "_s);
        const QString button = registered.filter(u"NOTIFY "_s).value(0).section(u'"', 1, 1);
        if (signalNumber) {
            for (const QString &otherRuntime : {hostDir.path(), QString()}) {
                QProcess second;
                QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
                environment.insert(u"XDG_RUNTIME_DIR"_s, otherRuntime);
                second.setProcessEnvironment(environment);
                second.setProcessChannelMode(QProcess::MergedChannels);
                second.start(programPath("tessel"), {u"abc"_s});
                QString said;
                (void)QTest::qWaitFor([&] { return (said += QString::fromUtf8(second.readAll())).contains(u"already running"_s); },
                                ProcessTimeoutMs);
                EXPECT_TRUE(said.contains(u"Velum GIS Tessel is already running."_s)) << said.toStdString();
                EXPECT_FALSE(said.contains(u"Command line:"_s));
                second.kill();
                second.waitForFinished();
            }
            const qint64 tessel = registered.filter(u"STARTED"_s).value(0).section(u'=', 1).toLongLong();
            ASSERT_EQ(::kill(pid_t(tessel), signalNumber), 0);
        }
        ASSERT_TRUE(host.waitForFinished(ProcessTimeoutMs));
        QStringList expected{u"NOTIFY message=513 wParam=0 lParam=0 TesselhWnd=\"%1\" TesselSignal=\"\""_s.arg(button),
                             u"SHUTDOWN message=513 wParam=0 lParam=0"_s, u"EXIT code=0"_s};
        if (!signalNumber) {
            expected.insert(1, u"PRESS TesselhWnd=\"%1\""_s.arg(button));
            expected.insert(3, u"PRESSED result=0"_s);
        }
        EXPECT_EQ(hostLog().mid(3), expected);
        EXPECT_EQ(ReadProfileString(HostIniSection, TesselhWndKey, {}, hostDirectory + HostIniFileName), button);
        EXPECT_TRUE(endpointsLeft().isEmpty()) << endpointsLeft().join(u' ').toStdString();
        // The trace names the hidden button's handle apart from the window's.
        const QString trace = QString::fromUtf8(host.readAllStandardError());
        EXPECT_TRUE(trace.contains(u"ShutDown Button hWnd : "_s + button)) << trace.toStdString();
        EXPECT_FALSE(trace.contains(u"My hWnd : "_s + button + u'\n'));
        EXPECT_EQ(trace.contains(u"Incoming windows Shutdown message"_s), !signalNumber);
        QFile::remove(hostDir.filePath(u"log"_s));
    }
}

// From a terminal: a command line Tessel cannot read stops it on a message
// box before anything is written; --help and --version are answered.
TEST_F(HostSessionTest, ATerminalStartIsAnsweredOrRefused)
{
    const struct
    {
        QStringList arguments;
        QString said;
        int exitCode;   // -1: still on its message box
    } cases[] = {
        {{u"abc"_s, u"2"_s, u"3"_s, hostDirectory}, u"Type mismatch: the window handle \"abc\""_s, -1},
        {{u"--help"_s}, u"tessel [NOTIFY REFRESH SHUTDOWN [DIRECTORY]]"_s, 0},
        {{u"--version"_s}, u"tessel 1."_s, 0},
    };
    for (const auto &c : cases) {
        QProcess tessel;
        tessel.setProcessChannelMode(QProcess::MergedChannels);
        tessel.start(programPath("tessel"), c.arguments);
        QString said;
        (void)QTest::qWaitFor([&] {
            said += QString::fromUtf8(tessel.readAll());
            return said.contains(c.said) && (c.exitCode == -1 || tessel.state() == QProcess::NotRunning);
        }, ProcessTimeoutMs);
        EXPECT_TRUE(said.contains(c.said)) << said.toStdString();
        EXPECT_EQ(tessel.state() == QProcess::NotRunning ? tessel.exitCode() : -1, c.exitCode);
        EXPECT_TRUE(endpointsLeft().isEmpty());
        tessel.kill();
        tessel.waitForFinished();
    }
    EXPECT_TRUE(QDir(hostDirectory).isEmpty());
}

} // namespace
