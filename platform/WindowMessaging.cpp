#include "platform/WindowMessaging.h"

#include <QLoggingCategory>

#include <QDeadlineTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTimer>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/AppPaths.h"
#include "platform/FileDescriptor.h"
#include "platform/SystemError.h"

namespace tessel {

namespace {
// tessel.messaging: window messages between processes; warnings and worse unless QT_LOGGING_RULES enables
// more.
Q_LOGGING_CATEGORY(lcMessaging, "tessel.messaging", QtWarningMsg)
} // namespace
namespace {

constexpr size_t MessageSize = 12;
constexpr size_t ResultSize = 4;
// How long a sender lets a receiver with a full connection queue catch up.
constexpr std::chrono::milliseconds ConnectRetryInterval{10};
constexpr int ListenBacklog = 64;
constexpr int OpenAttempts = 64;
constexpr mode_t PrivateSocketMode = 0600;

int openStreamSocket()
{
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
}

bool toSocketAddress(const QString &path, sockaddr_un &address)
{
    const QByteArray encoded = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    if (size_t(encoded.size()) >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()));
    return true;
}

const sockaddr *asSocketAddress(const sockaddr_un &address)
{
    return reinterpret_cast<const sockaddr *>(&address);
}

std::array<char, MessageSize> encodeMessage(const WindowMessage &message)
{
    std::array<char, MessageSize> bytes{};
    qToLittleEndian<qint32>(message.message, bytes.data());
    qToLittleEndian<qint32>(message.wParam, bytes.data() + 4);
    qToLittleEndian<qint32>(message.lParam, bytes.data() + 8);
    return bytes;
}

bool sendAll(int fd, const char *data, size_t size)
{
    // MSG_NOSIGNAL: a peer that has gone away must not kill this program.
    return ::send(fd, data, size, MSG_NOSIGNAL) == ssize_t(size);
}

} // namespace

// The descriptors this program serves. A program waiting inside SendMessage
// serves them too, so that two programs sending to each other cannot deadlock.
class ServedDescriptors
{
public:
    static void add(ServedDescriptor *served) { all().push_back(served); }
    static void remove(ServedDescriptor *served) { std::erase(all(), served); }

    static void appendPollRequests(std::vector<pollfd> &requests)
    {
        for (const ServedDescriptor *served : all())
            requests.push_back({served->m_fd.get(), POLLIN, 0});
    }

    // Runs the handler of the descriptor fd, if it is still served: a handler
    // may stop serving any descriptor, its own included, so each is looked up
    // afresh and its handler copied before it runs.
    static void serve(int fd)
    {
        const auto found = std::find_if(all().begin(), all().end(),
                                        [fd](const ServedDescriptor *s) { return s->m_fd.get() == fd; });
        if (found == all().end())
            return;
        const std::function<void()> onReadable = (*found)->m_onReadable;
        onReadable();
    }

    static void serveReady(const std::vector<pollfd> &polled, size_t first)
    {
        for (size_t i = first; i < polled.size(); ++i) {
            if (polled[i].revents != 0)
                serve(polled[i].fd);
        }
    }

private:
    static std::vector<ServedDescriptor *> &all()
    {
        static std::vector<ServedDescriptor *> served;
        return served;
    }
};

ServedDescriptor::ServedDescriptor(int fd, std::function<void()> onReadable)
    : m_fd(fd)
    , m_onReadable(std::move(onReadable))
    , m_notifier(new QSocketNotifier(fd, QSocketNotifier::Read))
{
    QObject::connect(m_notifier, &QSocketNotifier::activated, m_notifier,
                     [fd] { ServedDescriptors::serve(fd); });
    ServedDescriptors::add(this);
}

ServedDescriptor::~ServedDescriptor()
{
    stopServing();
}

int ServedDescriptor::release()
{
    stopServing();
    return m_fd.release();
}

void ServedDescriptor::stopServing()
{
    if (!m_notifier)
        return;
    ServedDescriptors::remove(this);
    // Its own handler may be what stops it, while the notifier is still
    // delivering: the notifier goes later, silenced now.
    m_notifier->setEnabled(false);
    m_notifier->deleteLater();
    m_notifier = nullptr;
}

namespace {

enum class WaitResult {
    Ready,
    TimedOut,
    Failed
};

// Waits until fd has something to read (or has closed), serving this
// program's descriptors (its endpoints among them) meanwhile. A negative fd
// just serves them until the deadline.
WaitResult waitReadable(int fd, const QDeadlineTimer &deadline)
{
    for (;;) {
        std::vector<pollfd> requests{{fd, POLLIN, 0}};
        ServedDescriptors::appendPollRequests(requests);
        const qint64 remaining = deadline.remainingTime();
        if (remaining == 0)
            return WaitResult::TimedOut;
        const int timeout = remaining < 0 ? -1 : int(std::min<qint64>(remaining, INT_MAX));
        const int ready = ::poll(requests.data(), requests.size(), timeout);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return WaitResult::Failed;
        }
        ServedDescriptors::serveReady(requests, 1);
        if (requests[0].revents != 0)
            return WaitResult::Ready;
    }
}

bool receiveExactly(int fd, char *data, size_t size, const QDeadlineTimer &deadline)
{
    size_t received = 0;
    while (received < size) {
        if (waitReadable(fd, deadline) != WaitResult::Ready)
            return false;
        const ssize_t count = ::recv(fd, data + received, size - received, 0);
        if (count > 0)
            received += size_t(count);
        else if (count == 0 || (errno != EAGAIN && errno != EINTR))
            return false;
    }
    return true;
}

bool connectBefore(int fd, const sockaddr_un &address, const QDeadlineTimer &deadline)
{
    while (::connect(fd, asSocketAddress(address), sizeof address) != 0) {
        if (errno == EINTR)
            continue;
        // EAGAIN: the receiver's queue of waiting connections is full.
        if (errno != EAGAIN || deadline.hasExpired())
            return false;
        waitReadable(-1, QDeadlineTimer(ConnectRetryInterval));
    }
    return true;
}

// An endpoint is a socket of this user, never a link or another kind of file
// put in its place.
bool isOwnSocket(const char *path)
{
    struct stat status
    { };
    return ::lstat(path, &status) == 0 && S_ISSOCK(status.st_mode) && status.st_uid == ::geteuid();
}

} // namespace

QString EndpointPath(const QString &directory, qint32 handle)
{
    return directory + QStringLiteral("/velum-hwnd-") + QString::number(handle);
}

qint32 SendMessage(qint32 handle, qint32 message, qint32 wParam, qint32 lParam,
                   std::chrono::milliseconds timeout)
{
    if (handle <= 0)
        return 0;
    const Result<QString> directory = RuntimeDirectory();
    if (!directory) {
        qCWarning(lcMessaging).noquote() << directory.error();
        return 0;
    }
    sockaddr_un address;
    if (!toSocketAddress(EndpointPath(*directory, handle), address) || !isOwnSocket(address.sun_path)) {
        qCDebug(lcMessaging) << "window" << handle << "is not there";
        return 0;
    }

    const FileDescriptor connection(openStreamSocket());
    const QDeadlineTimer deadline(timeout);
    if (!connection.isValid() || !connectBefore(connection.get(), address, deadline)) {
        qCDebug(lcMessaging) << "window" << handle << "is not there";
        return 0;
    }
    const auto request = encodeMessage({message, wParam, lParam});
    std::array<char, ResultSize> reply{};
    if (!sendAll(connection.get(), request.data(), request.size())
        || !receiveExactly(connection.get(), reply.data(), reply.size(), deadline)) {
        if (deadline.hasExpired())
            qCWarning(lcMessaging) << "window" << handle << "did not answer message" << message << "within"
                                   << timeout.count() << "ms";
        return 0;
    }
    const qint32 result = qFromLittleEndian<qint32>(reply.data());
    qCDebug(lcMessaging) << "message" << message << "to window" << handle << "gave" << result;
    return result;
}

MessageReader::State MessageReader::readFrom(int fd)
{
    while (m_received < MessageSize) {
        const ssize_t count = ::recv(fd, m_bytes.data() + m_received, MessageSize - m_received, 0);
        if (count > 0)
            m_received += size_t(count);
        else if (count < 0 && errno == EINTR)
            continue;
        else if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return State::Incomplete;
        else
            return State::Failed;
    }
    return State::Complete;
}

WindowMessage MessageReader::message() const
{
    return {qFromLittleEndian<qint32>(m_bytes.data()), qFromLittleEndian<qint32>(m_bytes.data() + 4),
            qFromLittleEndian<qint32>(m_bytes.data() + 8)};
}

// A connection whose message is still arriving.
struct MessageEndpoint::Incoming
{
    std::unique_ptr<ServedDescriptor> socket;
    MessageReader reader;
    QDeadlineTimer deadline{IncomingMessageTimeout};
};

Result<std::unique_ptr<MessageEndpoint>> MessageEndpoint::open(Handler handler)
{
    const Result<QString> directory = RuntimeDirectory();
    if (!directory)
        return Failure{directory.error()};

    // Handles are drawn at random from the whole positive range; binding the
    // socket is what reserves one, so a number in use is simply skipped.
    for (int attempt = 0; attempt < OpenAttempts; ++attempt) {
        const qint32 handle = QRandomGenerator::global()->bounded(1, std::numeric_limits<qint32>::max());
        const QString path = EndpointPath(*directory, handle);
        sockaddr_un address;
        if (!toSocketAddress(path, address))
            return Failure{QStringLiteral("The endpoint path %1 is too long for a socket.").arg(path)};
        FileDescriptor listener(openStreamSocket());
        if (!listener.isValid())
            return Failure{SystemErrorText()};
        if (::bind(listener.get(), asSocketAddress(address), sizeof address) != 0) {
            if (errno == EADDRINUSE)
                continue;
            return Failure{QStringLiteral("Cannot create %1: %2").arg(path, SystemErrorText())};
        }
        // The socket got its mode from the umask. Nobody can connect before
        // listen(), so making it the user's alone in between closes every gap.
        if (::chmod(address.sun_path, PrivateSocketMode) != 0
            || ::listen(listener.get(), ListenBacklog) != 0) {
            const QString reason = SystemErrorText();
            ::unlink(address.sun_path);
            return Failure{QStringLiteral("Cannot listen on %1: %2").arg(path, reason)};
        }
        return std::unique_ptr<MessageEndpoint>(
            new MessageEndpoint(listener.release(), handle, path, std::move(handler)));
    }
    return Failure{QStringLiteral("No free message endpoint handle was found in %1.").arg(*directory)};
}

MessageEndpoint::MessageEndpoint(int listener, qint32 handle, QString path, Handler handler)
    : m_listener(std::make_unique<ServedDescriptor>(listener, [this] { acceptWaiting(); }))
    , m_handle(handle)
    , m_path(std::move(path))
    , m_handler(std::move(handler))
    , m_expiry(std::make_unique<QTimer>())
{
    m_expiry->setSingleShot(true);
    QObject::connect(m_expiry.get(), &QTimer::timeout, m_expiry.get(), [this] { dropExpired(); });
}

MessageEndpoint::~MessageEndpoint()
{
    ::unlink(QFile::encodeName(m_path).constData());
}

void MessageEndpoint::acceptWaiting()
{
    for (;;) {
        const int connection = ::accept4(m_listener->fd(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (connection < 0)
            break;
        if (m_incoming.size() >= MaxIncomingConnections && !makeRoom()) {
            ::close(connection);
            return;
        }
        auto incoming = std::make_unique<Incoming>();
        incoming->socket =
            std::make_unique<ServedDescriptor>(connection, [this, connection] { readFrom(connection); });
        m_incoming.push_back(std::move(incoming));
    }
    // The expiry timer waits for the event loop; a program inside its own
    // send drops its expired connections here.
    dropExpired();
}

void MessageEndpoint::readFrom(int connection)
{
    const auto found = std::find_if(m_incoming.begin(), m_incoming.end(),
                                    [connection](const auto &i) { return i->socket->fd() == connection; });
    if (found == m_incoming.end())
        return;
    const MessageReader::State state = (*found)->reader.readFrom(connection);
    if (state == MessageReader::State::Incomplete)
        return;
    const std::unique_ptr<Incoming> incoming = std::move(*found);
    m_incoming.erase(found);
    scheduleExpiry();
    if (state == MessageReader::State::Failed)
        return;

    // The handler may send messages itself, and this endpoint may be gone
    // when it returns: the connection is taken out of service first, and
    // nothing of the endpoint is used afterwards.
    const FileDescriptor socket(incoming->socket->release());
    const Handler handler = m_handler;
    const qint32 result = handler(incoming->reader.message());
    std::array<char, ResultSize> reply{};
    qToLittleEndian<qint32>(result, reply.data());
    sendAll(socket.get(), reply.data(), reply.size());
}

// Reads every connection and answers those whose message is complete; when
// all are still delivering, drops the oldest that has sent nothing, or else
// the oldest. False when a handler destroyed the endpoint meanwhile.
bool MessageEndpoint::makeRoom()
{
    std::vector<int> connections;
    for (const auto &incoming : m_incoming)
        connections.push_back(incoming->socket->fd());
    const std::weak_ptr<const bool> alive = m_lifetime;
    for (const int connection : connections) {
        readFrom(connection);
        if (alive.expired())
            return false;
    }
    if (m_incoming.size() >= MaxIncomingConnections) {
        const auto idle = std::find_if(m_incoming.begin(), m_incoming.end(),
                                       [](const auto &i) { return !i->reader.hasStarted(); });
        m_incoming.erase(idle != m_incoming.end() ? idle : m_incoming.begin());
    }
    return true;
}

void MessageEndpoint::dropExpired()
{
    while (!m_incoming.empty() && m_incoming.front()->deadline.hasExpired())
        m_incoming.pop_front();
    scheduleExpiry();
}

void MessageEndpoint::scheduleExpiry()
{
    if (m_incoming.empty())
        m_expiry->stop();
    else
        m_expiry->start(std::chrono::milliseconds(m_incoming.front()->deadline.remainingTime() + 1));
}

} // namespace tessel
