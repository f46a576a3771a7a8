#include "NetworkCore/PublicIPFetcher.h"

#include <QPointer>
#include <QStringDecoder>
#include <QTimer>
#include <QUrl>
#include <VeltoPluginKit/HttpsGet.h>
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

// Tries the endpoints in order; lives as a child of the owner, so that destroying the
// owner cancels it.
class Lookup : public QObject {
public:
    Lookup(QObject& owner, Options options, Completion completion)
        : QObject(&owner), m_options(std::move(options)), m_completion(std::move(completion)) {}

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
        HttpsGet::Request request;
        request.url = url;
        request.timeout = m_options.timeout;
        request.maxBytes = m_options.maxBodyBytes;
        request.trustedCertificatesFile = m_options.trustedCertificatesFile;
        request.helperPath = m_options.helperPath;
        m_exchange = new HttpsGet(
            std::move(request), [this](HttpsGet::Answer answer) { answered(std::move(answer)); },
            this);
    }

    void answered(HttpsGet::Answer answer) {
        if (m_exchange) {
            m_exchange->deleteLater();
        }
        m_exchange = nullptr;
        std::optional<std::string> address;
        if (answer.body) {
            QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            const QString text = decoder.decode(*answer.body);
            if (!decoder.hasError()) {
                address = parse(text);
            }
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

    Options m_options;
    Completion m_completion;
    qsizetype m_next = 0;
    QPointer<HttpsGet> m_exchange;
};

} // namespace

const QStringList& defaultEndpoints() {
    static const QStringList endpoints{QStringLiteral("https://api.ipify.org"),
                                       QStringLiteral("https://ipv4.icanhazip.com")};
    return endpoints;
}

void fetch(QObject& owner, const Options& options, Completion completion) {
    auto* lookup = new Lookup(owner, options, std::move(completion));
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
