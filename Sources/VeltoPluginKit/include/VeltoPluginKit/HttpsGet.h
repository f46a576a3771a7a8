#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <VeltoPluginKit/VeltoPluginKitExport.h>
#include <chrono>
#include <functional>
#include <optional>

class QProcess;

namespace velto {

/**
 * One HTTPS GET, run by the app's download helper (velto-fetch) in a process of
 * its own, so that neither the host nor a plug-in carries a TLS stack: the
 * helper holds the connection, verifies the peer's certificate for the host in
 * the address, follows only redirects that stay https, and hands back the body
 * of a 200 answer within the time and size limits.
 *
 * The completion runs exactly once, on the main thread, always on a later turn
 * of the loop than the constructor: with the body, or with a one-line reason
 * (the helper missing or stopped, the deadline passed, the body over the cap,
 * another status, a TLS or network error). Destroying the download first stops
 * the helper and drops the completion.
 */
class VELTOPLUGINKIT_EXPORT HttpsGet final : public QObject {
    Q_OBJECT
public:
    struct Request {
        QUrl url;
        /// From the start to the last byte: name lookup, connect, handshake and transfer.
        std::chrono::milliseconds timeout{30'000};
        qint64 maxBytes = 1024 * 1024;
        /// The Accept header; empty sends none.
        QByteArray accept;
        /// A PEM file of the only certificate authorities trusted; empty trusts the system's.
        QString trustedCertificatesFile;
        /// The helper executable; empty means the one in the running app.
        QString helperPath;
    };
    struct Answer {
        std::optional<QByteArray> body; ///< absent when the download failed
        QString failure;                ///< why it failed; empty with a body
    };
    using Completion = std::function<void(Answer)>;

    /// Contents/Helpers/velto-fetch beside the running app's Contents/Linux.
    static QString defaultHelperPath();

    HttpsGet(Request request, Completion completion, QObject* parent = nullptr);
    ~HttpsGet() override;

    HttpsGet(const HttpsGet&) = delete;
    HttpsGet& operator=(const HttpsGet&) = delete;

private:
    void readOutput();
    void helperFinished();
    void fail(const QString& reason);
    void complete(Answer answer);

    Request m_request;
    Completion m_completion;
    QPointer<QProcess> m_helper;
    QTimer m_deadline;
    QByteArray m_body;
    QByteArray m_reason;
    bool m_done = false;
};

} // namespace velto
