#pragma once

#include <memory>

#include <QObject>
#include <QString>

#include "hostlink/HostCommandLine.h"

namespace tessel {

class MessageEndpoint;

// Where the host and the program exchange data: two keys in section General
// of the host's profile file.
inline const QString HostIniFileName = QStringLiteral("VELUMGIS.INI");
inline const QString HostIniSection = QStringLiteral("General");
inline const QString TesselhWndKey = QStringLiteral("TesselhWnd");
inline const QString TesselSignalKey = QStringLiteral("TesselSignal");
// TesselSignal of a connection query: the prefix, then the section name.
inline const QString ConnectionQueryPrefix = QStringLiteral("ICQ:");

// The link with the GIS host that started the program. It owns the endpoints
// of the main window and of its hidden shut-down button, tells the host where
// to reach the program, asks it whether a data source is connected, and
// signals REFRESH and shut-down. Every signal is message 513 (a left-button
// press) sent synchronously to one of the three host windows of the command
// line; a window whose handle is 0 is never signalled.
class HostLink final : public QObject
{
    Q_OBJECT
public:
    // Opens the endpoints of the main window and of its hidden button.
    explicit HostLink(HostCommandLine commandLine, QObject *parent = nullptr);
    ~HostLink() override;

    // The endpoints' handles; 0 when an endpoint could not be opened.
    qint32 windowHandle() const;
    qint32 shutdownButtonHandle() const;
    // Linked: all three host handles are non-zero.
    bool isLinked() const;
    // HostIniDir followed directly by VELUMGIS.INI.
    QString hostIniPath() const;

    // The trace lines of a loaded main window: its own handles.
    void traceFormLoaded() const;
    // Traces the command line and, when linked, registers with the host:
    // TesselhWnd = the shut-down button's handle, then an empty signal.
    void registerWithHost();

    // Writes signal into TesselSignal, sends it to the notify window and
    // returns what the host left in TesselSignal. Empty without a notify window.
    QString SendSignal(const QString &signal);
    // True when the host answers the query for sectionName with a number
    // other than 0. False without a notify window.
    bool IsConnected(const QString &sectionName);
    // The REFRESH signal, to the refresh window.
    void SignalParent();
    // Tells the host that the program is closing, removes the endpoints and
    // reports ended(); once only.
    void shutDown();

signals:
    // The host pressed the hidden shut-down button.
    void shutdownButtonPressed();
    // The host has been told that the program closes: the program must end
    // at once. The application connects this before any window loads, since
    // the host may close the program while the main window is still loading.
    void ended();

private:
    void writeHostKey(const QString &key, const QString &value) const;

    HostCommandLine m_commandLine;
    std::unique_ptr<MessageEndpoint> m_window;
    std::unique_ptr<MessageEndpoint> m_shutdownButton;
    bool m_shuttingDown = false;
};

} // namespace tessel
