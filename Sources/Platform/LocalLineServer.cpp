#include "Platform/LocalLineServer.h"

#include <QEventLoop>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace velto::platform {

namespace {

std::optional<sockaddr_un> addressOf(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (bytes.isEmpty() || static_cast<size_t>(bytes.size()) >= sizeof(address.sun_path))
        return std::nullopt;
    std::memcpy(address.sun_path, bytes.constData(), static_cast<size_t>(bytes.size()));
    return address;
}

int streamSocket() {
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

// Everything of @p bytes onto a non-blocking socket, waiting for room where needed;
// the lines are a few bytes, so this never waits in practice.
bool writeAll(int descriptor, const QByteArray& bytes) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::send(descriptor, bytes.constData() + written,
                                     static_cast<size_t>(bytes.size() - written), MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += count;
    }
    return true;
}

// One client's connection: reads until a newline, then answers and closes.
class Client final : public QObject {
public:
    Client(int descriptor, std::shared_ptr<const LocalLineServer::Handler> handler, QObject* parent)
        : QObject(parent), m_descriptor(descriptor), m_handler(std::move(handler)),
          m_notifier(descriptor, QSocketNotifier::Read, this) {
        connect(&m_notifier, &QSocketNotifier::activated, this, [this] { readSome(); });
        m_cutOff.setSingleShot(true);
        connect(&m_cutOff, &QTimer::timeout, this, [this] { close(); });
        m_cutOff.start(LocalLineServer::kClientCutOff);
    }
    ~Client() override {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }

private:
    void readSome() {
        char buffer[LocalLineServer::kMaxLineBytes + 1];
        const ssize_t count = ::recv(m_descriptor, buffer, sizeof(buffer), 0);
        if (count < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (count <= 0) {
            close();
            return;
        }
        m_line.append(buffer, count);
        const qsizetype end = m_line.indexOf('\n');
        if (end < 0) {
            if (m_line.size() > LocalLineServer::kMaxLineBytes)
                close();
            return;
        }
        if (end + 1 > LocalLineServer::kMaxLineBytes) {
            close();
            return;
        }
        const QByteArray line = m_line.left(end + 1);
        writeAll(m_descriptor, (*m_handler)(line));
        close();
    }

    void close() {
        m_notifier.setEnabled(false);
        m_cutOff.stop();
        deleteLater();
    }

    int m_descriptor;
    std::shared_ptr<const LocalLineServer::Handler> m_handler;
    QSocketNotifier m_notifier;
    QTimer m_cutOff;
    QByteArray m_line;
};

} // namespace

LocalLineServer::LocalLineServer(int descriptor, QString path, Handler handler)
    : m_descriptor(descriptor), m_path(std::move(path)),
      m_handler(std::make_shared<const Handler>(std::move(handler))),
      m_notifier(new QSocketNotifier(descriptor, QSocketNotifier::Read, this)) {
    connect(m_notifier, &QSocketNotifier::activated, this, &LocalLineServer::acceptClients);
}

LocalLineServer::~LocalLineServer() {
    ::close(m_descriptor);
    ::unlink(QFile::encodeName(m_path).constData());
}

std::unique_ptr<LocalLineServer> LocalLineServer::listen(const QString& path, Handler handler) {
    const std::optional<sockaddr_un> address = addressOf(path);
    if (!address)
        return nullptr;
    const int descriptor = streamSocket();
    if (descriptor < 0)
        return nullptr;
    const auto* generic = reinterpret_cast<const sockaddr*>(&*address);
    if (::bind(descriptor, generic, sizeof(*address)) != 0) {
        ::close(descriptor);
        return nullptr;
    }
    // Nobody can connect before listen(), so the mode is set before anyone could.
    if (::chmod(address->sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(descriptor, 8) != 0) {
        ::close(descriptor);
        ::unlink(address->sun_path);
        return nullptr;
    }
    return std::unique_ptr<LocalLineServer>(
        new LocalLineServer(descriptor, path, std::move(handler)));
}

void LocalLineServer::acceptClients() {
    for (;;) {
        const int client = ::accept4(m_descriptor, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        serve(client);
    }
}

void LocalLineServer::serve(int client) {
    new Client(client, m_handler, this);
}

LocalLineServer::Reply LocalLineServer::ask(const QString& path, const QByteArray& line,
                                            std::chrono::milliseconds timeout) {
    Reply reply;
    const std::optional<sockaddr_un> address = addressOf(path);
    if (!address)
        return reply;
    const int descriptor = streamSocket();
    if (descriptor < 0)
        return reply;
    struct Closer {
        int descriptor;
        ~Closer() { ::close(descriptor); }
    } const closer{descriptor};
    const int connected =
        ::connect(descriptor, reinterpret_cast<const sockaddr*>(&*address), sizeof(*address));
    if (connected != 0 && errno != EINPROGRESS && errno != EAGAIN)
        return reply; // no socket file, or nobody accepts on it
    reply.reach = Reach::NoAnswer;

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(timeout);

    // A Unix socket's connect finishes at once or once the listener's backlog has room.
    bool sent = false;
    QSocketNotifier writable(descriptor, QSocketNotifier::Write);
    QSocketNotifier readable(descriptor, QSocketNotifier::Read);
    QByteArray received;
    QObject::connect(&writable, &QSocketNotifier::activated, &loop, [&] {
        writable.setEnabled(false);
        int error = 0;
        socklen_t length = sizeof(error);
        if (::getsockopt(descriptor, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            reply.reach = Reach::NobodyListens;
            loop.quit();
            return;
        }
        sent = writeAll(descriptor, line);
        if (!sent)
            loop.quit();
    });
    QObject::connect(&readable, &QSocketNotifier::activated, &loop, [&] {
        char buffer[kMaxLineBytes];
        const ssize_t count = ::recv(descriptor, buffer, sizeof(buffer), 0);
        if (count < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (count > 0)
            received.append(buffer, count);
        const qsizetype end = received.indexOf('\n');
        if (end >= 0) {
            reply.reach = Reach::Answered;
            reply.line = received.left(end + 1);
        }
        if (end >= 0 || count <= 0 || received.size() > kMaxLineBytes)
            loop.quit();
    });
    loop.exec();
    return reply;
}

} // namespace velto::platform
