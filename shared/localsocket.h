#pragma once
// Unix-domain stream sockets on plain file descriptors, for the runner's control socket. Qt's
// own local sockets live in Qt Network, which would then stay mapped in the resident runner all
// day for a line or two a day.
#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

namespace corvane {

// A socket's file descriptor, closed with the object.
class SocketHandle {
public:
    SocketHandle() = default;
    explicit SocketHandle(int fd) : m_fd(fd) {}
    SocketHandle(SocketHandle&& other) noexcept : m_fd(other.release()) {}
    SocketHandle& operator=(SocketHandle&& other) noexcept;
    SocketHandle(const SocketHandle&) = delete;
    SocketHandle& operator=(const SocketHandle&) = delete;
    ~SocketHandle() { reset(); }

    int fd() const { return m_fd; }
    bool isValid() const { return m_fd >= 0; }
    int release();
    void reset();

private:
    int m_fd = -1;
};

// A connection to the socket at `path` (non-blocking); invalid when nobody listens there (no
// file, a file left by a process that died, a path too long for a socket address) or the
// listener's queue has no room for it before the deadline.
SocketHandle connectLocalSocket(const QString& path, QDeadlineTimer deadline);

// Writes all of `data`, waiting for room until the deadline. False when the peer went away or
// the deadline passed.
bool sendAll(int fd, const QByteArray& data, QDeadlineTimer deadline);

// Reads up to and including the first newline, at most `limit` bytes: less when the peer closed
// or the deadline passed first.
QByteArray receiveLine(int fd, qsizetype limit, QDeadlineTimer deadline);

// A non-blocking socket listening at `path`, reachable by the user only (mode 0600). Invalid,
// with the reason, when it cannot be made; an existing file at `path` is not replaced.
SocketHandle listenLocalSocket(const QString& path, QString* error);

// True when the peer of a connected socket runs as the same user as this process.
bool peerIsSameUser(int fd);

} // namespace corvane
