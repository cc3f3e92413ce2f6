#include "localsocket.h"

#include <QFile>

#include <algorithm>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace corvane {

SocketHandle& SocketHandle::operator=(SocketHandle&& other) noexcept
{
    if (this != &other) {
        reset();
        m_fd = other.release();
    }
    return *this;
}

int SocketHandle::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

void SocketHandle::reset()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

namespace {

// False when the path does not fit a socket address.
bool socketAddress(const QString& path, sockaddr_un* address)
{
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty() || name.size() >= qsizetype(sizeof address->sun_path))
        return false;
    *address = {};
    address->sun_family = AF_UNIX;
    std::memcpy(address->sun_path, name.constData(), size_t(name.size()));
    return true;
}

// Waits until `fd` is ready for `events` or the deadline passes.
bool waitFor(int fd, short events, QDeadlineTimer deadline)
{
    for (;;) {
        pollfd entry{fd, events, 0};
        const qint64 left = deadline.remainingTime();
        const int ready = ::poll(&entry, 1, left < 0 ? -1 : int(std::min<qint64>(left, 1 << 30)));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// SO_SNDTIMEO for what is left of the deadline; zero would mean no limit at all.
timeval sendTimeout(QDeadlineTimer deadline)
{
    if (deadline.isForever())
        return {};
    const qint64 left = std::max<qint64>(deadline.remainingTime(), 1);
    return {time_t(left / 1000), suseconds_t(left % 1000 * 1000)};
}

} // namespace

SocketHandle connectLocalSocket(const QString& path, QDeadlineTimer deadline)
{
    sockaddr_un address;
    if (!socketAddress(path, &address))
        return {};
    // Blocking while connecting: when the listener's queue is full, a non-blocking connect
    // fails at once (EAGAIN) and leaves the socket unconnected, while a blocking one waits for
    // room, up to the send timeout.
    SocketHandle socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket.isValid())
        return {};
    for (;;) {
        const timeval wait = sendTimeout(deadline);
        if (::setsockopt(socket.fd(), SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait) != 0)
            return {};
        if (::connect(socket.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            break;
        if (errno != EINTR)
            return {}; // nobody listens, or no room before the deadline
    }
    // A fresh socket has no other status flag to keep.
    if (::fcntl(socket.fd(), F_SETFL, O_NONBLOCK) != 0)
        return {};
    return socket;
}

bool sendAll(int fd, const QByteArray& data, QDeadlineTimer deadline)
{
    qsizetype sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.constData() + sent, size_t(data.size() - sent), MSG_NOSIGNAL);
        if (n > 0) {
            sent += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN && waitFor(fd, POLLOUT, deadline))
            continue;
        return false;
    }
    return true;
}

QByteArray receiveLine(int fd, qsizetype limit, QDeadlineTimer deadline)
{
    QByteArray line;
    char byte = 0;
    // One byte at a time: nothing past the newline is taken from the socket.
    while (line.size() < limit && !line.endsWith('\n')) {
        const ssize_t n = ::recv(fd, &byte, 1, 0);
        if (n == 1) {
            line.append(byte);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN && waitFor(fd, POLLIN, deadline))
            continue;
        break; // closed by the peer, failed, or out of time
    }
    return line;
}

SocketHandle listenLocalSocket(const QString& path, QString* error)
{
    const auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        return SocketHandle();
    };
    sockaddr_un address;
    if (!socketAddress(path, &address))
        return fail(QStringLiteral("名前が長すぎるため、接続口を作れません"));
    SocketHandle socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!socket.isValid())
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    // The socket file is made without group or other bits from the start; the folder is
    // private as well, and each connection's user is checked besides.
    const mode_t previous = ::umask(0177);
    const int bound = ::bind(socket.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const int bindError = errno;
    ::umask(previous);
    if (bound != 0)
        return fail(QString::fromLocal8Bit(std::strerror(bindError)));
    if (::listen(socket.fd(), 8) != 0) {
        const int listenError = errno;
        ::unlink(address.sun_path);
        return fail(QString::fromLocal8Bit(std::strerror(listenError)));
    }
    return socket;
}

bool peerIsSameUser(int fd)
{
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return false;
    return credentials.uid == ::getuid();
}

} // namespace corvane
