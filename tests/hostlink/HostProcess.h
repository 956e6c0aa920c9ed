#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/types.h>

#include "tests/support/TestFiles.h"

namespace tessel::test {

// How long a test waits for another program to get somewhere. Generous: the
// programs share two cores with the rest of the build and test run.
inline constexpr int ProcessTimeoutMs = 30'000;

inline QString programPath(const char *name)
{
    return qEnvironmentVariable("TESSEL_APP_DIR") + QLatin1Char('/') + QLatin1String(name);
}

// The velum-host program, run with a log file whose lines a test waits for.
// Destroying it ends the host and the Tessel it started.
class HostProcess
{
public:
    explicit HostProcess(QStringList options)
    {
        process.setProgram(programPath("velum-host"));
        process.setArguments(options << QStringLiteral("--log") << logPath());
    }

    ~HostProcess()
    {
        // A Tessel the host saw ending is gone; one left running is ended.
        if (const qint64 tessel = tesselPid(); tessel > 0 && count(QStringLiteral("^EXIT ")) == 0)
            ::kill(pid_t(tessel), SIGKILL);
        process.kill();
        process.waitForFinished();
    }

    bool start()
    {
        process.start();
        return process.waitForStarted() && waitForLine(QStringLiteral("^HOST "));
    }

    // The log's lines without their times.
    QStringList lines() const
    {
        QStringList result;
        for (const QString &line : QString::fromUtf8(readBytes(logPath())).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            result.append(line.mid(13));
        return result;
    }

    QRegularExpressionMatch find(const QString &pattern) const
    {
        const QRegularExpression expression(pattern);
        for (const QString &line : lines()) {
            QRegularExpressionMatch match = expression.match(line);
            if (match.hasMatch())
                return match;
        }
        return {};
    }

    bool waitForLine(const QString &pattern, int timeoutMs = ProcessTimeoutMs) const
    {
        return QTest::qWaitFor([&] { return find(pattern).hasMatch(); }, timeoutMs);
    }

    bool waitForEnd(int timeoutMs = ProcessTimeoutMs)
    {
        return QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, timeoutMs);
    }

    qint64 count(const QString &pattern) const { return lines().filter(QRegularExpression(pattern)).size(); }

    qint32 handle(const char *window) const
    {
        return find(QStringLiteral("^HOST .*%1=(\\d+)").arg(QLatin1String(window))).captured(1).toInt();
    }

    // The command line that links Tessel to this host, with directory.
    QString commandLine(const QString &directory) const
    {
        return QStringLiteral("%1 %2 %3 %4")
            .arg(handle("notify"))
            .arg(handle("refresh"))
            .arg(handle("shutdown"))
            .arg(directory);
    }

    qint64 tesselPid() const { return find(QStringLiteral("^STARTED pid=(\\d+)")).captured(1).toLongLong(); }

    QString logPath() const { return m_logDir.filePath(QStringLiteral("velum-host.log")); }

    QProcess process;

private:
    QTemporaryDir m_logDir;
};

} // namespace tessel::test
