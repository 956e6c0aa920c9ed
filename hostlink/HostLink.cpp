#include "hostlink/HostLink.h"

#include <QLoggingCategory>

#include <utility>

#include "hostlink/DebugTrace.h"
#include "platform/WindowMessaging.h"
#include "profile/NumericText.h"
#include "profile/ProfileStore.h"

namespace tessel {

namespace {
// tessel.hostlink: the link with the GIS host; warnings and worse unless QT_LOGGING_RULES enables more.
Q_LOGGING_CATEGORY(lcHostLink, "tessel.hostlink", QtWarningMsg)
} // namespace
namespace {

std::unique_ptr<MessageEndpoint> openEndpoint(const char *role, MessageEndpoint::Handler handler)
{
    auto endpoint = MessageEndpoint::open(std::move(handler));
    if (!endpoint) {
        qCWarning(lcHostLink).noquote()
            << "The" << role << "cannot be reached by the host:" << endpoint.error();
        return nullptr;
    }
    return std::move(*endpoint);
}

qint32 handleOf(const std::unique_ptr<MessageEndpoint> &endpoint)
{
    return endpoint ? endpoint->handle() : 0;
}

void sendSignalMessage(qint32 window)
{
    SendMessage(window, WM_LBUTTONDOWN, 0, 0);
}

} // namespace

HostLink::HostLink(HostCommandLine commandLine, QObject *parent)
    : QObject(parent)
    , m_commandLine(std::move(commandLine))
{
    m_window = openEndpoint("main window", [](const WindowMessage &) { return 0; });
    m_shutdownButton = openEndpoint("shut-down button", [this](const WindowMessage &message) {
        if (message.message == WM_LBUTTONDOWN)
            emit shutdownButtonPressed();
        return 0;
    });
}

HostLink::~HostLink() = default;

qint32 HostLink::windowHandle() const
{
    return handleOf(m_window);
}

qint32 HostLink::shutdownButtonHandle() const
{
    return handleOf(m_shutdownButton);
}

bool HostLink::isLinked() const
{
    return m_commandLine.NotifyhWnd != 0 && m_commandLine.RefreshhWnd != 0 && m_commandLine.ShutdownhWnd != 0;
}

QString HostLink::hostIniPath() const
{
    return m_commandLine.HostIniDir + HostIniFileName;
}

void HostLink::writeHostKey(const QString &key, const QString &value) const
{
    // The host reads the key at its own pace; a write it cannot see is all
    // that can be reported here.
    if (const WriteResult written = WriteProfileString(HostIniSection, key, value, hostIniPath()); !written)
        qCWarning(lcHostLink).noquote()
            << "Cannot write" << key << "to" << hostIniPath() << ":" << written.error().detail;
}

void HostLink::traceFormLoaded() const
{
    DebugTrace(QStringLiteral("Form Loaded"));
    DebugTrace(QStringLiteral("My hWnd : ") + QString::number(windowHandle()));
    DebugTrace(QStringLiteral("ShutDown Button hWnd : ") + QString::number(shutdownButtonHandle()));
}

void HostLink::registerWithHost()
{
    DebugTrace(QStringLiteral("Command$ : ") + m_commandLine.Text);
    if (!isLinked())
        return;
    DebugTrace(QStringLiteral("NOTIFY hWnd found : ") + QString::number(m_commandLine.NotifyhWnd));
    DebugTrace(QStringLiteral("REFRESH hWnd found : ") + QString::number(m_commandLine.RefreshhWnd));
    DebugTrace(QStringLiteral("SHUTDOWN hWnd found : ") + QString::number(m_commandLine.ShutdownhWnd));
    DebugTrace(QStringLiteral("Sending cmdShutDown hWnd Notification : ")
               + QString::number(shutdownButtonHandle()));
    writeHostKey(TesselhWndKey, QString::number(shutdownButtonHandle()));
    DebugTrace(QStringLiteral("Storing hWnd in VelumGIS.INI : ") + m_commandLine.HostIniDir);
    SendSignal(QString());
}

QString HostLink::SendSignal(const QString &signal)
{
    if (m_commandLine.NotifyhWnd == 0)
        return QString();
    writeHostKey(TesselSignalKey, signal);
    sendSignalMessage(m_commandLine.NotifyhWnd);
    return ReadProfileString(HostIniSection, TesselSignalKey, QString(), hostIniPath());
}

bool HostLink::IsConnected(const QString &sectionName)
{
    if (m_commandLine.NotifyhWnd == 0)
        return false;
    return LeadingNumber(SendSignal(ConnectionQueryPrefix + sectionName)) != 0;
}

void HostLink::SignalParent()
{
    DebugTrace(QStringLiteral("Sending REFRESH Message"));
    if (m_commandLine.RefreshhWnd != 0)
        sendSignalMessage(m_commandLine.RefreshhWnd);
}

void HostLink::shutDown()
{
    // A second request (a signal, the host's press) that comes while the
    // host is being told is the same closing.
    if (std::exchange(m_shuttingDown, true))
        return;
    sendSignalMessage(m_commandLine.ShutdownhWnd);
    m_shutdownButton.reset();
    m_window.reset();
    emit ended();
}

} // namespace tessel
