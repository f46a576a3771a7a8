#include "Platform/TrayStatusBar.h"

#include "Platform/OwnStatusBar.h"
#include "Platform/OwnStatusBarButton.h"
#include "Platform/OwnStatusItem.h"
#include "Platform/PopoverWindow.h"
#include "Platform/StatusNotifierItem.h"
#include "Platform/TrayStatusItem.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QPointer>

namespace velto::platform {

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");

} // namespace

TrayStatusBar::TrayStatusBar(const QDBusConnection& bus)
    : m_bus(bus), m_ownBar(std::make_unique<OwnStatusBar>()) {
    m_ownBar->setLaidOut([this] {
        for (const auto& item : m_items)
            item->scheduleSync();
    });
    if (!m_bus.isConnected())
        return;
    m_watcher = new QDBusServiceWatcher(kWatcherService, m_bus,
                                        QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                if (newOwner.isEmpty())
                    leaveTray();
                else
                    watcherAppeared();
            });
    m_bus.connect(kWatcherService, kWatcherPath, kWatcherService,
                  QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(hostRegistered()));
    // Asking the bus itself is quick and never waits on the watcher; whether
    // a host is there follows without blocking start-up.
    if (QDBusConnectionInterface* daemon = m_bus.interface();
        daemon && daemon->isServiceRegistered(kWatcherService).value())
        watcherAppeared();
}

TrayStatusBar::~TrayStatusBar() {
    m_items.clear();
}

StatusItem* TrayStatusBar::statusItem(double length) {
    auto* own = static_cast<OwnStatusItem*>(m_ownBar->statusItem(length));
    // Numbers are unique in the process, since each names a bus connection and a bus name.
    static int lastNumber = 0;
    const int number = ++lastNumber;
    m_items.push_back(std::make_unique<TrayStatusItem>(*this, *own, number));
    TrayStatusItem* item = m_items.back().get();
    if (m_inTray) {
        const int generation = m_generation;
        const QPointer<TrayStatusBar> self(this);
        item->exportToTray();
        item->exported()->registerWithWatcher([self, generation](bool registered) {
            if (self && !registered && generation == self->m_generation)
                self->leaveTray();
        });
    }
    return item;
}

void TrayStatusBar::setSecondaryAction(std::function<void()> action) {
    m_secondaryAction = std::move(action);
}

std::vector<TrayStatusItem*> TrayStatusBar::items() const {
    std::vector<TrayStatusItem*> list;
    for (const auto& item : m_items)
        list.push_back(item.get());
    return list;
}

void TrayStatusBar::activate(TrayStatusItem& item, int x, int y) {
    OwnStatusBarButton& button = item.ownItem().ownButton();
    // The press that reached the host first closed this item's popover; the
    // click it reports now must not open it again.
    if (PopoverWindow::closedByPressOutsideRecently(&button))
        return;
    std::optional<QPointF> point;
    if (x != 0 || y != 0)
        point = QPointF(x, y);
    m_ownBar->placeItemAt(&item.ownItem(), point);
    button.performClick();
}

void TrayStatusBar::activateSecondary(TrayStatusItem& item, int x, int y) {
    std::optional<QPointF> point;
    if (x != 0 || y != 0)
        point = QPointF(x, y);
    m_ownBar->placeItemAt(&item.ownItem(), point);
    if (m_secondaryAction)
        m_secondaryAction();
    else
        item.ownItem().ownButton().performClick();
}

void TrayStatusBar::hostRegistered() {
    if (!m_inTray && m_watcher)
        askWhetherHostIsThere();
}

void TrayStatusBar::watcherAppeared() {
    askWhetherHostIsThere();
}

void TrayStatusBar::askWhetherHostIsThere() {
    QDBusMessage get = QDBusMessage::createMethodCall(
        kWatcherService, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(get, 5000), this);
    const int generation = m_generation;
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending, generation] {
        pending->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *pending;
        // A watcher that cannot say counts as one with a host: most can, and
        // the items come back to the own bar if it refuses them.
        const bool hostThere = reply.isError() || reply.value().variant().toBool();
        if (generation == m_generation && hostThere)
            enterTray();
    });
}

void TrayStatusBar::enterTray() {
    ++m_generation;
    m_inTray = true;
    m_ownBar->setOffScreen(true);
    const int generation = m_generation;
    const QPointer<TrayStatusBar> self(this);
    for (const auto& item : m_items) {
        item->exportToTray();
        item->exported()->registerWithWatcher([self, generation](bool registered) {
            // An item the watcher refuses would be lost: everything goes
            // back to the own bar instead.
            if (self && !registered && generation == self->m_generation)
                self->leaveTray();
        });
    }
    Q_EMIT trayChanged(true);
}

void TrayStatusBar::leaveTray() {
    ++m_generation;
    if (!m_inTray)
        return;
    m_inTray = false;
    m_ownBar->setOffScreen(false);
    Q_EMIT trayChanged(false);
}

} // namespace velto::platform
