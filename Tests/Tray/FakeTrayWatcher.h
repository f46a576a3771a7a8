#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QStringList>

namespace velto::test {

/**
 * The host's side of the tray protocol, as small as the tests need: an
 * org.kde.StatusNotifierWatcher on a bus connection of its own that lists
 * whoever registers, and can leave the bus and come back.
 */
class FakeTrayWatcher final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registered)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
public:
    FakeTrayWatcher();
    ~FakeTrayWatcher() override;

    /// Takes the watcher's name on the bus; false if that failed.
    bool join();
    /// Gives the name up and forgets every item, as a host that quits does.
    void leave();
    /// A host appears beside a watcher that had none.
    void announceHost();

    QStringList registered() const { return m_registered; }
    bool hostRegistered() const { return m_hostRegistered; }
    int protocolVersion() const { return 0; }
    void setHostRegistered(bool registered) { m_hostRegistered = registered; }
    /// Items refused from now on, for the fallback.
    void setRefusing(bool refusing) { m_refusing = refusing; }

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& service);

Q_SIGNALS:
    void StatusNotifierItemRegistered(const QString& service);
    void StatusNotifierHostRegistered();

private:
    QDBusConnection m_connection;
    QStringList m_registered;
    bool m_hostRegistered = true;
    bool m_refusing = false;
};

} // namespace velto::test
