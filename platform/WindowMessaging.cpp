#include "platform/WindowMessaging.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QSocketNotifier>
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

Q_LOGGING_CATEGORY(lcMessaging, "tessel.messaging", QtInfoMsg)

namespace tessel {
namespace {

constexpr size_t MessageSize = 12;
constexpr size_t ResultSize = 4;
// A sender writes its message right after connecting; one that has not done
// so within this time is dropped rather than allowed to hold up the receiver.
constexpr std::chrono::milliseconds IncomingMessageTimeout{1'000};
// How long a sender lets a receiver with a full connection queue catch up.
constexpr std::chrono::milliseconds ConnectRetryInterval{10};
constexpr int ListenBacklog = 16;
constexpr int OpenAttempts = 64;
constexpr mode_t PrivateDirectoryMode = 0700;

// Closes the socket it holds when it goes out of scope.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    bool isValid() const { return m_fd >= 0; }
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

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

WindowMessage decodeMessage(const std::array<char, MessageSize> &bytes)
{
    return {qFromLittleEndian<qint32>(bytes.data()), qFromLittleEndian<qint32>(bytes.data() + 4),
            qFromLittleEndian<qint32>(bytes.data() + 8)};
}

bool sendAll(int fd, const char *data, size_t size)
{
    // MSG_NOSIGNAL: a peer that has gone away must not kill this program.
    return ::send(fd, data, size, MSG_NOSIGNAL) == ssize_t(size);
}

} // namespace

// The endpoints this program has open. A program waiting inside SendMessage
// serves them, so that two programs sending to each other cannot deadlock.
class OpenEndpoints
{
public:
    static void add(MessageEndpoint *endpoint) { endpoints().push_back(endpoint); }
    static void remove(MessageEndpoint *endpoint) { std::erase(endpoints(), endpoint); }

    static void appendPollRequests(std::vector<pollfd> &requests)
    {
        for (const MessageEndpoint *endpoint : endpoints())
            requests.push_back({endpoint->m_listener, POLLIN, 0});
    }

    // Serves each endpoint whose socket poll reported readable. A handler may
    // open or close endpoints, so each one is looked up again before use.
    static void serveReady(const std::vector<pollfd> &polled, size_t first)
    {
        for (size_t i = first; i < polled.size(); ++i) {
            if ((polled[i].revents & POLLIN) == 0)
                continue;
            const auto &open = endpoints();
            const auto found = std::find_if(open.begin(), open.end(), [&](const MessageEndpoint *e) {
                return e->m_listener == polled[i].fd;
            });
            if (found != open.end())
                (*found)->serveWaitingMessages();
        }
    }

private:
    static std::vector<MessageEndpoint *> &endpoints()
    {
        static std::vector<MessageEndpoint *> open;
        return open;
    }
};

namespace {

enum class WaitResult { Ready, TimedOut, Failed };

// Waits until fd has something to read (or has closed). When serveOwnEndpoints
// is set, messages arriving at this program's endpoints meanwhile are handled.
// A negative fd just serves the endpoints until the deadline.
WaitResult waitReadable(int fd, const QDeadlineTimer &deadline, bool serveOwnEndpoints)
{
    for (;;) {
        std::vector<pollfd> requests{{fd, POLLIN, 0}};
        if (serveOwnEndpoints)
            OpenEndpoints::appendPollRequests(requests);
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
        if (serveOwnEndpoints)
            OpenEndpoints::serveReady(requests, 1);
        if (requests[0].revents != 0)
            return WaitResult::Ready;
    }
}

bool receiveExactly(int fd, char *data, size_t size, const QDeadlineTimer &deadline,
                    bool serveOwnEndpoints)
{
    size_t received = 0;
    while (received < size) {
        if (waitReadable(fd, deadline, serveOwnEndpoints) != WaitResult::Ready)
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
        waitReadable(-1, QDeadlineTimer(ConnectRetryInterval), true);
    }
    return true;
}

} // namespace

QString ResolveEndpointDirectory(const QString &runtimeDir, const QString &tempRoot,
                                 QString *errorText)
{
    if (!runtimeDir.isEmpty())
        return runtimeDir;

    const uid_t user = ::geteuid();
    const QString directory = tempRoot + QStringLiteral("/velum-") + QString::number(user);
    const QByteArray encoded = QFile::encodeName(directory);
    const auto refuse = [&](const QString &reason) {
        if (errorText)
            *errorText = QStringLiteral("The message endpoint directory %1 cannot be used: %2")
                             .arg(directory, reason);
        return QString();
    };

    if (::mkdir(encoded.constData(), PrivateDirectoryMode) != 0 && errno != EEXIST)
        return refuse(systemError());
    struct stat status{};
    if (::lstat(encoded.constData(), &status) != 0)
        return refuse(systemError());
    if (!S_ISDIR(status.st_mode))
        return refuse(QStringLiteral("it is not a directory"));
    if (status.st_uid != user)
        return refuse(QStringLiteral("it belongs to another user"));
    if ((status.st_mode & 0777) != PrivateDirectoryMode
        && ::chmod(encoded.constData(), PrivateDirectoryMode) != 0)
        return refuse(systemError());
    return directory;
}

QString EndpointDirectory(QString *errorText)
{
    return ResolveEndpointDirectory(qEnvironmentVariable("XDG_RUNTIME_DIR"), QStringLiteral("/tmp"),
                                    errorText);
}

QString EndpointPath(const QString &directory, qint32 handle)
{
    return directory + QStringLiteral("/velum-hwnd-") + QString::number(handle);
}

qint32 SendMessage(qint32 handle, qint32 message, qint32 wParam, qint32 lParam,
                   std::chrono::milliseconds timeout)
{
    if (handle <= 0)
        return 0;
    QString error;
    const QString directory = EndpointDirectory(&error);
    if (directory.isEmpty()) {
        qCWarning(lcMessaging).noquote() << error;
        return 0;
    }
    sockaddr_un address;
    if (!toSocketAddress(EndpointPath(directory, handle), address))
        return 0;

    const Descriptor connection(openStreamSocket());
    const QDeadlineTimer deadline(timeout);
    if (!connection.isValid() || !connectBefore(connection.get(), address, deadline)) {
        qCDebug(lcMessaging) << "window" << handle << "is not there";
        return 0;
    }
    const auto request = encodeMessage({message, wParam, lParam});
    std::array<char, ResultSize> reply{};
    if (!sendAll(connection.get(), request.data(), request.size())
        || !receiveExactly(connection.get(), reply.data(), reply.size(), deadline, true)) {
        if (deadline.hasExpired())
            qCWarning(lcMessaging) << "window" << handle << "did not answer message" << message
                                   << "within" << timeout.count() << "ms";
        return 0;
    }
    const qint32 result = qFromLittleEndian<qint32>(reply.data());
    qCDebug(lcMessaging) << "message" << message << "to window" << handle << "gave" << result;
    return result;
}

std::unique_ptr<MessageEndpoint> MessageEndpoint::open(Handler handler, QString *errorText)
{
    const auto fail = [errorText](const QString &reason) {
        if (errorText)
            *errorText = reason;
        return std::unique_ptr<MessageEndpoint>();
    };
    QString error;
    const QString directory = EndpointDirectory(&error);
    if (directory.isEmpty())
        return fail(error);

    // Handles are drawn at random from the whole positive range; binding the
    // socket is what reserves one, so a number in use is simply skipped.
    for (int attempt = 0; attempt < OpenAttempts; ++attempt) {
        const qint32 handle =
            QRandomGenerator::global()->bounded(1, std::numeric_limits<qint32>::max());
        const QString path = EndpointPath(directory, handle);
        sockaddr_un address;
        if (!toSocketAddress(path, address))
            return fail(QStringLiteral("The endpoint path %1 is too long for a socket.").arg(path));
        Descriptor listener(openStreamSocket());
        if (!listener.isValid())
            return fail(systemError());
        if (::bind(listener.get(), asSocketAddress(address), sizeof address) != 0) {
            if (errno == EADDRINUSE)
                continue;
            return fail(QStringLiteral("Cannot create %1: %2").arg(path, systemError()));
        }
        if (::listen(listener.get(), ListenBacklog) != 0) {
            const QString reason = systemError();
            ::unlink(address.sun_path);
            return fail(QStringLiteral("Cannot listen on %1: %2").arg(path, reason));
        }
        return std::unique_ptr<MessageEndpoint>(
            new MessageEndpoint(listener.release(), handle, path, std::move(handler)));
    }
    return fail(QStringLiteral("No free message endpoint handle was found in %1.").arg(directory));
}

MessageEndpoint::MessageEndpoint(int listener, qint32 handle, QString path, Handler handler)
    : m_listener(listener)
    , m_handle(handle)
    , m_path(std::move(path))
    , m_handler(std::move(handler))
    , m_notifier(new QSocketNotifier(listener, QSocketNotifier::Read))
{
    QObject::connect(m_notifier, &QSocketNotifier::activated, m_notifier,
                     [this] { serveWaitingMessages(); });
    OpenEndpoints::add(this);
}

MessageEndpoint::~MessageEndpoint()
{
    OpenEndpoints::remove(this);
    // The endpoint may be destroyed by its own handler, while its notifier is
    // still delivering: the notifier goes later, silenced now.
    m_notifier->setEnabled(false);
    m_notifier->deleteLater();
    ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_listener);
}

void MessageEndpoint::serveWaitingMessages()
{
    // One message per call: the handler may destroy this endpoint, and a
    // further waiting sender keeps the socket readable for the next round.
    const Descriptor connection(
        ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (!connection.isValid())
        return;
    std::array<char, MessageSize> request{};
    if (!receiveExactly(connection.get(), request.data(), request.size(),
                        QDeadlineTimer(IncomingMessageTimeout), false))
        return;
    const Handler handler = m_handler;
    const qint32 result = handler(decodeMessage(request));
    std::array<char, ResultSize> reply{};
    qToLittleEndian<qint32>(result, reply.data());
    sendAll(connection.get(), reply.data(), reply.size());
}

} // namespace tessel
