#pragma once

#include <memory>

#include <QObject>

namespace tessel {

class ServedDescriptor;

// Catches SIGTERM, SIGHUP and SIGINT (a logout, a service manager, Ctrl+C)
// from now on: the handler only writes the signal number into a socket pair,
// where it waits for a TerminationSignals object to report it. Called first
// thing in main(), so that a signal that comes while the program starts
// still closes it properly instead of killing it. Calling it again does
// nothing.
void CatchTerminationSignals();

// Whether one of the three signals arrived since they were caught: a wait
// that the event loop cannot interrupt asks it to stop early.
bool TerminationRequested();

// Reports the caught signals as the received() signal on the user-interface
// thread, from the event loop or from inside a SendMessage wait, also those
// that came before it existed. One object at a time; when it was the one to
// catch the signals, it puts back their previous handling when destroyed.
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

    bool m_caughtSignals;
    std::unique_ptr<ServedDescriptor> m_reader;
};

} // namespace tessel
