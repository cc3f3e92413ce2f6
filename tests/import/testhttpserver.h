#pragma once
// A small HTTP/1.1 server on 127.0.0.1 inside the test process, for pages, redirects, errors,
// slow and oversized answers. It serves from the test's own event loop, so it answers while
// a blocking import waits in its local loop.
#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QTcpServer>
#include <QUrl>
#include <utility>

namespace corvane::test {

struct HttpRoute {
    HttpRoute(int status = 200, QByteArray contentType = "text/html", QByteArray body = {}, QByteArray location = {})
        : status(status), contentType(std::move(contentType)), body(std::move(body)), location(std::move(location))
    {
    }
    int status = 200;
    QByteArray contentType = "text/html";
    QByteArray body;
    QByteArray location;           // for redirects
    int chunkDelayMs = 0;          // > 0: the body trickles out in chunks with this pause
    int chunkSize = 0;             // bytes per chunk when trickling
    bool sendContentLength = true; // false: the body ends when the connection closes
    qint64 endlessBytes = 0;       // > 0: send this many bytes of filler instead of body
    bool endlessChunked = false;   // true: chunked filler that never ends (until the client leaves)
    QByteArray extraHeaders;       // further header lines, each ended by "\r\n"
};

class TestHttpServer : public QObject {
    Q_OBJECT
public:
    TestHttpServer();
    void route(const QByteArray& path, const HttpRoute& route) { m_routes.insert(path, route); }
    QUrl url(const QByteArray& path) const;
    int requestCount(const QByteArray& path) const { return m_counts.value(path); }

private:
    void onConnection();
    QTcpServer m_server;
    QHash<QByteArray, HttpRoute> m_routes;
    QHash<QByteArray, int> m_counts;
};

} // namespace corvane::test
