#include "calendarfetch.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <algorithm>

namespace corvane {

namespace {

QString fetchFailure(const QString& detail)
{
    return QStringLiteral("経済指標カレンダーを取得できませんでした（%1）").arg(detail);
}

QString networkErrorDetail(QNetworkReply::NetworkError error, const QUrl& url)
{
    const QString host = url.host();
    switch (error) {
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("サーバー %1 が見つかりません").arg(host);
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("サーバー %1 に接続できません").arg(host);
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return QStringLiteral("サーバー %1 との通信が途中で切れました").arg(host);
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("サーバー %1 の証明書を確認できません").arg(host);
    case QNetworkReply::TooManyRedirectsError:
        return QStringLiteral("転送が多すぎます");
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("暗号化されていないアドレスへの転送は受け付けません");
    case QNetworkReply::ProtocolUnknownError:
    case QNetworkReply::ProtocolInvalidOperationError:
        return QStringLiteral("http と https 以外のアドレスへの転送は受け付けません");
    case QNetworkReply::UnknownContentError:
        // Also what the network layer reports for a compressed reply that unpacks to far more
        // than it weighs.
        return QStringLiteral("応答が大きすぎるか、展開できません");
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
        return QStringLiteral("プロキシに接続できません");
    default:
        return QStringLiteral("通信エラー %1").arg(int(error));
    }
}

QString tooLarge(qint64 maxBytes)
{
    return fetchFailure(QStringLiteral("ページが大きすぎます（%1バイトを超えています）").arg(maxBytes));
}

// A reply packed although only the plain body was asked for: its text cannot be read.
QString refusedEncoding(const QNetworkReply* reply)
{
    const QByteArray encoding = reply->rawHeader("Content-Encoding").trimmed().toLower();
    if (encoding.isEmpty() || encoding == "identity")
        return {};
    return fetchFailure(QStringLiteral("応答を展開できません（頼んでいない圧縮形式 %1 で送られました）")
                            .arg(QString::fromLatin1(encoding)));
}

} // namespace

std::optional<QUrl> calendarUrl(const QString& address, QString* reason)
{
    const QString text = address.trimmed();
    if (text.isEmpty()) {
        *reason = QStringLiteral("経済指標カレンダーのURLが設定されていません");
        return std::nullopt;
    }
    // A bare host and path means the secure scheme; plain http only when written out.
    const bool hasScheme = text.contains(QStringLiteral("://"));
    const QUrl url(hasScheme ? text : QStringLiteral("https://") + text);
    const QString scheme = url.scheme().toLower();
    if (scheme != u"https" && scheme != u"http") {
        *reason =
            QStringLiteral("経済指標カレンダーのURL「%1」は http または https のアドレスではありません").arg(text);
        return std::nullopt;
    }
    if (!url.isValid() || url.host().isEmpty()) {
        *reason = QStringLiteral("経済指標カレンダーのURL「%1」はアドレスとして読めません").arg(text);
        return std::nullopt;
    }
    return url;
}

CalendarFetch::CalendarFetch(QObject* parent) : QObject(parent), m_network(new QNetworkAccessManager(this))
{
    // Never from https down to http, and never to another scheme.
    m_network->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CalendarFetch::onTimeout);
}

CalendarFetch::~CalendarFetch()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

void CalendarFetch::start(const QString& address, const FetchLimits& limits)
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    m_limits = limits;
    m_page = {};
    m_abortReason.clear();
    m_peakBytesHeld = 0;

    QString reason;
    const std::optional<QUrl> url = calendarUrl(address, &reason);
    if (!url) {
        QTimer::singleShot(0, this, [this, reason] { emit finished(false, reason); });
        return;
    }
    QNetworkRequest request(*url);
    request.setMaximumRedirectsAllowed(m_limits.maxRedirects);
    // The body as sent, never unpacked by the network layer: a small compressed reply can
    // unpack to gigabytes, and unpacking behind a bounded read buffer stalls until the time
    // limit. The cap then counts the bytes that are really held.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("corvane/0.1"));
    m_reply = m_network->get(request);
    m_reply->setReadBufferSize(m_limits.readBufferBytes);
    connect(m_reply, &QNetworkReply::readyRead, this, &CalendarFetch::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &CalendarFetch::onFinished);
    m_timer.start(m_limits.timeoutMs);
}

void CalendarFetch::onReadyRead()
{
    if (!m_reply || !m_abortReason.isEmpty())
        return;
    const QVariant announced = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (announced.isValid() && announced.toLongLong() > m_limits.maxBytes) {
        fail(tooLarge(m_limits.maxBytes));
        return;
    }
    if (const QString why = refusedEncoding(m_reply); !why.isEmpty()) {
        fail(why);
        return;
    }
    if (!takeAvailable())
        fail(tooLarge(m_limits.maxBytes));
}

bool CalendarFetch::takeAvailable()
{
    m_peakBytesHeld = std::max(m_peakBytesHeld, m_page.body.size() + m_reply->bytesAvailable());
    // Never more than one byte past the cap: that byte proves the page is too large.
    m_page.body += m_reply->read(std::max<qint64>(0, m_limits.maxBytes + 1 - m_page.body.size()));
    return m_page.body.size() <= m_limits.maxBytes;
}

void CalendarFetch::onTimeout()
{
    if (m_reply)
        fail(fetchFailure(QStringLiteral("%1秒以内に受信が終わりませんでした").arg(m_limits.timeoutMs / 1000.0)));
}

void CalendarFetch::fail(const QString& reason)
{
    m_abortReason = reason;
    m_page.body.clear();
    m_reply->abort(); // finished() follows synchronously and reports m_abortReason
}

void CalendarFetch::onFinished()
{
    if (!m_reply)
        return;
    QNetworkReply* reply = m_reply;
    if (!m_abortReason.isEmpty()) {
        finishWith(false, m_abortReason);
        return;
    }
    if (const QString why = refusedEncoding(reply); !why.isEmpty()) {
        m_page.body.clear();
        finishWith(false, why);
        return;
    }
    if (!takeAvailable()) {
        m_page.body.clear();
        finishWith(false, tooLarge(m_limits.maxBytes));
        return;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError) {
        const QString detail = status >= 400 ? QStringLiteral("サーバーの応答 HTTP %1").arg(status)
                                             : networkErrorDetail(reply->error(), reply->url());
        m_page.body.clear();
        finishWith(false, fetchFailure(detail));
        return;
    }
    if (status < 200 || status > 299) {
        m_page.body.clear();
        finishWith(false, fetchFailure(QStringLiteral("サーバーの応答 HTTP %1").arg(status)));
        return;
    }
    m_page.contentType = reply->rawHeader("Content-Type");
    m_page.finalUrl = reply->url();
    finishWith(true, {});
}

void CalendarFetch::finishWith(bool ok, const QString& reason)
{
    m_timer.stop();
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    emit finished(ok, reason);
}

} // namespace corvane
