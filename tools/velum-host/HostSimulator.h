#pragma once

#include <memory>
#include <optional>

#include <QFile>
#include <QObject>
#include <QString>
#include <QStringList>

#include "platform/WindowMessaging.h"

namespace tessel {

struct HostOptions
{
    // The directory passed as the command line's fourth field, unchanged;
    // without one Tessel gets the three handles alone.
    std::optional<QString> profileDirectory;
    // Data sources whose connection query is answered "1"; every other gets "0".
    QStringList connectedSources;
    // Never return from a connection query.
    bool ignoreQueries = false;
    // Press Tessel's shut-down button while handling a connection query.
    bool pressShutdownDuringQuery = false;
    // Press Tessel's shut-down button once Tessel has registered.
    bool pressShutdownAfterRegistration = false;
};

// Plays the GIS host for Tessel: opens the notify, refresh and shut-down
// windows, answers connection queries through TesselSignal, logs every
// message it receives and can press Tessel's shut-down button.
class HostSimulator final : public QObject
{
    Q_OBJECT
public:
    HostSimulator(HostOptions options, QFile &log);
    ~HostSimulator() override;

    // Opens the three windows, or says why one cannot be opened.
    Result<void> open();

    // The arguments that start Tessel linked to this host.
    QStringList tesselArguments() const;
    QString hostIniPath() const;

    // Sends a left-button press to the window published in TesselhWnd.
    void pressShutdownButton();

    void log(const QString &line);

private:
    qint32 onNotify(const WindowMessage &message);
    void answerQuery(const QString &sourceName);
    void logMessage(const char *window, const WindowMessage &message, const QString &details = {});

    HostOptions m_options;
    QFile &m_log;
    std::unique_ptr<MessageEndpoint> m_notify;
    std::unique_ptr<MessageEndpoint> m_refresh;
    std::unique_ptr<MessageEndpoint> m_shutdown;
    bool m_registered = false;
};

} // namespace tessel
