#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

class QObject;

namespace velto::PublicIPFetcher {

/// Two echo services of different providers; each answers a GET on its root path with
/// the caller's IPv4 address as plain text. Asked in this order.
const QStringList& defaultEndpoints();

/// How long one endpoint may take, from the request to the last byte of the answer.
inline constexpr std::chrono::milliseconds kTimeout{5000};
/// An address with some white space fits many times over; anything longer is no answer.
inline constexpr qint64 kMaxBodyBytes = 256;

struct Options {
    QStringList endpoints = defaultEndpoints();
    /// A PEM file of the only certificate authorities trusted; empty trusts the
    /// system's. Peers are verified either way.
    QString trustedCertificatesFile;
    /// The download helper that runs each exchange; empty means the running app's.
    QString helperPath;
    std::chrono::milliseconds timeout = kTimeout;
    qint64 maxBodyBytes = kMaxBodyBytes;
};

using Completion = std::function<void(std::optional<std::string>)>;

/**
 * Asks the endpoints one after another until one gives an address: an HTTPS answer
 * with status 200 and a UTF-8 body that parse() accepts, within the time and size
 * limits. Anything else moves on to the next endpoint; none left gives absent.
 *
 * Each exchange runs in the download helper's process (see VeltoPluginKit/HttpsGet.h);
 * @p completion runs once, on the main thread, on a later turn of the loop than this
 * call. Destroying @p owner first cancels the lookup and drops the completion.
 */
void fetch(QObject& owner, const Options& options, Completion completion);

/**
 * The acceptance rule for one response body: trimmed of white space at both ends,
 * split at every "." with the empty pieces dropped, exactly four pieces remain, each
 * an optional sign and decimal digits with a value from 0 to 255. Gives the trimmed
 * text unchanged ("1..2.3.4", "+1.2.3.4" and "-0.1.2.3" included), or absent.
 */
std::optional<std::string> parse(const QString& responseBody);

} // namespace velto::PublicIPFetcher
