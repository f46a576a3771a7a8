#include "Platform/StatusNotifierItem.h"

#include "Platform/StatusNotifierItemAdaptor.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace velto::platform {

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kObjectPath = QStringLiteral("/StatusNotifierItem");

} // namespace

StatusNotifierItem::StatusNotifierItem(int number, Requests requests)
    : m_connectionName(QStringLiteral("velto-tray-item-%1").arg(number)),
      m_connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_connectionName)),
      m_serviceName(QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                        .arg(QCoreApplication::applicationPid())
                        .arg(number)),
      m_requests(std::move(requests)) {
    registerTrayTypes();
    new StatusNotifierItemAdaptor(this);
    if (!m_connection.isConnected())
        return;
    m_exported = m_connection.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors) &&
                 m_connection.registerService(m_serviceName);
}

StatusNotifierItem::~StatusNotifierItem() {
    if (m_connection.isConnected()) {
        m_connection.unregisterService(m_serviceName);
        m_connection.unregisterObject(kObjectPath);
    }
    QDBusConnection::disconnectFromBus(m_connectionName);
}

void StatusNotifierItem::registerWithWatcher(std::function<void(bool)> done) {
    if (!m_exported) {
        if (done)
            done(false);
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kWatcherService, kWatcherPath, kWatcherService,
                                       QStringLiteral("RegisterStatusNotifierItem"));
    call << m_serviceName;
    auto* watcher = new QDBusPendingCallWatcher(m_connection.asyncCall(call, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, done = std::move(done)] {
        watcher->deleteLater();
        if (done)
            done(!watcher->isError());
    });
}

void StatusNotifierItem::setTitle(const QString& title) {
    if (title == m_title)
        return;
    m_title = title;
    Q_EMIT NewTitle();
}

void StatusNotifierItem::setStatus(const QString& status) {
    if (status == m_status)
        return;
    m_status = status;
    Q_EMIT NewStatus(status);
}

void StatusNotifierItem::setIcon(const TrayPixmapList& pixmaps) {
    if (pixmaps == m_icon)
        return;
    m_icon = pixmaps;
    ++m_newIconCount;
    Q_EMIT NewIcon();
}

void StatusNotifierItem::setLabel(const QString& label, const QString& guide) {
    if (label == m_label && guide == m_labelGuide)
        return;
    m_label = label;
    m_labelGuide = guide;
    Q_EMIT XAyatanaNewLabel(label, guide);
}

void StatusNotifierItem::setToolTip(const TrayToolTip& toolTip) {
    if (toolTip == m_toolTip)
        return;
    m_toolTip = toolTip;
    Q_EMIT NewToolTip();
}

void StatusNotifierItem::hostActivated(int x, int y) {
    if (m_requests.activate)
        m_requests.activate(x, y);
}

void StatusNotifierItem::hostSecondaryActivated(int x, int y) {
    if (m_requests.secondaryActivate)
        m_requests.secondaryActivate(x, y);
}

void StatusNotifierItem::hostAskedForContextMenu(int x, int y) {
    if (m_requests.contextMenu)
        m_requests.contextMenu(x, y);
}

} // namespace velto::platform
