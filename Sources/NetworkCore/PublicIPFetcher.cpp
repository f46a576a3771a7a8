#include "NetworkCore/PublicIPFetcher.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QStringDecoder>
#include <QTimer>
#include <QUrl>
#include <cstdint>
#include <limits>

namespace velto::PublicIPFetcher {
namespace {

// One piece of the dotted text: an optional sign, then digits only, read as a signed
// 64-bit number without overflowing it.
std::optional<std::int64_t> readPiece(QStringView piece) {
    bool negative = false;
    if (!piece.isEmpty() && (piece.front() == u'+' || piece.front() == u'-')) {
        negative = piece.front() == u'-';
        piece = piece.mid(1);
    }
    if (piece.isEmpty()) {
        return std::nullopt;
    }
    // Accumulated towards the negative side, which has room for the magnitude of
    // INT64_MIN; a positive value is negated back at the end.
    std::int64_t value = 0;
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    for (const QChar c : piece) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        const int digit = c.unicode() - u'0';
        if (value < (kMin + digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == kMin) {
            return std::nullopt;
        }
        value = -value;
    }
    return value;
}

// Tries the endpoints in order; lives as a child of the manager, so that destroying the
// manager cancels it.
class Lookup : public QObject {
public:
    Lookup(QNetworkAccessManager& manager, Options options, Completion completion)
        : QObject(&manager), m_manager(manager), m_options(std::move(options)),
          m_completion(std::move(completion)) {
        m_deadline.setSingleShot(true);
        m_deadline.setTimerType(Qt::PreciseTimer);
        connect(&m_deadline, &QTimer::timeout, this, [this] { giveUp(); });
    }

    void tryNext() {
        while (m_next < m_options.endpoints.size()) {
            const QUrl url(m_options.endpoints[m_next++], QUrl::StrictMode);
            // Only HTTPS: the answer decides what the user is shown as their address.
            if (!url.isValid() || url.scheme() != QLatin1String("https") || url.host().isEmpty()) {
                continue;
            }
            send(url);
            return;
        }
        finish(std::nullopt);
    }

private:
    void send(const QUrl& url) {
        QNetworkRequest request(url);
        QSslConfiguration tls = m_options.tls;
        tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
        request.setSslConfiguration(tls);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::NoLessSafeRedirectPolicy);
        m_body.clear();
        m_reply = m_manager.get(request);
        // No sslErrors handler: a certificate that fails verification ends the exchange.
        connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] {
            const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
            if (length.isValid() && length.toLongLong() > m_options.maxBodyBytes) {
                giveUp();
            }
        });
        connect(m_reply, &QNetworkReply::readyRead, this, [this] {
            m_body += m_reply->read(m_options.maxBodyBytes + 1 - m_body.size());
            if (m_body.size() > m_options.maxBodyBytes) {
                giveUp();
            }
        });
        connect(m_reply, &QNetworkReply::finished, this, [this] { replyFinished(); });
        m_deadline.start(m_options.timeout);
    }

    // Drops the exchange in flight and moves on.
    void giveUp() {
        m_deadline.stop();
        if (QNetworkReply* reply = m_reply) {
            m_reply = nullptr;
            reply->disconnect(this);
            reply->abort();
            reply->deleteLater();
        }
        tryNext();
    }

    void replyFinished() {
        m_deadline.stop();
        QNetworkReply* reply = m_reply;
        m_reply = nullptr;
        reply->disconnect(this);
        reply->deleteLater();
        if (reply->error() != QNetworkReply::NoError ||
            reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() != 200) {
            tryNext();
            return;
        }
        m_body += reply->read(m_options.maxBodyBytes + 1 - m_body.size());
        if (m_body.size() > m_options.maxBodyBytes) {
            tryNext();
            return;
        }
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = decoder.decode(m_body);
        std::optional<std::string> address;
        if (!decoder.hasError()) {
            address = parse(text);
        }
        if (address) {
            finish(std::move(address));
        } else {
            tryNext();
        }
    }

    void finish(std::optional<std::string> address) {
        m_next = m_options.endpoints.size();
        // Always on a later turn, also when no request could be sent at all.
        QTimer::singleShot(0, this, [this, address = std::move(address)]() mutable {
            Completion completion = std::move(m_completion);
            deleteLater();
            if (completion) {
                completion(std::move(address));
            }
        });
    }

    QNetworkAccessManager& m_manager;
    Options m_options;
    Completion m_completion;
    qsizetype m_next = 0;
    QPointer<QNetworkReply> m_reply;
    QTimer m_deadline;
    QByteArray m_body;
};

} // namespace

const QStringList& defaultEndpoints() {
    static const QStringList endpoints{QStringLiteral("https://api.ipify.org"),
                                       QStringLiteral("https://ipv4.icanhazip.com")};
    return endpoints;
}

void fetch(QNetworkAccessManager& manager, const Options& options, Completion completion) {
    auto* lookup = new Lookup(manager, options, std::move(completion));
    lookup->tryNext();
}

std::optional<std::string> parse(const QString& responseBody) {
    const QString trimmed = responseBody.trimmed();
    int pieces = 0;
    for (const QStringView piece : QStringView(trimmed).split(u'.', Qt::SkipEmptyParts)) {
        const std::optional<std::int64_t> value = readPiece(piece);
        if (++pieces > 4 || !value || *value < 0 || *value > 255) {
            return std::nullopt;
        }
    }
    if (pieces != 4) {
        return std::nullopt;
    }
    return trimmed.toStdString();
}

} // namespace velto::PublicIPFetcher
