#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "hostlink/HostLink.h"
#include "platform/WindowMessaging.h"
#include "registry/ProfileStore.h"

namespace tessel::test {

// The host's three windows inside the test process. Each message is recorded
// with the two keys of VELUMGIS.INI as the host sees them while handling it;
// answer, when set, is written into TesselSignal as the notify window's reply.
class FakeHost
{
public:
    struct Received
    {
        QString window;
        WindowMessage message;
        QString tesselhWnd;
        QString tesselSignal;
    };

    explicit FakeHost(QString iniPath)
        : m_iniPath(std::move(iniPath))
        , m_notify(recorder(QStringLiteral("NOTIFY")))
        , m_refresh(recorder(QStringLiteral("REFRESH")))
        , m_shutdown(recorder(QStringLiteral("SHUTDOWN")))
    {
    }

    qint32 notify() const { return m_notify->handle(); }
    qint32 refresh() const { return m_refresh->handle(); }
    qint32 shutdown() const { return m_shutdown->handle(); }

    QList<Received> received;
    QStringList windowsSignalled;
    std::optional<QString> answer;
    // Runs while the notify window handles a message, before it answers.
    std::function<void()> whileNotified;

private:
    std::unique_ptr<MessageEndpoint> recorder(const QString &window)
    {
        return *MessageEndpoint::open([this, window](const WindowMessage &message) {
            windowsSignalled.append(window);
            received.append({window, message,
                             ReadProfileString(HostIniSection, TesselhWndKey, QString(), m_iniPath),
                             ReadProfileString(HostIniSection, TesselSignalKey, QString(), m_iniPath)});
            if (window == QStringLiteral("NOTIFY") && whileNotified)
                whileNotified();
            if (window == QStringLiteral("NOTIFY") && answer)
                (void)WriteProfileString(HostIniSection, TesselSignalKey, *answer, m_iniPath);
            return 0;
        });
    }

    QString m_iniPath;
    std::unique_ptr<MessageEndpoint> m_notify;
    std::unique_ptr<MessageEndpoint> m_refresh;
    std::unique_ptr<MessageEndpoint> m_shutdown;
};

} // namespace tessel::test
