#include "app/Main.h"

#include <QLoggingCategory>

#include <QApplication>

#include <cstdio>
#include <cstdlib>

#include "app/frmTessel.h"
#include "dialogs/Session.h"
#include "gui/FileDialogs.h"
#include "gui/MessageBoxes.h"
#include "hostlink/HostCommandLine.h"
#include "hostlink/HostLink.h"
#include "i18n/MessageTable.h"
#include "i18n/MessageText.h"
#include "i18n/Messages.h"
#include "platform/AppPaths.h"
#include "platform/ProcessLauncher.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "profile/ProfilePaths.h"

namespace tessel {

namespace {
// tessel.startup: start-up and its failures; warnings and worse unless QT_LOGGING_RULES enables more.
Q_LOGGING_CATEGORY(lcStartup, "tessel.startup", QtWarningMsg)
} // namespace
namespace {

// What "tessel --help" prints. The host never passes an option, so the two
// options cannot be mistaken for a host's command line.
QString usageText(const QString &applicationDir)
{
    return QStringLiteral(
               "Usage: tessel [NOTIFY REFRESH SHUTDOWN [DIRECTORY]]\n"
               "       tessel --help | --version\n\n"
               "Tessel edits TESSEL.INI, the data source registry of Velum GIS. Velum GIS starts\n"
               "it with the handles of three of its windows and its profile directory:\n"
               "  NOTIFY     the window that receives the registration and connection queries\n"
               "  REFRESH    the window told to reload the registry after every change\n"
               "  SHUTDOWN   the window told that Tessel closes\n"
               "  DIRECTORY  the directory of VELUMGIS.INI, ending in \"/\"\n"
               "A handle of 0 switches its window off; without arguments Tessel works alone.\n\n"
               "Files:\n"
               "  %1/TESSEL.INI    the data source registry\n"
               "  %1/SRCS.INI      the data source types\n"
               "  %1/TESSEL.LRT    the message translations\n"
               "  %1/LANGUAGE.INI  the language of the messages\n"
               "  VELUMGIS.INI in DIRECTORY  the host's keys TesselhWnd and TesselSignal\n"
               "                 (without DIRECTORY: in $XDG_CONFIG_HOME or ~/.config)\n"
               "  %1/TESSEL.INI.lock  taken by each change of the registry\n"
               "  $XDG_RUNTIME_DIR/velum-hwnd-N  the message sockets; in the user's folder\n"
               "                 (below) when $XDG_RUNTIME_DIR is not a private directory of the user\n"
               "  /tmp/velum-UID/tessel-*.instance  the lock that allows one copy per user\n"
               "                 and application directory, also kept in ~/.cache/velum-UID\n"
               "  /tmp/velum-UID  the user's folder; when it is not a private folder of the\n"
               "                 user, ~/.cache/velum-UID (in the home folder of the user\n"
               "                 database) takes its place, and Tessel says so at start\n")
        .arg(applicationDir);
}

// A failure that stops start-up: said on the terminal and in a message box,
// since no window of the program exists yet.
int stopStartup(MessageBoxes &messageBoxes, const QString &problem)
{
    qCCritical(lcStartup).noquote() << problem;
    messageBoxes.show(problem, MsgBoxStyle::Critical, ApplicationTitle);
    return EXIT_FAILURE;
}

// Tells the user when their folder in /tmp was refused, so that they learn
// that another user planted it and where the lock and the sockets are instead.
void reportRefusedUserFolder(const MessageTable &messageTable, MessageBoxes &messageBoxes)
{
    const Result<UserDirectory> folder = UserPrivateDirectory();
    if (!folder || folder->refusedPath.isEmpty())
        return;
    const QString text = GetMsgText(&messageTable, Msg::UserFolderRefused,
                                    {folder->refusedPath, folder->refusal, folder->path});
    qCWarning(lcStartup).noquote() << text;
    messageBoxes.show(text, MsgBoxStyle::Exclamation, ApplicationTitle);
}

// Ends the process without unwinding, so that no window runs any further
// code: an open dialog is discarded as it stands.
[[noreturn]] void endProgramNow()
{
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

// Ends start-up on a termination signal, with the exit code of a process
// that the signal ended.
[[noreturn]] void endStartupNow(int signalNumber)
{
    std::fflush(nullptr);
    std::_Exit(128 + signalNumber);
}

} // namespace

bool IsInformationRequest(const QStringList &arguments)
{
    return arguments.size() == 2
        && (arguments[1] == QStringLiteral("--help") || arguments[1] == QStringLiteral("--version"));
}

int PrintInformation()
{
    const QString text = QCoreApplication::arguments().value(1) == QStringLiteral("--help")
        ? usageText(ApplicationDirectory())
        : QStringLiteral("tessel %1\n").arg(QCoreApplication::applicationVersion());
    std::fputs(qUtf8Printable(text), stdout);
    return EXIT_SUCCESS;
}

int Main()
{
    // A request to terminate that comes while start-up shows a message box
    // ends the program there: no link with the host exists yet to close.
    TerminationSignals terminationSignals;
    const QMetaObject::Connection duringStartup =
        QObject::connect(&terminationSignals, &TerminationSignals::received, &endStartupNow);

    const QString applicationDir = ApplicationDirectory();
    QtMessageBoxes messageBoxes;
    SingleInstance instance(applicationDir);
    switch (instance.claim()) {
    case SingleInstance::Claim::Claimed:
        break;
    case SingleInstance::Claim::AlreadyRunning:
        // No message table exists yet: the text is shown as it stands.
        return stopStartup(messageBoxes, GetMsgText(nullptr, Msg::AlreadyRunning));
    case SingleInstance::Claim::NoLock:
        return stopStartup(messageBoxes, instance.problem());
    }

    // A command line the host link cannot read stops the program before
    // anything is written.
    const QString commandLine = CommandLineText(QCoreApplication::arguments());
    const auto hostCommandLine = ParseHostCommandLine(commandLine);
    if (!hostCommandLine)
        return stopStartup(messageBoxes, DescribeCommandLineError(hostCommandLine.error(), commandLine));

    LanguageSetting language;
    MessageTable messageTable(language);
    const QString translationFile = JoinPath(applicationDir, QStringLiteral("TESSEL.LRT"));
    if (const Result<void> loaded = messageTable.LoadTable(translationFile); !loaded) {
        return stopStartup(
            messageBoxes,
            QStringLiteral("Cannot load the translation file %1: %2").arg(translationFile, loaded.error()));
    }

    SelectLanguage(applicationDir, language);
    reportRefusedUserFolder(messageTable, messageBoxes);
    const ProfilePaths paths = InitProfilePaths(applicationDir);

    QtFileDialogs fileDialogs;
    QtProcessLauncher processLauncher;
    Session session;
    session.ApplicationDir = applicationDir;
    session.RegistryIniPath = paths.RegistryIniPath;
    session.SourcesIniPath = paths.SourcesIniPath;
    session.messageTable = &messageTable;
    session.messageBoxes = &messageBoxes;
    session.fileDialogs = &fileDialogs;
    session.processLauncher = &processLauncher;

    // From now on a request to terminate closes the program as the host's
    // shut-down press does, even while it waits inside a send to the host.
    // One that came during start-up, outside a message box, waits for it.
    HostLink hostLink(*hostCommandLine);
    QObject::connect(&hostLink, &HostLink::ended, &endProgramNow);
    QObject::disconnect(duringStartup);
    QObject::connect(&terminationSignals, &TerminationSignals::received, &hostLink, &HostLink::shutDown);
    frmTessel mainWindow(session, hostLink);
    mainWindow.show();
    qCDebug(lcStartup) << "main window shown";
    return QApplication::exec();
}

} // namespace tessel
