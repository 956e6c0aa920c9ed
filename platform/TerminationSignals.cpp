#include "platform/TerminationSignals.h"

#include <QLoggingCategory>

#include <cerrno>

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

void onSignal(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    int ends[2] = {-1, -1};
    // Non-blocking both ways: the handler never waits, and a burst of signals
    // that fills the pair loses only repeats.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0) {
        qCWarning(lcSignals, "Termination signals end Tessel at once: no socket pair for them (%s)",
                  qUtf8Printable(SystemErrorText()));
        return;
    }
    m_reader = std::make_unique<ServedDescriptor>(ends[0], [this] { readPending(); });
    writeEnd = ends[1];

    struct sigaction action{};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(HandledSignals); ++i)
        ::sigaction(HandledSignals[i], &action, &m_previous[i]);
}

TerminationSignals::~TerminationSignals()
{
    if (!m_reader)
        return;
    for (size_t i = 0; i < std::size(HandledSignals); ++i)
        ::sigaction(HandledSignals[i], &m_previous[i], nullptr);
    ::close(writeEnd);
    writeEnd = -1;
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
