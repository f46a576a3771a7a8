#pragma once

#include "Platform/PrivateBusConnection.h"
#include "Platform/StatusNotifierMessages.h"
#include "Platform/StatusNotifierTypes.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>

namespace velto::platform {

/**
 * One status item as the desktop's tray sees it: an org.kde.StatusNotifierItem
 * object at /StatusNotifierItem on a bus connection and bus name of its own
 * ("org.kde.StatusNotifierItem-<pid>-<n>"), so that a host can tell items
 * apart by name. Setters compare first and signal only what changed.
 *
 * Its connection is run on the main thread (PrivateBusConnection): a host
 * that reads every property after every change is answered from one reply,
 * built once per change.
 *
 * Such hosts read everything again after each signal, so a new tool tip that
 * comes with another change is already theirs once they have read: NewToolTip
 * then waits for those reads and goes out only if one does not come. Hosts
 * that read the tool tip alone get it at once.
 */
class StatusNotifierItem final : public QObject {
public:
    /// What the host asks for; x and y are screen coordinates where the host
    /// knows them, else 0. Each runs from the event loop, after the call's
    /// answer went out, so it may delete this item.
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

    void setId(const QString& id);
    void setCategory(const QString& category);
    void setTitle(const QString& title);
    /// "Active" or "Passive".
    void setStatus(const QString& status);
    void setIcon(const TrayPixmapList& pixmaps);
    void setLabel(const QString& label, const QString& guide);
    void setToolTip(const TrayToolTip& toolTip);

    QString id() const { return m_properties.id; }
    QString category() const { return m_properties.category; }
    QString title() const { return m_properties.title; }
    QString status() const { return m_properties.status; }
    TrayPixmapList icon() const { return m_properties.icon; }
    QString label() const { return m_properties.label; }
    QString labelGuide() const { return m_properties.labelGuide; }
    TrayToolTip toolTip() const { return m_properties.toolTip; }

    /// How many NewIcon signals went out; for tests and measurements.
    int newIconCount() const { return m_newIconCount; }
    /// How long NewToolTip waits for the reads of hosts that read every property.
    static constexpr int kToolTipWaitMilliseconds = 500;

private:
    bool handleCall(DBusMessage* call);
    bool answerProperties(DBusMessage* call, const char* member);
    bool answerRequest(DBusMessage* call, const char* member);
    /// Reads the call's arguments as for dbus_message_get_args, without the
    /// closing DBUS_TYPE_INVALID; answers InvalidArgs and returns false when they
    /// are not there.
    template <typename... Arguments> bool readArguments(DBusMessage* call, Arguments... arguments);
    void reply(DBusMessage* call, DBusMessagePtr answer);
    void replyError(DBusMessage* call, const char* name, const char* text);
    /// Sends a signal of the item's interface with string arguments.
    void emitSignal(const char* name, std::initializer_list<QString> arguments = {});
    void changed();
    /// Sets @p property to @p value; true, and the kept reply dropped, when it was another.
    template <typename Value> bool replace(Value& property, const Value& value);
    /// Notes what @p call tells of its sender's way of reading, before it is answered.
    void noteReader(DBusMessage* call, bool readsEverything);

    /// A host seen reading every property with GetAll.
    struct WholeReader {
        bool signalledSinceRead = false; // will read again: a signal went out after its last read
        bool owesToolTipRead = false;    // has not read since the tool tip changed
    };

    std::unique_ptr<PrivateBusConnection> m_connection;
    QString m_serviceName;
    Requests m_requests;
    bool m_exported = false;

    StatusNotifierMessages::Properties m_properties;
    // The GetAll answer sent first after the last change; later ones are its copies.
    DBusMessagePtr m_getAllReply;
    int m_newIconCount = 0;

    std::map<std::string, WholeReader> m_wholeReaders; // by unique bus name
    bool m_toolTipReadAlone = false; // some host reads ToolTip by itself: it needs NewToolTip
    QTimer m_toolTipWait;            // runs while NewToolTip waits for the reads owed
};

} // namespace velto::platform
