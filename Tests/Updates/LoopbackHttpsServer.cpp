#include "LoopbackHttpsServer.h"

#include <QFile>
#include <QSslKey>
#include <QSslSocket>
#include <Support/TestCertificate.h>
#include <Support/TestEnvironment.h>

namespace velto::test {

LoopbackHttpsServer::Response LoopbackHttpsServer::Response::feed(QByteArray body,
                                                                  bool announceLength) {
    Response response;
    response.body = std::move(body);
    response.announceLength = announceLength;
    return response;
}

LoopbackHttpsServer::Response LoopbackHttpsServer::Response::answer(int status, QByteArray reason,
                                                                    QByteArray body) {
    Response response;
    response.status = status;
    response.reason = std::move(reason);
    response.body = std::move(body);
    return response;
}

LoopbackHttpsServer::Response LoopbackHttpsServer::Response::redirect(QByteArray location) {
    Response response = answer(302, "Found");
    response.headers.append({"Location", std::move(location)});
    return response;
}

LoopbackHttpsServer::Response LoopbackHttpsServer::Response::silence() {
    Response response;
    response.neverAnswer = true;
    return response;
}

LoopbackHttpsServer::LoopbackHttpsServer() {
    connect(&m_server, &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection())
            serve(socket);
    });
}

bool LoopbackHttpsServer::start() {
    const TestCertificate made =
        makeTestCertificate(makeTempFolder(QStringLiteral("tls")), QStringLiteral("127.0.0.1"),
                            {QStringLiteral("IP:127.0.0.1"), QStringLiteral("DNS:localhost")});
    const QList<QSslCertificate> certificates = QSslCertificate::fromPath(made.certificatePath);
    QFile keyFile(made.privateKeyPath);
    if (certificates.size() != 1 || !keyFile.open(QIODevice::ReadOnly))
        return false;
    const QSslKey key(keyFile.readAll(), QSsl::Ec, QSsl::Pem);
    if (key.isNull())
        return false;
    m_certificatePath = made.certificatePath;
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(certificates.front());
    configuration.setPrivateKey(key);
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    m_server.setSslConfiguration(configuration);
    return m_server.listen(QHostAddress::LocalHost);
}

QUrl LoopbackHttpsServer::url(const QString& path) const {
    return QUrl(QStringLiteral("https://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
}

void LoopbackHttpsServer::route(const QString& path, Response response) {
    m_routes.insert(path, std::move(response));
}

void LoopbackHttpsServer::serve(QTcpSocket* socket) {
    socket->setParent(this);
    auto request = std::make_shared<QByteArray>();
    connect(socket, &QTcpSocket::readyRead, this, [this, socket, request] {
        if (request->contains("\r\n\r\n"))
            return;
        *request += socket->readAll();
        if (request->contains("\r\n\r\n"))
            respond(socket, *request);
    });
}

void LoopbackHttpsServer::respond(QTcpSocket* socket, const QByteArray& request) {
    // "GET /path HTTP/1.1"
    const QList<QByteArray> requestLine = request.left(request.indexOf("\r\n")).split(' ');
    const QString path =
        requestLine.size() >= 2 ? QString::fromLatin1(requestLine.at(1)) : QString();
    m_requestedPaths.append(path);
    const Response response =
        m_routes.value(path, Response::answer(404, "Not Found", "no such feed"));
    if (response.neverAnswer)
        return;
    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + response.reason + "\r\n";
    head += "Content-Type: application/rss+xml\r\nConnection: close\r\n";
    if (response.announceLength)
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    for (const auto& [name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    socket->write(head + "\r\n" + response.body);
    socket->disconnectFromHost();
}

QUrl SilentServer::url(const QString& path) const {
    return QUrl(QStringLiteral("https://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
}

} // namespace velto::test
