#include "app/Main.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

#include "app/frmTessel.h"
#include "dialogs/Session.h"
#include "hostlink/HostCommandLine.h"
#include "hostlink/HostLink.h"
#include "i18n/MessageTable.h"
#include "i18n/MessageText.h"
#include "i18n/Messages.h"
#include "platform/AppPaths.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBoxes.h"
#include "platform/ProcessLauncher.h"
#include "platform/SingleInstance.h"
#include "registry/ProfilePaths.h"

namespace tessel {
namespace {

constexpr int ExitRefused = 1;
constexpr int ExitStartupFailed = 1;

// A failure that stops start-up: said on the terminal and in a message box,
// since no window of the program exists yet.
int stopStartup(MessageBoxes &messageBoxes, const QString &problem)
{
    qCritical("%s", qUtf8Printable(problem));
    messageBoxes.show(problem, MsgBoxStyle::Critical, ApplicationTitle);
    return ExitStartupFailed;
}

// Ends the process without unwinding, so that no window runs any further
// code: an open dialog is discarded as it stands.
[[noreturn]] void endProgramNow()
{
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

} // namespace

int Main()
{
    QtMessageBoxes messageBoxes;

    // A command line the host link cannot read stops the program before
    // anything is written.
    const QString commandLine = CommandLineText(QCoreApplication::arguments());
    const auto hostCommandLine = ParseHostCommandLine(commandLine);
    if (const auto *error = std::get_if<CommandLineError>(&hostCommandLine))
        return stopStartup(messageBoxes, DescribeCommandLineError(*error, commandLine));

    SingleInstance instance(QCoreApplication::applicationFilePath());
    if (!instance.claim()) {
        // No message table exists yet: the text is shown as it stands.
        messageBoxes.show(GetMsgText(nullptr, Msg::AlreadyRunning), MsgBoxStyle::Critical,
                          ApplicationTitle);
        return ExitRefused;
    }

    const QString applicationDir = ApplicationDirectory();
    LanguageSetting language;
    MessageTable messageTable(language);
    const QString translationFile = JoinPath(applicationDir, QStringLiteral("TESSEL.LRT"));
    QString loadError;
    if (!messageTable.LoadTable(translationFile, &loadError)) {
        return stopStartup(messageBoxes, QStringLiteral("Cannot load the translation file %1: %2")
                                             .arg(translationFile, loadError));
    }

    SelectLanguage(applicationDir, language);
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

    HostLink hostLink(std::get<HostCommandLine>(hostCommandLine));
    QObject::connect(&hostLink, &HostLink::ended, &endProgramNow);
    frmTessel mainWindow(session, hostLink);
    session.mainWindow = &mainWindow;
    mainWindow.show();
    return QApplication::exec();
}

} // namespace tessel
