#pragma once
// Fetches the economic-indicator calendar page: HTTPS with certificate verification (plain
// HTTP only when the address asks for it), a bounded number of redirects, an overall time
// limit and a cap on the body, which is asked for uncompressed and read through a small
// buffer, so that what is held stays near the cap. Failures carry a reason in Japanese for
// the user.
#include <QByteArray>
#include <QObject>
#include <QNetworkReply>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <optional>

class QNetworkAccessManager;

namespace corvane {

struct FetchLimits {
    int timeoutMs = 30'000;            // the whole transfer, redirects included
    qint64 maxBytes = 5 * 1024 * 1024; // body cap
    // What the network layer may hold for us before we read it: without a bound an endless
    // reply piles up there faster than the cap above is checked.
    qint64 readBufferBytes = 32 * 1024;
    int maxRedirects = 5;
};

struct FetchedPage {
    QByteArray body;
    QByteArray contentType; // the Content-Type header of the final response
    QUrl finalUrl;
};

// The address as typed in the settings: https is assumed when no scheme is given; only http
// and https are accepted. nullopt with a reason otherwise.
std::optional<QUrl> calendarUrl(const QString& address, QString* reason);

class CalendarFetch : public QObject {
    Q_OBJECT
public:
    explicit CalendarFetch(QObject* parent = nullptr);
    ~CalendarFetch() override;

    // Starts fetching; finished() follows exactly once (also for a bad address, then from
    // the event loop). A fetch already running is abandoned silently.
    void start(const QString& address, const FetchLimits& limits = {});
    bool isRunning() const { return m_reply != nullptr; }
    const FetchedPage& page() const { return m_page; }
    // The most bytes of the reply held at once (the body so far plus what the network layer
    // had buffered for us), since the last start.
    qint64 peakBytesHeld() const { return m_peakBytesHeld; }

signals:
    void finished(bool ok, const QString& reason);

private:
    void onReadyRead();
    // Moves what the reply holds into the body, up to one byte past the cap; false past it.
    bool takeAvailable();
    void onFinished();
    void onTimeout();
    void fail(const QString& reason);
    void finishWith(bool ok, const QString& reason);

    QNetworkAccessManager* m_network;
    QPointer<QNetworkReply> m_reply;
    QTimer m_timer;
    FetchLimits m_limits;
    FetchedPage m_page;
    QString m_abortReason;
    qint64 m_peakBytesHeld = 0;
};

} // namespace corvane
