#include "Platform/HttpsDownload.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace velto::platform {

namespace {

constexpr int kMaxRedirects = 5;

QString secondsText(std::chrono::milliseconds duration) {
    return QString::number(static_cast<double>(duration.count()) / 1000.0, 'g', 3);
}

} // namespace

HttpsDownload::HttpsDownload(QNetworkAccessManager& manager, const QUrl& url,
                             const Options& options, Limits limits, Completion completion,
                             QObject* parent)
    : QObject(parent), m_url(url), m_limits(limits), m_completion(std::move(completion)) {
    QNetworkRequest request(url);
    QSslConfiguration verified = options.tls;
    verified.setPeerVerifyMode(QSslSocket::VerifyPeer);
    request.setSslConfiguration(verified);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    if (!options.accept.isEmpty())
        request.setRawHeader("Accept", options.accept);

    m_deadline.setSingleShot(true);
    // A coarse timer may fire up to 5% early: a deadline is never reported before it passed.
    m_deadline.setTimerType(Qt::PreciseTimer);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        abandon(QStringLiteral("%1 did not answer within %2 seconds.")
                    .arg(m_url.host(), secondsText(m_limits.timeout)));
    });
    m_deadline.start(m_limits.timeout);

    m_reply = manager.get(request);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &HttpsDownload::checkAnnouncedLength);
    connect(m_reply, &QNetworkReply::readyRead, this, &HttpsDownload::readBody);
    connect(m_reply, &QNetworkReply::finished, this, &HttpsDownload::replyFinished);
}

HttpsDownload::~HttpsDownload() {
    m_done = true;
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        delete m_reply;
    }
}

void HttpsDownload::checkAnnouncedLength() {
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > m_limits.maxBytes)
        abandon(QStringLiteral("The answer from %1 is larger than %2 bytes.")
                    .arg(m_url.host())
                    .arg(m_limits.maxBytes));
}

void HttpsDownload::readBody() {
    if (m_done)
        return;
    // Read no more than one byte past the cap: enough to know it was exceeded.
    m_body += m_reply->read(m_limits.maxBytes + 1 - m_body.size());
    if (m_body.size() > m_limits.maxBytes)
        abandon(QStringLiteral("The answer from %1 is larger than %2 bytes.")
                    .arg(m_url.host())
                    .arg(m_limits.maxBytes));
}

void HttpsDownload::replyFinished() {
    if (m_done)
        return;
    readBody();
    if (m_done)
        return;
    if (m_reply->error() == QNetworkReply::InsecureRedirectError) {
        complete(Result<QByteArray>::failure(
            QStringLiteral("%1 redirected to an insecure address.").arg(m_url.host())));
        return;
    }
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && status.toInt() != 200) {
        QString answer = QString::number(status.toInt());
        const QString reason = m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute)
                                   .toString()
                                   .trimmed()
                                   .left(80);
        if (!reason.isEmpty())
            answer += QLatin1Char(' ') + reason;
        complete(Result<QByteArray>::failure(
            QStringLiteral("The server at %1 answered %2.").arg(m_url.host(), answer)));
        return;
    }
    switch (m_reply->error()) {
    case QNetworkReply::NoError:
        complete(std::move(m_body));
        return;
    case QNetworkReply::SslHandshakeFailedError:
        complete(
            Result<QByteArray>::failure(QStringLiteral("The secure connection to %1 failed: %2")
                                            .arg(m_url.host(), m_reply->errorString())));
        return;
    default:
        complete(Result<QByteArray>::failure(
            QStringLiteral("Could not fetch %1: %2")
                .arg(m_url.toDisplayString(QUrl::RemoveUserInfo | QUrl::RemoveQuery),
                     m_reply->errorString())));
        return;
    }
}

void HttpsDownload::abandon(const QString& reason) {
    if (m_done)
        return;
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
    complete(Result<QByteArray>::failure(reason));
}

void HttpsDownload::complete(Result<QByteArray> result) {
    if (m_done)
        return;
    m_done = true;
    m_deadline.stop();
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    // Delivered on the next turn, so that the owner never hears back from
    // inside a network signal or from inside its own call.
    QMetaObject::invokeMethod(
        this,
        [this, result = std::move(result)]() mutable {
            if (Completion completion = std::exchange(m_completion, nullptr))
                completion(std::move(result));
        },
        Qt::QueuedConnection);
}

} // namespace velto::platform
