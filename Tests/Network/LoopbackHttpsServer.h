#pragma once

#include <QByteArray>
#include <QSslConfiguration>
#include <QSslServer>
#include <QString>

namespace velto::test {

/// An HTTPS server on 127.0.0.1 that answers every request the same way.
class LoopbackHttpsServer {
public:
    enum class Mode {
        Answer, ///< status and body as set
        Silent, ///< completes the handshake, reads the request, never answers
        Flood, ///< status 200, an address and then @p floodBytes of spaces, the length announced or
               ///< not
    };

    /// Serves with the certificate and key in these PEM files.
    LoopbackHttpsServer(const QString& certificatePath, const QString& keyPath);

    void answer(int status, QByteArray body);
    void silent() { m_mode = Mode::Silent; }
    void flood(qint64 bytes, bool announceLength);

    /// https://127.0.0.1:<port>
    QString url() const;
    /// HTTP requests read so far (after a completed handshake).
    int requests() const { return m_requests; }
    const QByteArray& lastRequestLine() const { return m_lastRequestLine; }

private:
    void serve(QSslSocket* socket);

    QSslServer m_server;
    Mode m_mode = Mode::Answer;
    int m_status = 200;
    QByteArray m_body;
    qint64 m_floodBytes = 0;
    bool m_announceLength = true;
    int m_requests = 0;
    QByteArray m_lastRequestLine;
};

} // namespace velto::test
