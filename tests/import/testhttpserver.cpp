#include "testhttpserver.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <memory>
#include <stdexcept>

namespace corvane::test {

TestHttpServer::TestHttpServer()
{
    if (!m_server.listen(QHostAddress::LocalHost, 0))
        throw std::runtime_error("cannot listen on 127.0.0.1");
    connect(&m_server, &QTcpServer::newConnection, this, &TestHttpServer::onConnection);
}

QUrl TestHttpServer::url(const QByteArray& path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(QString::fromUtf8(path)));
}

namespace {

QByteArray statusText(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

// Sends bytes in chunks with a pause between them, then closes the connection.
void trickle(QTcpSocket* socket, QByteArray data, int chunkSize, int delayMs)
{
    QPointer<QTcpSocket> guard(socket);
    auto rest = std::make_shared<QByteArray>(std::move(data));
    auto step = std::make_shared<std::function<void()>>();
    *step = [guard, rest, chunkSize, delayMs, step]() {
        if (!guard)
            return;
        guard->write(rest->left(chunkSize));
        rest->remove(0, chunkSize);
        if (rest->isEmpty()) {
            guard->disconnectFromHost();
            return;
        }
        QTimer::singleShot(delayMs, guard.data(), *step);
    };
    (*step)();
}

// Chunks of filler for as long as the client reads, keeping little in the socket's own
// buffer: the server must not be what holds the memory.
void sendEndlessChunks(QTcpSocket* socket)
{
    static const QByteArray chunk = QByteArray::number(64 * 1024, 16) + "\r\n" + QByteArray(64 * 1024, 'x') + "\r\n";
    auto refill = [socket] {
        while (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() < 4 * chunk.size())
            socket->write(chunk);
    };
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket, refill);
    refill();
}

} // namespace

void TestHttpServer::onConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        auto request = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
            request->append(socket->readAll());
            // Not HTTP (a TLS hello, say): hang up as a plain server would.
            if (!request->isEmpty() && !(request->at(0) >= 'A' && request->at(0) <= 'Z')) {
                socket->disconnectFromHost();
                return;
            }
            if (!request->contains("\r\n\r\n"))
                return;
            const QList<QByteArray> words = request->left(request->indexOf("\r\n")).split(' ');
            const QByteArray path = words.size() > 1 ? words[1] : QByteArray("/");
            request->clear();
            m_counts[path] += 1;
            const HttpRoute route = m_routes.value(path, HttpRoute{404, "text/plain", "not found"});
            QByteArray body = route.body;
            if (route.endlessBytes > 0)
                body = QByteArray(route.endlessBytes, 'x');
            QByteArray head = "HTTP/1.1 " + QByteArray::number(route.status) + ' ' + statusText(route.status)
                              + "\r\nContent-Type: " + route.contentType + "\r\nConnection: close\r\n";
            if (!route.location.isEmpty())
                head += "Location: " + route.location + "\r\n";
            head += route.extraHeaders;
            if (route.endlessChunked) {
                socket->write(head + "Transfer-Encoding: chunked\r\n\r\n");
                sendEndlessChunks(socket);
                return;
            }
            if (route.sendContentLength)
                head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
            head += "\r\n";
            if (route.chunkDelayMs > 0) {
                socket->write(head);
                trickle(socket, body, std::max(1, route.chunkSize), route.chunkDelayMs);
            } else {
                socket->write(head + body);
                socket->disconnectFromHost();
            }
        });
    }
}

} // namespace corvane::test
