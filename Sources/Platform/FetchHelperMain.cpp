// velto-fetch: the download helper. One HTTPS GET per run, so that the app and
// its plug-ins never load a TLS stack of their own (see VeltoPluginKit/HttpsGet.h).
//
//   velto-fetch --timeout-ms N --max-bytes N [--accept TYPES] [--ca-file PEM] -- URL
//
// The body of a 200 answer goes to stdout and the exit status is 0; any failure
// prints one line saying why on stderr and exits 1; bad arguments exit 2.
#include "Platform/HttpsDownload.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QSslCertificate>
#include <QStringList>
#include <cstdio>
#include <optional>
#include <unistd.h>

namespace {

struct Arguments {
    QUrl url;
    velto::platform::HttpsDownload::Limits limits{};
    QByteArray accept;
    QString caFile;
};

std::optional<qint64> numberAtLeast(const QString& text, qint64 least) {
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < least)
        return std::nullopt;
    return value;
}

std::optional<Arguments> parseArguments(const QStringList& list) {
    Arguments parsed;
    bool haveTimeout = false;
    bool haveCap = false;
    for (qsizetype i = 1; i < list.size(); ++i) {
        const QString& option = list[i];
        if (option == QLatin1String("--")) {
            if (i + 2 != list.size())
                return std::nullopt;
            parsed.url = QUrl(list[i + 1], QUrl::StrictMode);
            break;
        }
        if (i + 1 >= list.size())
            return std::nullopt;
        const QString& value = list[++i];
        if (option == QLatin1String("--timeout-ms")) {
            const std::optional<qint64> ms = numberAtLeast(value, 1);
            if (!ms)
                return std::nullopt;
            parsed.limits.timeout = std::chrono::milliseconds(*ms);
            haveTimeout = true;
        } else if (option == QLatin1String("--max-bytes")) {
            const std::optional<qint64> bytes = numberAtLeast(value, 0);
            if (!bytes)
                return std::nullopt;
            parsed.limits.maxBytes = *bytes;
            haveCap = true;
        } else if (option == QLatin1String("--accept")) {
            parsed.accept = value.toLatin1();
        } else if (option == QLatin1String("--ca-file")) {
            parsed.caFile = value;
        } else {
            return std::nullopt;
        }
    }
    if (!haveTimeout || !haveCap || !parsed.url.isValid())
        return std::nullopt;
    return parsed;
}

// stderr carries the one reason line; Qt's own messages would mix into it.
void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

int failWith(const QString& reason) {
    std::fputs(qPrintable(reason.section(QLatin1Char('\n'), 0, 0) + QLatin1Char('\n')), stderr);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(quiet);
    QCoreApplication app(argc, argv);
    const std::optional<Arguments> arguments = parseArguments(QCoreApplication::arguments());
    if (!arguments) {
        std::fputs("usage: velto-fetch --timeout-ms N --max-bytes N [--accept TYPES] "
                   "[--ca-file PEM] -- URL\n",
                   stderr);
        return 2;
    }
    const QUrl& url = arguments->url;
    if (url.scheme() != QLatin1String("https") || url.host().isEmpty())
        return failWith(QStringLiteral("\"%1\" is not an https address.").arg(url.toString()));

    velto::platform::HttpsDownload::Options options{QSslConfiguration::defaultConfiguration(),
                                                    arguments->accept};
    if (!arguments->caFile.isEmpty()) {
        const QList<QSslCertificate> authorities =
            QSslCertificate::fromPath(arguments->caFile, QSsl::Pem);
        if (authorities.isEmpty())
            return failWith(
                QStringLiteral("No certificate could be read from %1.").arg(arguments->caFile));
        options.tls.setCaCertificates(authorities);
    }

    QNetworkAccessManager manager;
    int status = 1;
    velto::platform::HttpsDownload download(
        manager, url, options, arguments->limits, [&](velto::platform::Result<QByteArray> body) {
            if (body) {
                const QByteArray& bytes = body.value();
                status = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()),
                                     stdout) == static_cast<size_t>(bytes.size()) &&
                                 std::fflush(stdout) == 0
                             ? 0
                             : 1;
            } else {
                status = failWith(body.error());
            }
            QCoreApplication::quit();
        });
    app.exec();
    // Nothing is left to do or to save: skip tearing down the network stack and its
    // thread, which costs more CPU than the exchange on an idle machine.
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(status);
}
