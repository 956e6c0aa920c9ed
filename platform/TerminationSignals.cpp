#include "platform/TerminationSignals.h"

#include <QLoggingCategory>

#include <cerrno>
#include <csignal>
#include <iterator>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/SystemError.h"
#include "platform/WindowMessaging.h"

namespace tessel {

namespace {
// tessel.signals: termination signals; warnings and worse unless QT_LOGGING_RULES enables more.
Q_LOGGING_CATEGORY(lcSignals, "tessel.signals", QtWarningMsg)
} // namespace
namespace {

constexpr int HandledSignals[] = {SIGTERM, SIGHUP, SIGINT};

volatile sig_atomic_t writeEnd = -1;
volatile sig_atomic_t terminationRequested = 0;
int readEnd = -1;
struct sigaction previousHandling[std::size(HandledSignals)];

void onSignal(int signalNumber)
{
    const int savedErrno = errno;
    terminationRequested = 1;
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

bool SignalsCaught()
{
    return readEnd >= 0;
}

void ReleaseTerminationSignals()
{
    for (size_t i = 0; i < std::size(HandledSignals); ++i)
        ::sigaction(HandledSignals[i], &previousHandling[i], nullptr);
    ::close(writeEnd);
    ::close(readEnd);
    writeEnd = readEnd = -1;
}

} // namespace

void CatchTerminationSignals()
{
    if (SignalsCaught())
        return;
    int ends[2] = {-1, -1};
    // Non-blocking both ways: the handler never waits, and a burst of signals
    // that fills the pair loses only repeats.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0) {
        qCWarning(lcSignals, "Termination signals end Tessel at once: no socket pair for them (%s)",
                  qUtf8Printable(SystemErrorText()));
        return;
    }
    readEnd = ends[0];
    writeEnd = ends[1];
    terminationRequested = 0;

    struct sigaction action
    { };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(HandledSignals); ++i)
        ::sigaction(HandledSignals[i], &action, &previousHandling[i]);
}

bool TerminationRequested()
{
    return terminationRequested != 0;
}

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
    , m_caughtSignals(!SignalsCaught())
{
    CatchTerminationSignals();
    if (SignalsCaught())
        m_reader = std::make_unique<ServedDescriptor>(::fcntl(readEnd, F_DUPFD_CLOEXEC, 0),
                                                      [this] { readPending(); });
}

TerminationSignals::~TerminationSignals()
{
    m_reader.reset();
    if (m_caughtSignals && SignalsCaught())
        ReleaseTerminationSignals();
}

void TerminationSignals::readPending()
{
    // Signals that came in a burst ask for one and the same thing.
    char bytes[16];
    const ssize_t count = ::read(m_reader->fd(), bytes, sizeof bytes);
    if (count > 0)
        emit received(bytes[0]);
}

} // namespace tessel
