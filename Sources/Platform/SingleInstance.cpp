#include "SingleInstance.h"

#include "Platform/LocalLineServer.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLockFile>
#include <QTimer>
#include <unistd.h>
#include <utility>

namespace velto::platform {

namespace {

const QString kObjectPath = QStringLiteral("/org/velto/Application");
const QString kInterface = QStringLiteral("org.velto.Application");
const QString kMethod = QStringLiteral("Reopen");
const QByteArray kRequestLine = QByteArrayLiteral("reopen\n");
const QByteArray kAnswerLine = QByteArrayLiteral("ok\n");
/// Claiming and asking are retried this often when the holder goes away in between.
constexpr int kAttempts = 3;

enum class Answer { Taken, NoHolder, Silent };

/// Runs @p loop until @p done or @p timeoutMilliseconds, whichever comes first.
void waitFor(QEventLoop& loop, const bool& done, int timeoutMilliseconds) {
    if (done)
        return;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(timeoutMilliseconds);
    loop.exec();
}

Answer askOverBus(QDBusConnection& bus, const QString& name, int timeoutMilliseconds) {
    const QDBusMessage call =
        QDBusMessage::createMethodCall(name, kObjectPath, kInterface, kMethod);
    // The holder may live in this very process (tests), so the answer is
    // awaited with the event loop running rather than blocking on it.
    QDBusPendingCallWatcher watcher(bus.asyncCall(call, timeoutMilliseconds));
    QEventLoop loop;
    bool done = watcher.isFinished();
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, [&] {
        done = true;
        loop.quit();
    });
    waitFor(loop, done, timeoutMilliseconds + 500);
    if (!watcher.isFinished())
        return Answer::Silent;
    if (!watcher.isError())
        return Answer::Taken;
    const QDBusError error = watcher.error();
    return error.type() == QDBusError::ServiceUnknown ||
                   error.name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")
               ? Answer::NoHolder
               : Answer::Silent;
}

Answer askOverSocket(const QString& path, int timeoutMilliseconds) {
    const LocalLineServer::Reply reply =
        LocalLineServer::ask(path, kRequestLine, std::chrono::milliseconds(timeoutMilliseconds));
    switch (reply.reach) {
    case LocalLineServer::Reach::Answered:
        return reply.line == kAnswerLine ? Answer::Taken : Answer::Silent;
    case LocalLineServer::Reach::NobodyListens:
        return Answer::NoHolder;
    case LocalLineServer::Reach::NoAnswer:
        break;
    }
    return Answer::Silent;
}

} // namespace

/// The object the bus calls; it only passes the request on.
class ReopenReceiver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.velto.Application")
public:
    explicit ReopenReceiver(SingleInstance* owner) : QObject(owner), m_owner(owner) {}

public Q_SLOTS:
    Q_SCRIPTABLE void Reopen() { m_owner->receiveRequest(); }

private:
    SingleInstance* m_owner;
};

SingleInstance::SingleInstance(QString name, Channel channel, QObject* parent)
    : QObject(parent), m_name(std::move(name)), m_channel(channel),
      m_connectionName(
          QStringLiteral("velto-single-instance-%1").arg(reinterpret_cast<quintptr>(this), 0, 16)) {
}

SingleInstance::~SingleInstance() {
    m_server.reset();
    if (m_bus) {
        if (m_claimed)
            m_bus->unregisterService(m_name);
        m_bus->unregisterObject(kObjectPath);
        m_bus.reset();
        QDBusConnection::disconnectFromBus(m_connectionName);
    }
}

SingleInstance::Channel SingleInstance::preferredChannel() {
    return QDBusConnection::sessionBus().isConnected() ? Channel::SessionBus : Channel::LocalSocket;
}

QString SingleInstance::socketPath(const QString& name) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QDir(runtime).exists())
        return QDir(runtime).filePath(name + QStringLiteral(".socket"));
    return QDir(QDir::tempPath())
        .filePath(QStringLiteral("%1-%2.socket").arg(name).arg(static_cast<qulonglong>(getuid())));
}

SingleInstance::Outcome SingleInstance::claimOrHandOver(int timeoutMilliseconds) {
    if (m_claimed || m_name.isEmpty())
        return m_claimed ? Outcome::Claimed : Outcome::Unavailable;
    return m_channel == Channel::SessionBus ? claimOverBus(timeoutMilliseconds)
                                            : claimOverSocket(timeoutMilliseconds);
}

SingleInstance::Outcome SingleInstance::claimOverBus(int timeoutMilliseconds) {
    // A connection of our own, so that the name goes with this object and a
    // second object in the same process is a second client of the bus.
    m_bus = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_connectionName));
    if (!m_bus->isConnected() || !m_bus->interface())
        return Outcome::Unavailable;
    m_receiver = new ReopenReceiver(this);
    if (!m_bus->registerObject(kObjectPath, m_receiver, QDBusConnection::ExportScriptableSlots))
        return Outcome::Unavailable;

    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
            m_bus->interface()->registerService(m_name, QDBusConnectionInterface::DontQueueService,
                                                QDBusConnectionInterface::DontAllowReplacement);
        if (!reply.isValid())
            break;
        if (reply.value() == QDBusConnectionInterface::ServiceRegistered) {
            m_claimed = true;
            return Outcome::Claimed;
        }
        const Answer answer = askOverBus(*m_bus, m_name, timeoutMilliseconds);
        if (answer == Answer::Taken)
            return Outcome::HandedOver;
        if (answer == Answer::Silent)
            break;
        // The holder went away between our claim and our call: claim again.
    }
    m_bus->unregisterObject(kObjectPath);
    return Outcome::Unavailable;
}

SingleInstance::Outcome SingleInstance::claimOverSocket(int timeoutMilliseconds) {
    const QString path = socketPath(m_name);
    // Whoever holds the lock decides alone whether the socket is alive, so two
    // launches can't both remove a stale socket and listen.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(timeoutMilliseconds))
        return Outcome::Unavailable;

    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const Answer answer = askOverSocket(path, timeoutMilliseconds);
        if (answer == Answer::Taken)
            return Outcome::HandedOver;
        if (answer == Answer::Silent)
            return Outcome::Unavailable;
        // Nobody listens: what is left is a socket file of a process that ended.
        QFile::remove(path);
        m_server = LocalLineServer::listen(path, [this](const QByteArray& line) {
            if (line != kRequestLine)
                return QByteArray();
            receiveRequest();
            return kAnswerLine;
        });
        if (m_server) {
            m_claimed = true;
            return Outcome::Claimed;
        }
    }
    return Outcome::Unavailable;
}

void SingleInstance::setOnRequest(QObject* context, std::function<void()> handler) {
    m_context = context;
    m_handler = std::move(handler);
    m_hasHandler = context && m_handler;
    if (m_pending)
        receiveRequest();
}

void SingleInstance::receiveRequest() {
    m_pending = true;
    // The asking launch gets its answer first; the handler runs on the next turn.
    QTimer::singleShot(0, this, [this] {
        if (!m_pending || !m_hasHandler)
            return;
        if (!m_context) {
            // The owner of the handler is gone: the request has nobody to go to.
            m_pending = false;
            return;
        }
        m_pending = false;
        m_handler();
    });
}

} // namespace velto::platform

#include "SingleInstance.moc"
