#pragma once

#include <array>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>

#include <QString>
#include <QtGlobal>

#include "platform/FileDescriptor.h"
#include "platform/Result.h"

class QSocketNotifier;
class QTimer;

// Window handles and synchronous window messages between the programs of one
// user. A handle is a positive 32-bit number naming a message endpoint: the
// Unix-domain stream socket "velum-hwnd-N" (N the handle in decimal) in the
// endpoint directory. Sending a message connects to the socket, writes the
// message as three little-endian signed 32-bit numbers (message, wParam,
// lParam) and waits for the receiver's little-endian 32-bit result. The
// endpoint directory is RuntimeDirectory() (platform/AppPaths.h); only the
// user who runs the program can reach its sockets.
namespace tessel {

// A left mouse-button press: the one message the host link exchanges.
inline constexpr qint32 WM_LBUTTONDOWN = 513;

// How long a sender waits for a receiver that accepted a message to answer.
inline constexpr std::chrono::milliseconds SendMessageTimeout{10'000};

struct WindowMessage
{
    qint32 message = 0;
    qint32 wParam = 0;
    qint32 lParam = 0;
};

// The socket path of handle in directory.
QString EndpointPath(const QString &directory, qint32 handle);

// Sends a message to the endpoint of handle and returns the receiver's result
// once the receiver has handled it. Gives 0 at once for a handle of 0 or
// below, a missing endpoint (or anything but a socket of this user in its
// place) or a refused connection, and 0 after timeout when the receiver does
// not answer. While it waits, the program's served descriptors are served:
// messages sent to its own endpoints are handled (as a window thread handles
// sent messages inside SendMessage); no other event is processed meanwhile.
qint32 SendMessage(qint32 handle, qint32 message, qint32 wParam, qint32 lParam,
                   std::chrono::milliseconds timeout = SendMessageTimeout);

// A descriptor that the program serves from its event loop and also while it
// waits inside SendMessage: onReadable runs on the user-interface thread
// whenever fd has something to read or has closed. The object owns fd.
class ServedDescriptor final
{
public:
    ServedDescriptor(int fd, std::function<void()> onReadable);
    ~ServedDescriptor(); // stops serving fd and closes it
    ServedDescriptor(const ServedDescriptor &) = delete;
    ServedDescriptor &operator=(const ServedDescriptor &) = delete;

    int fd() const { return m_fd.get(); }
    // Stops serving fd and hands it over, open, to the caller.
    int release();

private:
    friend class ServedDescriptors;

    void stopServing();

    FileDescriptor m_fd;
    std::function<void()> m_onReadable;
    QSocketNotifier *m_notifier;
};

// Collects one incoming message from a non-blocking socket as its bytes
// arrive, in pieces of any size. It never reads past the message's bytes.
class MessageReader final
{
public:
    enum class State {
        Incomplete,
        Complete,
        Failed
    };

    // Reads what has arrived on fd. Failed when the sender closed the
    // connection (or it broke) before the whole message was there.
    State readFrom(int fd);
    // The message, once readFrom gave Complete.
    WindowMessage message() const;
    // Whether any byte of the message has arrived.
    bool hasStarted() const { return m_received > 0; }

private:
    static constexpr size_t MessageSize = 12;
    std::array<char, MessageSize> m_bytes{};
    size_t m_received = 0;
};

// A receiving endpoint under a handle of its own. Its handler runs on the
// thread that opened it (the user-interface thread), from the event loop or
// from inside a SendMessage of this program, and returns the message result.
// Connections are read as their bytes arrive, each within its own second, so
// a sender that stays silent never holds up another. A flood of connections
// loses no message that has arrived: before one is dropped to make room, all
// are read and those complete are answered, and idle ones go first. The
// socket is removed when the endpoint is destroyed.
class MessageEndpoint final
{
public:
    using Handler = std::function<qint32(const WindowMessage &)>;

    // How long a sender may take to deliver its message after connecting.
    static constexpr std::chrono::milliseconds IncomingMessageTimeout{1'000};
    // How many connections may be delivering at once; beyond it the oldest
    // idle one is dropped, since a proper sender delivers right after
    // connecting.
    static constexpr size_t MaxIncomingConnections = 32;

    // Opens an endpoint under a new handle that no running endpoint uses, or
    // says why that is not possible.
    static Result<std::unique_ptr<MessageEndpoint>> open(Handler handler);

    ~MessageEndpoint();
    MessageEndpoint(const MessageEndpoint &) = delete;
    MessageEndpoint &operator=(const MessageEndpoint &) = delete;

    qint32 handle() const { return m_handle; }

private:
    struct Incoming;

    MessageEndpoint(int listener, qint32 handle, QString path, Handler handler);
    void acceptWaiting();
    void readFrom(int connection);
    bool makeRoom();
    void dropExpired();
    void scheduleExpiry();

    std::unique_ptr<ServedDescriptor> m_listener;
    qint32 m_handle;
    QString m_path;
    Handler m_handler;
    std::deque<std::unique_ptr<Incoming>> m_incoming; // oldest first
    std::unique_ptr<QTimer> m_expiry;
    // Expires with the endpoint, which a handler may destroy.
    std::shared_ptr<const bool> m_lifetime = std::make_shared<const bool>(true);
};

} // namespace tessel
