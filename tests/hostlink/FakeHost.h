#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QStringList>

#include "hostlink/HostLink.h"
#include "platform/WindowMessaging.h"
#include "registry/ProfileStore.h"

namespace tessel::test {

// The host's three windows inside the test process. Each message is logged
// by the window that got it; a notify message with TesselhWnd and
// TesselSignal as the host sees them, and any message but 513 with wParam and
// lParam 0 with its numbers.
class FakeHost
{
public:
    explicit FakeHost(QString iniPath)
        : m_iniPath(std::move(iniPath))
    {
    }

    qint32 handle(int window) const { return m_windows[window]->handle(); }
    QString key(const QString &name) const
    {
        return ReadProfileString(HostIniSection, name, QStringLiteral("<none>"), m_iniPath);
    }

    QStringList log;
    std::optional<QString> answer;   // written into TesselSignal as the reply to a query
    std::function<void()> whileNotified;

private:
    std::unique_ptr<MessageEndpoint> window(const QString &name)
    {
        return *MessageEndpoint::open([this, name](const WindowMessage &m) {
            QString entry = name;
            if (m.message != WM_LBUTTONDOWN || m.wParam != 0 || m.lParam != 0)
                entry += QStringLiteral(" message %1 %2 %3").arg(m.message).arg(m.wParam).arg(m.lParam);
            if (name == QLatin1String("NOTIFY"))
                entry += QStringLiteral(" hWnd=%1 %2").arg(key(TesselhWndKey), key(TesselSignalKey));
            log.append(entry);
            if (name == QLatin1String("NOTIFY") && whileNotified)
                whileNotified();
            if (name == QLatin1String("NOTIFY") && answer) {
                EXPECT_TRUE(WriteProfileString(HostIniSection, TesselSignalKey, *answer, m_iniPath));
            }
            return 0;
        });
    }

    QString m_iniPath;
    const std::unique_ptr<MessageEndpoint> m_windows[3] = {
        window(QStringLiteral("NOTIFY")), window(QStringLiteral("REFRESH")), window(QStringLiteral("SHUTDOWN"))};
};

} // namespace tessel::test
