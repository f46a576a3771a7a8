#pragma once

#include "Platform/StatusNotifierTypes.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>

namespace velto::platform {

/**
 * One status item as the desktop's tray sees it: an org.kde.StatusNotifierItem
 * object at /StatusNotifierItem on a bus connection and bus name of its own
 * ("org.kde.StatusNotifierItem-<pid>-<n>"), so that a host can tell items
 * apart by name. Setters compare first and signal only what changed.
 *
 * Main thread only; QtDBus delivers the host's calls there.
 */
class StatusNotifierItem final : public QObject {
    Q_OBJECT
public:
    /// What the host asks for; x and y are screen coordinates where the host
    /// knows them, else 0.
    struct Requests {
        std::function<void(int x, int y)> activate;
        std::function<void(int x, int y)> secondaryActivate;
        std::function<void(int x, int y)> contextMenu;
    };

    /// Connects to the session bus under a connection of its own, named after
    /// @p number, and exports the object there; see isExported().
    StatusNotifierItem(int number, Requests requests);
    ~StatusNotifierItem() override;

    /// True once the object and its bus name are on the bus.
    bool isExported() const { return m_exported; }
    QString serviceName() const { return m_serviceName; }
    /// Asks the watcher to list this item; @p done hears whether it agreed.
    void registerWithWatcher(std::function<void(bool registered)> done);

    void setId(const QString& id) { m_id = id; }
    void setCategory(const QString& category) { m_category = category; }
    void setTitle(const QString& title);
    /// "Active" or "Passive".
    void setStatus(const QString& status);
    void setIcon(const TrayPixmapList& pixmaps);
    void setLabel(const QString& label, const QString& guide);
    void setToolTip(const TrayToolTip& toolTip);

    QString id() const { return m_id; }
    QString category() const { return m_category; }
    QString title() const { return m_title; }
    QString status() const { return m_status; }
    TrayPixmapList icon() const { return m_icon; }
    QString label() const { return m_label; }
    QString labelGuide() const { return m_labelGuide; }
    TrayToolTip toolTip() const { return m_toolTip; }

    /// How many NewIcon signals went out; for tests and measurements.
    int newIconCount() const { return m_newIconCount; }

    // Called by the adaptor for the host.
    void hostActivated(int x, int y);
    void hostSecondaryActivated(int x, int y);
    void hostAskedForContextMenu(int x, int y);

Q_SIGNALS:
    void NewTitle();
    void NewIcon();
    void NewToolTip();
    void NewStatus(const QString& status);
    void XAyatanaNewLabel(const QString& label, const QString& guide);

private:
    QString m_connectionName;
    QDBusConnection m_connection;
    QString m_serviceName;
    Requests m_requests;
    bool m_exported = false;

    QString m_id;
    QString m_category = QStringLiteral("Hardware");
    QString m_title;
    QString m_status = QStringLiteral("Active");
    TrayPixmapList m_icon;
    QString m_label;
    QString m_labelGuide;
    TrayToolTip m_toolTip;
    int m_newIconCount = 0;
};

} // namespace velto::platform
