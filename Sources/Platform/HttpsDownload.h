#pragma once

#include "Platform/Result.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

namespace velto::platform {

/**
 * One HTTPS GET, bounded in time and size: what the download helper runs. The completion
 * runs exactly once, on the main thread, always on a later turn of the loop
 * than the call that made the download: with the body of a 200 answer, or a
 * failure saying what went wrong (the deadline passed, the body grew past the
 * cap, another status, a TLS or network error). Destroying the download first
 * aborts the request and drops the completion.
 *
 * Certificates are always verified: whatever @p tls says, the peer must present
 * a chain that the CA certificates of @p options trust, for the host in @p url. Redirects
 * are followed only where they are no less safe (never from https to http).
 */
class HttpsDownload final : public QObject {
    Q_OBJECT
public:
    struct Limits {
        /// From the request to the last byte: name lookup, connect, handshake and transfer
        /// together.
        std::chrono::milliseconds timeout;
        qint64 maxBytes;
    };
    struct Options {
        QSslConfiguration tls;
        /// The Accept header; empty sends none.
        QByteArray accept;
    };
    using Completion = std::function<void(Result<QByteArray>)>;

    HttpsDownload(QNetworkAccessManager& manager, const QUrl& url, const Options& options,
                  Limits limits, Completion completion, QObject* parent = nullptr);
    ~HttpsDownload() override;

    HttpsDownload(const HttpsDownload&) = delete;
    HttpsDownload& operator=(const HttpsDownload&) = delete;

private:
    void readBody();
    void checkAnnouncedLength();
    void replyFinished();
    void complete(Result<QByteArray> result);
    void abandon(const QString& reason);

    QUrl m_url;
    Limits m_limits;
    Completion m_completion;
    QPointer<QNetworkReply> m_reply;
    QTimer m_deadline;
    QByteArray m_body;
    bool m_done = false;
};

} // namespace velto::platform
