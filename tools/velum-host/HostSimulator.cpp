#include "tools/velum-host/HostSimulator.h"

#include <QEventLoop>
#include <QTime>
#include <QTimer>

#include "hostlink/HostLink.h"
#include "profile/NumericText.h"
#include "profile/ProfileStore.h"

namespace tessel {
namespace {

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

HostSimulator::HostSimulator(HostOptions options, QFile &log)
    : m_options(std::move(options))
    , m_log(log)
{ }

HostSimulator::~HostSimulator() = default;

Result<void> HostSimulator::open()
{
    const auto logOnly = [this](const char *window) {
        return [this, window](const WindowMessage &m) {
            logMessage(window, m);
            return 0;
        };
    };
    auto notify = MessageEndpoint::open([this](const WindowMessage &m) { return onNotify(m); });
    auto refresh = MessageEndpoint::open(logOnly("REFRESH"));
    auto shutdown = MessageEndpoint::open(logOnly("SHUTDOWN"));
    for (const auto *opened : {&notify, &refresh, &shutdown}) {
        if (!*opened)
            return Failure{opened->error()};
    }
    m_notify = std::move(*notify);
    m_refresh = std::move(*refresh);
    m_shutdown = std::move(*shutdown);
    log(QStringLiteral("HOST notify=%1 refresh=%2 shutdown=%3")
            .arg(m_notify->handle())
            .arg(m_refresh->handle())
            .arg(m_shutdown->handle()));
    return {};
}

QStringList HostSimulator::tesselArguments() const
{
    QStringList arguments{QString::number(m_notify->handle()), QString::number(m_refresh->handle()),
                          QString::number(m_shutdown->handle())};
    if (m_options.profileDirectory)
        arguments.append(*m_options.profileDirectory);
    return arguments;
}

QString HostSimulator::hostIniPath() const
{
    return m_options.profileDirectory.value_or(QString()) + HostIniFileName;
}

void HostSimulator::pressShutdownButton()
{
    const QString published = ReadProfileString(HostIniSection, TesselhWndKey, QString(), hostIniPath());
    log(QStringLiteral("PRESS TesselhWnd=%1").arg(quoted(published)));
    const qint32 result = SendMessage(WholeNumber32(published), WM_LBUTTONDOWN, 0, 0);
    log(QStringLiteral("PRESSED result=%1").arg(result));
}

void HostSimulator::log(const QString &line)
{
    m_log.write((QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz ")) + line).toUtf8() + '\n');
    m_log.flush();
}

qint32 HostSimulator::onNotify(const WindowMessage &message)
{
    const QString tesselhWnd = ReadProfileString(HostIniSection, TesselhWndKey, QString(), hostIniPath());
    const QString signal = ReadProfileString(HostIniSection, TesselSignalKey, QString(), hostIniPath());
    logMessage("NOTIFY", message,
               QStringLiteral(" TesselhWnd=%1 TesselSignal=%2").arg(quoted(tesselhWnd), quoted(signal)));

    if (signal.startsWith(ConnectionQueryPrefix)) {
        answerQuery(signal.mid(ConnectionQueryPrefix.size()));
    } else if (!m_registered && signal.isEmpty()) {
        // Tessel registers with an empty signal, right after writing TesselhWnd.
        m_registered = true;
        if (m_options.pressShutdownAfterRegistration)
            QTimer::singleShot(0, this, &HostSimulator::pressShutdownButton);
    }
    return 0;
}

void HostSimulator::answerQuery(const QString &sourceName)
{
    if (m_options.pressShutdownDuringQuery)
        pressShutdownButton();
    if (m_options.ignoreQueries) {
        log(QStringLiteral("IGNORE query for %1").arg(quoted(sourceName)));
        // Stays inside the message until the host ends, yet keeps its other
        // windows working, as a host busy in a modal loop would.
        QEventLoop busy;
        busy.exec();
        return;
    }
    const bool connected = m_options.connectedSources.contains(sourceName, Qt::CaseInsensitive);
    const QString answer = connected ? QStringLiteral("1") : QStringLiteral("0");
    if (const WriteResult written =
            WriteProfileString(HostIniSection, TesselSignalKey, answer, hostIniPath());
        !written) {
        log(QStringLiteral("CANNOT ANSWER for %1: %2").arg(quoted(sourceName), written.error().detail));
        return;
    }
    log(QStringLiteral("ANSWER %1 for %2").arg(answer, quoted(sourceName)));
}

void HostSimulator::logMessage(const char *window, const WindowMessage &message, const QString &details)
{
    log(QStringLiteral("%1 message=%2 wParam=%3 lParam=%4")
            .arg(QLatin1String(window))
            .arg(message.message)
            .arg(message.wParam)
            .arg(message.lParam)
        + details);
}

} // namespace tessel
