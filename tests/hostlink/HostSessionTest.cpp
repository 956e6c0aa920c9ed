// The tessel program as the host starts it, through the velum-host program.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include "hostlink/HostLink.h"
#include "profile/ProfileStore.h"
#include "tests/support/QtPrinting.h"
#include "tests/support/TestFiles.h"

using namespace tessel;
using namespace tessel::test;
using namespace Qt::StringLiterals;

namespace {

constexpr int ProcessTimeoutMs = 30'000; // the programs share two cores with the build

QString programPath(const char *name)
{
    return qEnvironmentVariable("TESSEL_APP_DIR") + u'/' + QLatin1String(name);
}

class HostSessionTest : public ::testing::Test
{
protected:
    // The sockets, the single-instance lock and the profiles stay in this test's directories.
    void SetUp() override
    {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(runtime.path()));
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    // The host's log without times, once a line matches awaited.
    QStringList hostLog(const QString &awaited) const
    {
        QStringList lines;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                lines =
                    QString::fromUtf8(readBytes(hostDir.filePath(u"log"_s))).split(u'\n', Qt::SkipEmptyParts);
                for (QString &line : lines)
                    line.remove(0, 13);
                return !lines.filter(QRegularExpression(awaited)).isEmpty();
            },
            ProcessTimeoutMs))
            << awaited.toStdString();
        return lines;
    }
    bool noEndpointLeft() const
    {
        return QDir(runtime.path()).entryList({u"velum-hwnd-*"_s}, QDir::System).isEmpty();
    }

    // What a second copy of tessel, with runtimeDir as its runtime directory,
    // says until it has refused to run.
    static QString secondCopySays(const QString &runtimeDir)
    {
        QProcess tessel;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_RUNTIME_DIR"_s, runtimeDir);
        tessel.setProcessEnvironment(environment);
        tessel.setProcessChannelMode(QProcess::MergedChannels);
        tessel.start(programPath("tessel"), {u"abc"_s});
        QString said;
        const QString refusal = u"Velum GIS Tessel is already running."_s;
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return (said += QString::fromUtf8(tessel.readAll())).contains(refusal); },
                            ProcessTimeoutMs))
            << said.toStdString();
        tessel.kill();
        tessel.waitForFinished();
        return said;
    }

    QTemporaryDir runtime;
    QTemporaryDir hostDir;
    const QString hostDirectory = hostDir.path() + u'/';
};

// Tessel registers its hidden button, which the host presses or SIGTERM
// stands in for; either way the host hears of it, the sockets go and Tessel
// exits with 0. A second copy meanwhile, in any environment, is refused
// before its command line is judged.
TEST_F(HostSessionTest, TheHostStartsTesselAndClosesIt)
{
    for (const int signalNumber : {0, SIGTERM}) {
        SCOPED_TRACE(signalNumber);
        QProcess host;
        QStringList options{u"--profile-dir"_s, hostDirectory, u"--log"_s, hostDir.filePath(u"log"_s)};
        host.start(programPath("velum-host"),
                   signalNumber ? options : options << u"--press-shutdown-after-registration"_s);
        const QStringList registered = hostLog(u"^NOTIFY "_s);
        const QString button = registered.filter(u"NOTIFY "_s).value(0).section(u'"', 1, 1);
        const pid_t tessel = pid_t(registered.filter(u"STARTED"_s).value(0).section(u'=', 1).toLongLong());
        if (signalNumber) {
            for (const QString &otherRuntime : {hostDir.path(), QString()})
                EXPECT_FALSE(secondCopySays(otherRuntime).contains(u"Command line:"_s));
            ASSERT_EQ(::kill(tessel, signalNumber), 0);
        }
        // The host may have ended already while its log was awaited.
        const bool ended = host.state() == QProcess::NotRunning || host.waitForFinished(ProcessTimeoutMs);
        if (!ended && tessel > 0)
            ::kill(tessel, SIGKILL); // a copy left running would refuse every later one
        ASSERT_TRUE(ended);
        QStringList expected{
            u"NOTIFY message=513 wParam=0 lParam=0 TesselhWnd=\"%1\" TesselSignal=\"\""_s.arg(button),
            u"SHUTDOWN message=513 wParam=0 lParam=0"_s, u"EXIT code=0"_s};
        if (!signalNumber) {
            expected.insert(1, u"PRESS TesselhWnd=\"%1\""_s.arg(button));
            expected.insert(3, u"PRESSED result=0"_s);
        }
        EXPECT_EQ(hostLog(u"^EXIT"_s).mid(3), expected);
        EXPECT_TRUE(noEndpointLeft());
        QFile::remove(hostDir.filePath(u"log"_s));
    }
}

// Started from a terminal, tessel answers --help and --version on stdout
// without a window; a command line the host link cannot read stops it, named
// on stderr, before it writes anything.
TEST_F(HostSessionTest, TheTerminalStartAnswersAndABadCommandLineWritesNothing)
{
    const QString registry = programPath("TESSEL.INI");
    const QByteArray before = readBytes(registry);
    for (const auto &[option, start] :
         {std::pair{u"--help"_s, u"Usage: tessel "_s}, {u"--version"_s, u"tessel 1."_s}}) {
        QProcess tessel;
        tessel.start(programPath("tessel"), {option});
        ASSERT_TRUE(tessel.waitForFinished(ProcessTimeoutMs));
        EXPECT_EQ(tessel.exitCode(), 0);
        EXPECT_TRUE(QString::fromUtf8(tessel.readAllStandardOutput()).startsWith(start))
            << option.toStdString();
        EXPECT_EQ(tessel.readAllStandardError(), QByteArray());
    }
    QProcess tessel;
    tessel.start(programPath("tessel"), {u"1"_s, u"2x"_s, u"3"_s});
    QByteArray said;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return (said += tessel.readAllStandardError()).contains("Command line: 1 2x 3"); },
        ProcessTimeoutMs))
        << said.toStdString();
    tessel.kill();
    tessel.waitForFinished();
    EXPECT_TRUE(said.contains("Type mismatch: the window handle \"2x\" is not a number"));
    EXPECT_EQ(readBytes(registry), before);
    EXPECT_TRUE(noEndpointLeft());
}

} // namespace
