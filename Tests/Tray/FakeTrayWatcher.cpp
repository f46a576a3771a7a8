#include "FakeTrayWatcher.h"

#include <QDBusMessage>

namespace velto::test {

namespace {
const QString kService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kPath = QStringLiteral("/StatusNotifierWatcher");
} // namespace

FakeTrayWatcher::FakeTrayWatcher()
    : m_connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                                 QStringLiteral("fake-tray-watcher"))) {
    m_connection.registerObject(kPath, this,
                                QDBusConnection::ExportAllSlots |
                                    QDBusConnection::ExportAllProperties |
                                    QDBusConnection::ExportAllSignals);
}

FakeTrayWatcher::~FakeTrayWatcher() {
    leave();
    m_connection.unregisterObject(kPath);
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-tray-watcher"));
}

bool FakeTrayWatcher::join() {
    return m_connection.registerService(kService);
}

void FakeTrayWatcher::leave() {
    m_connection.unregisterService(kService);
    m_registered.clear();
}

void FakeTrayWatcher::announceHost() {
    m_hostRegistered = true;
    m_connection.send(QDBusMessage::createSignal(kPath, kService,
                                                 QStringLiteral("StatusNotifierHostRegistered")));
}

void FakeTrayWatcher::RegisterStatusNotifierItem(const QString& service) {
    if (m_refusing) {
        sendErrorReply(QDBusError::AccessDenied, QStringLiteral("refused"));
        return;
    }
    // A path instead of a name means the caller's own name.
    const QString name = service.startsWith(QLatin1Char('/')) ? message().service() : service;
    if (!m_registered.contains(name))
        m_registered.append(name);
    Q_EMIT StatusNotifierItemRegistered(name);
}

} // namespace velto::test
