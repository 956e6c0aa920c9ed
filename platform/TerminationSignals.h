#pragma once

#include <memory>

#include <QObject>

#include <csignal>

namespace tessel {

class ServedDescriptor;

// Turns SIGTERM, SIGHUP and SIGINT (a logout, a service manager, Ctrl+C) into
// the received() signal on the user-interface thread, from the event loop or
// from inside a SendMessage wait. The signal handler itself only writes the
// signal number into a socket pair. One object at a time; it puts back the
// previous handling of the three signals when destroyed.
class TerminationSignals final : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received(int signalNumber);

private:
    void readPending();

    std::unique_ptr<ServedDescriptor> m_reader;
    struct sigaction m_previous[3];
};

} // namespace tessel
