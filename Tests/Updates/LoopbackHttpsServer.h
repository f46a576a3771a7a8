#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslServer>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>

namespace velto::test {

/**
 * An HTTPS server on 127.0.0.1 for the updater's tests, in the test's own
 * thread: it works only while the main loop runs, so a test that gets answers
 * also shows that the client never blocked the loop. Its certificate is made
 * at start and trusted only through certificatePath().
 */
class LoopbackHttpsServer : public QObject {
public:
    struct Response {
        int status = 200;
        QByteArray reason = "OK";
        QByteArray body;
        /// Without a Content-Length the body ends when the connection closes.
        bool announceLength = true;
        QList<std::pair<QByteArray, QByteArray>> headers;
        /// Accept the request, then never answer it.
        bool neverAnswer = false;

        static Response feed(QByteArray body, bool announceLength = true);
        static Response answer(int status, QByteArray reason, QByteArray body = {});
        static Response redirect(QByteArray location);
        static Response silence();
    };

    LoopbackHttpsServer();

    /// False when the certificate could not be made or no port was free.
    bool start();
    QUrl url(const QString& path) const;
    void route(const QString& path, Response response);
    /// The path of every request, in the order they came.
    const QStringList& requestedPaths() const { return m_requestedPaths; }
    /// The server's certificate in PEM: what the client trusts as its only authority.
    const QString& certificatePath() const { return m_certificatePath; }

private:
    void serve(QTcpSocket* socket);
    void respond(QTcpSocket* socket, const QByteArray& request);

    QSslServer m_server;
    QString m_certificatePath;
    QHash<QString, Response> m_routes;
    QStringList m_requestedPaths;
};

/// A TCP port on 127.0.0.1 that accepts connections and never says anything, not even TLS.
class SilentServer : public QObject {
public:
    bool start() { return m_server.listen(QHostAddress::LocalHost); }
    QUrl url(const QString& path) const;

private:
    QTcpServer m_server;
};

} // namespace velto::test
