#include "LoopbackHttpsServer.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>

namespace velto::test {
namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 304:
        return "Not Modified";
    default:
        return "Status";
    }
}

} // namespace

LoopbackHttpsServer::LoopbackHttpsServer(const QString& certificatePath, const QString& keyPath) {
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate(readFile(certificatePath)));
    tls.setPrivateKey(QSslKey(readFile(keyPath), QSsl::Ec));
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    m_server.setSslConfiguration(tls);
    QObject::connect(&m_server, &QTcpServer::pendingConnectionAvailable, &m_server, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            serve(static_cast<QSslSocket*>(socket));
        }
    });
    m_server.listen(QHostAddress::LocalHost);
}

void LoopbackHttpsServer::answer(int status, QByteArray body) {
    m_mode = Mode::Answer;
    m_status = status;
    m_body = std::move(body);
}

void LoopbackHttpsServer::flood(qint64 bytes, bool announceLength) {
    m_mode = Mode::Flood;
    m_floodBytes = bytes;
    m_announceLength = announceLength;
}

QString LoopbackHttpsServer::url() const {
    return QStringLiteral("https://127.0.0.1:%1").arg(m_server.serverPort());
}

void LoopbackHttpsServer::serve(QSslSocket* socket) {
    socket->setParent(&m_server);
    QObject::connect(socket, &QSslSocket::readyRead, socket, [this, socket] {
        if (socket->property("answered").toBool()) {
            socket->readAll();
            return;
        }
        QByteArray request = socket->property("request").toByteArray() + socket->readAll();
        socket->setProperty("request", request);
        if (!request.contains("\r\n\r\n")) {
            return;
        }
        socket->setProperty("answered", true);
        ++m_requests;
        m_lastRequestLine = request.left(request.indexOf("\r\n"));
        if (m_mode == Mode::Silent) {
            return;
        }
        QByteArray head;
        if (m_mode == Mode::Flood) {
            head = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n";
            if (m_announceLength) {
                head += "Content-Length: " + QByteArray::number(m_floodBytes + 11) + "\r\n";
            }
            // A valid address buried in white space: only the size makes it no answer.
            socket->write(head + "\r\n203.0.113.9");
            const QByteArray chunk(64 * 1024, ' ');
            for (qint64 sent = 0; sent < m_floodBytes; sent += chunk.size()) {
                socket->write(chunk);
            }
        } else {
            head = "HTTP/1.1 " + QByteArray::number(m_status) + ' ' + reason(m_status) +
                   "\r\nContent-Type: text/plain\r\nConnection: close\r\n";
            // 204 and 304 carry no body by definition.
            if (m_status != 204 && m_status != 304) {
                head += "Content-Length: " + QByteArray::number(m_body.size()) + "\r\n";
                socket->write(head + "\r\n" + m_body);
            } else {
                socket->write(head + "\r\n");
            }
        }
        socket->disconnectFromHost();
    });
}

} // namespace velto::test
