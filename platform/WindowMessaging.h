#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include <QString>
#include <QtGlobal>

class QSocketNotifier;

// Window handles and synchronous window messages between the programs of one
// user. A handle is a positive 32-bit number naming a message endpoint: the
// Unix-domain stream socket "velum-hwnd-N" (N the handle in decimal) in the
// endpoint directory. Sending a message connects to the socket, writes the
// message as three little-endian signed 32-bit numbers (message, wParam,
// lParam) and waits for the receiver's little-endian 32-bit result.
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

// The directory that holds the endpoints: runtimeDir when it is not empty,
// otherwise "velum-UID" under tempRoot, created with mode 0700. An existing
// "velum-UID" must be a real directory of the user who runs the program; one
// that belongs to somebody else is refused. Gives an empty text and sets
// errorText when no usable directory exists.
QString ResolveEndpointDirectory(const QString &runtimeDir, const QString &tempRoot,
                                 QString *errorText);

// The endpoint directory of this program: $XDG_RUNTIME_DIR, else /tmp/velum-UID.
QString EndpointDirectory(QString *errorText = nullptr);

// The socket path of handle in directory.
QString EndpointPath(const QString &directory, qint32 handle);

// Sends a message to the endpoint of handle and returns the receiver's result
// once the receiver has handled it. Gives 0 at once for a handle of 0 or
// below, a missing endpoint or a refused connection, and 0 after timeout when
// the receiver does not answer. While it waits, messages sent to this
// program's own endpoints are handled (as a window thread handles sent
// messages inside SendMessage); no other event is processed meanwhile.
qint32 SendMessage(qint32 handle, qint32 message, qint32 wParam, qint32 lParam,
                   std::chrono::milliseconds timeout = SendMessageTimeout);

// A receiving endpoint under a handle of its own. Its handler runs on the
// thread that opened it (the user-interface thread), from the event loop or
// from inside a SendMessage of this program, and returns the message result.
// The socket is removed when the endpoint is destroyed.
class MessageEndpoint final
{
public:
    using Handler = std::function<qint32(const WindowMessage &)>;

    // Opens an endpoint under a new handle that no running endpoint uses.
    // Gives null and sets errorText when that is not possible.
    static std::unique_ptr<MessageEndpoint> open(Handler handler, QString *errorText = nullptr);

    ~MessageEndpoint();
    MessageEndpoint(const MessageEndpoint &) = delete;
    MessageEndpoint &operator=(const MessageEndpoint &) = delete;

    qint32 handle() const { return m_handle; }

private:
    friend class OpenEndpoints;

    MessageEndpoint(int listener, qint32 handle, QString path, Handler handler);
    // Accepts the messages waiting on the socket and handles each of them.
    void serveWaitingMessages();

    int m_listener;
    qint32 m_handle;
    QString m_path;
    Handler m_handler;
    QSocketNotifier *m_notifier;
};

} // namespace tessel
