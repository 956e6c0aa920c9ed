// The real tessel program, started offscreen by the velum-host program.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

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

// Tessel stopped by a bad command line stays on its message box; it is
// checked there and then ended.
class BadCommandLineTest : public HostSessionTest
{
protected:
    struct Outcome
    {
        QString report;
        QStringList endpoints;
    };

    Outcome start(const QStringList &arguments)
    {
        QProcess tessel;
        tessel.start(programPath("tessel"), arguments);
        EXPECT_TRUE(tessel.waitForStarted());
        Outcome outcome;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            outcome.report += QString::fromUtf8(tessel.readAllStandardError());
            return outcome.report.contains(QStringLiteral("Command line:"))
                || tessel.state() == QProcess::NotRunning;
        }, ProcessTimeoutMs));
        outcome.endpoints = endpointsLeft();
        tessel.kill();
        tessel.waitForFinished();
        return outcome;
    }
};

TEST_F(BadCommandLineTest, AHandleThatIsNoNumberOrTooBigStopsTesselBeforeAnythingIsWritten)
{
    const struct
    {
        QStringList arguments;
        QString expected;
    } cases[] = {
        {{QStringLiteral("abc"), QStringLiteral("2"), QStringLiteral("3"), hostDirectory},
         QStringLiteral("Type mismatch: the window handle \"abc\"")},
        {{QStringLiteral("4294967296"), QStringLiteral("2"), QStringLiteral("3"), hostDirectory},
         QStringLiteral("Overflow: the window handle \"4294967296\"")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const Outcome outcome = start(c.arguments);
        EXPECT_TRUE(outcome.report.contains(c.expected)) << outcome.report.toStdString();
        EXPECT_TRUE(outcome.endpoints.isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(hostIni));
    EXPECT_FALSE(QFileInfo::exists(profiles.filePath(HostIniFileName)));
}


} // namespace
