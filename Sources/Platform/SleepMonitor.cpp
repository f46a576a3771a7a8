#include "Platform/SleepMonitor.h"

#include <QDBusConnection>

namespace velto::platform {

SleepMonitor::SleepMonitor(QObject* parent)
    : SleepMonitor(Bus::System, QString::fromLatin1(kService), parent) {}

SleepMonitor::SleepMonitor(Bus bus, const QString& service, QObject* parent) : QObject(parent) {
    QDBusConnection connection =
        bus == Bus::System ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
    if (!connection.isConnected())
        return;
    // Matching on the well-known name: the bus resolves it to logind's own
    // connection, so no other client can put the host to sleep with a signal.
    m_listening =
        connection.connect(service, QString::fromLatin1(kPath), QString::fromLatin1(kInterface),
                           QString::fromLatin1(kSignal), this, SLOT(prepareForSleep(bool)));
}

void SleepMonitor::prepareForSleep(bool start) {
    if (start)
        Q_EMIT willSleep();
    else
        Q_EMIT didWake();
}

} // namespace velto::platform
