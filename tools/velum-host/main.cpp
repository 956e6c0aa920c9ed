// velum-host: plays the Velum GIS host for Tessel, for developers and tests.
// It opens the host's notify, refresh and shut-down windows, starts Tessel
// with their handles, answers Tessel's connection queries, and logs every
// message it receives, one timestamped line each. docs/host-protocol.md
// describes its options and its log.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QProcess>
#include <QSocketNotifier>

#include <cstdio>

#include <unistd.h>

#include "tools/velum-host/HostSimulator.h"

using namespace tessel;

namespace {

// Runs the commands typed on standard input; ends with it when asked to.
class CommandReader final : public QObject
{
public:
    CommandReader(HostSimulator &host, bool quitAtEnd)
        : m_host(host)
        , m_quitAtEnd(quitAtEnd)
        , m_notifier(STDIN_FILENO, QSocketNotifier::Read)
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, &CommandReader::readInput);
    }

private:
    void readInput()
    {
        char chunk[256];
        const ssize_t count = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (count <= 0) {
            m_notifier.setEnabled(false);
            if (m_quitAtEnd)
                QCoreApplication::quit();
            return;
        }
        m_pending.append(chunk, count);
        for (qsizetype end = m_pending.indexOf('\n'); end >= 0; end = m_pending.indexOf('\n')) {
            const QByteArray command = m_pending.left(end).trimmed();
            m_pending.remove(0, end + 1);
            if (command == "press-shutdown")
                m_host.pressShutdownButton();
            else if (!command.isEmpty())
                m_host.log(QStringLiteral("UNKNOWN command %1").arg(QString::fromUtf8(command)));
        }
    }

    HostSimulator &m_host;
    bool m_quitAtEnd;
    QSocketNotifier m_notifier;
    QByteArray m_pending;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velum-host"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Plays the Velum GIS host: starts Tessel linked to three host windows, "
                       "answers its connection queries and logs every message it receives."));
    parser.addHelpOption();
    const QCommandLineOption tesselOption(
        QStringLiteral("tessel"),
        QStringLiteral("The Tessel program to start (default: tessel beside velum-host)."),
        QStringLiteral("program"), QCoreApplication::applicationDirPath() + QStringLiteral("/tessel"));
    const QCommandLineOption profileDirOption(
        QStringLiteral("profile-dir"),
        QStringLiteral("The directory of VELUMGIS.INI, passed to Tessel unchanged: end it with /. "
                       "Without it Tessel gets the three handles alone."),
        QStringLiteral("directory"));
    const QCommandLineOption connectedOption(
        QStringLiteral("connected"),
        QStringLiteral("Answer the connection query for this data source with 1 (repeatable); "
                       "every other source is answered 0."),
        QStringLiteral("name"));
    const QCommandLineOption noAnswerOption(QStringLiteral("no-answer"),
                                            QStringLiteral("Never return from a connection query."));
    const QCommandLineOption pressDuringQueryOption(
        QStringLiteral("press-shutdown-during-query"),
        QStringLiteral("Press Tessel's shut-down button while handling a connection query."));
    const QCommandLineOption pressAfterRegistrationOption(
        QStringLiteral("press-shutdown-after-registration"),
        QStringLiteral("Press Tessel's shut-down button as soon as Tessel has registered."));
    const QCommandLineOption noStartOption(
        QStringLiteral("no-start"),
        QStringLiteral("Do not start Tessel: print the handles and run until standard input ends."));
    const QCommandLineOption logOption(
        QStringLiteral("log"), QStringLiteral("Write the log to this file instead of standard output."),
        QStringLiteral("file"));
    parser.addOptions({tesselOption, profileDirOption, connectedOption, noAnswerOption,
                       pressDuringQueryOption, pressAfterRegistrationOption, noStartOption, logOption});
    parser.process(app);

    HostOptions options;
    if (parser.isSet(profileDirOption))
        options.profileDirectory = parser.value(profileDirOption);
    options.connectedSources = parser.values(connectedOption);
    options.ignoreQueries = parser.isSet(noAnswerOption);
    options.pressShutdownDuringQuery = parser.isSet(pressDuringQueryOption);
    options.pressShutdownAfterRegistration = parser.isSet(pressAfterRegistrationOption);

    QFile log;
    bool logOpened = false;
    if (parser.isSet(logOption)) {
        log.setFileName(parser.value(logOption));
        logOpened = log.open(QIODevice::WriteOnly | QIODevice::Append);
    } else {
        logOpened = log.open(stdout, QIODevice::WriteOnly);
    }
    if (!logOpened) {
        std::fprintf(stderr, "velum-host: cannot open the log: %s\n", qPrintable(log.errorString()));
        return 2;
    }

    HostSimulator host(options, log);
    if (const Result<void> opened = host.open(); !opened) {
        std::fprintf(stderr, "velum-host: %s\n", qPrintable(opened.error()));
        return 1;
    }

    const bool startTessel = !parser.isSet(noStartOption);
    CommandReader commands(host, !startTessel);
    if (!startTessel)
        return app.exec();

    QProcess tessel;
    tessel.setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(&tessel, &QProcess::finished, &app, [&](int exitCode, QProcess::ExitStatus status) {
        host.log(status == QProcess::NormalExit ? QStringLiteral("EXIT code=%1").arg(exitCode)
                                                : QStringLiteral("EXIT crashed"));
        QCoreApplication::exit(status == QProcess::NormalExit ? exitCode : 1);
    });
    const QString program = parser.value(tesselOption);
    host.log(QStringLiteral("START %1 %2").arg(program, host.tesselArguments().join(QLatin1Char(' '))));
    tessel.start(program, host.tesselArguments());
    if (!tessel.waitForStarted()) {
        host.log(QStringLiteral("FAILED %1").arg(tessel.errorString()));
        return 1;
    }
    host.log(QStringLiteral("STARTED pid=%1").arg(tessel.processId()));
    return app.exec();
}
