#pragma once

#include <QObject>
#include <QString>
#include <dbus/dbus.h>
#include <functional>
#include <map>
#include <memory>
#include <string>

class QSocketNotifier;
class QTimer;

namespace velto::platform {

struct DBusMessageUnref {
    void operator()(DBusMessage* message) const {
        if (message)
            dbus_message_unref(message);
    }
};
/// A message this code holds one reference to.
using DBusMessagePtr = std::unique_ptr<DBusMessage, DBusMessageUnref>;

/**
 * A connection of its own to the session bus, run by Qt's event loop on the
 * thread that made it: its socket is watched by socket notifiers, the
 * library's timeouts are Qt timers, and what arrives is dispatched as soon as
 * it is read. Unlike a QDBusConnection it has no thread of its own, so a call
 * in and its answer cost one wake of this thread and no hand-over between two,
 * and a message built once can be sent as often as it is asked for.
 *
 * Losing the bus leaves the process running; later sends fail quietly.
 */
class PrivateBusConnection final : public QObject {
public:
    /// Answers a method call on an object path: returns false to leave it to
    /// the library, which answers that the method is unknown. It runs inside
    /// the dispatch, so whatever may delete this connection must be queued.
    using MethodHandler = std::function<bool(DBusMessage* call)>;
    /// Hears the answer to a call, a method return or an error, never null,
    /// from the event loop.
    using ReplyHandler = std::function<void(DBusMessage* reply)>;

    /// Connects and says hello; null when there is no session bus to reach.
    static std::unique_ptr<PrivateBusConnection> toSessionBus();
    ~PrivateBusConnection() override;

    PrivateBusConnection(const PrivateBusConnection&) = delete;
    PrivateBusConnection& operator=(const PrivateBusConnection&) = delete;

    /// Asks the bus for @p name and waits for its answer; true when this
    /// connection now owns it. For start-up only: it blocks.
    bool requestName(const QString& name);
    /// Hands the method calls to @p path to @p handler; false if the path is taken.
    bool registerObject(const std::string& path, MethodHandler handler);
    /// Queues @p message; false when it cannot go out (no memory, no bus).
    bool send(DBusMessage* message);
    /// Sends a method call; @p done hears the answer, or the library's
    /// NoReply error after @p timeoutMilliseconds. False, and @p done never
    /// called, when the call cannot go out. @p done is not called once this
    /// connection is being destroyed.
    bool call(DBusMessage* message, int timeoutMilliseconds, ReplyHandler done);

private:
    struct Watch;
    struct PendingReply;

    explicit PrivateBusConnection(DBusConnection* connection);

    static dbus_bool_t addWatch(DBusWatch* watch, void* self);
    static void removeWatch(DBusWatch* watch, void* self);
    static void toggleWatch(DBusWatch* watch, void* self);
    static dbus_bool_t addTimeout(DBusTimeout* timeout, void* self);
    static void removeTimeout(DBusTimeout* timeout, void* self);
    static void toggleTimeout(DBusTimeout* timeout, void* self);
    static void dispatchStatusChanged(DBusConnection* connection, DBusDispatchStatus status,
                                      void* self);
    static DBusHandlerResult handleObjectMessage(DBusConnection* connection, DBusMessage* message,
                                                 void* handler);
    static void replyArrived(DBusPendingCall* pending, void* reply);
    static void freeReply(void* reply);

    void handleWatch(DBusWatch* watch, unsigned int flags);
    void updateWatch(DBusWatch* watch);
    void scheduleDispatch();
    void dispatchAll();

    DBusConnection* m_connection;
    std::map<DBusWatch*, std::unique_ptr<Watch>> m_watches;
    std::map<DBusTimeout*, QTimer*> m_timeouts;
    std::map<std::string, std::unique_ptr<MethodHandler>> m_objects;
    bool m_dispatchScheduled = false;
    bool m_dispatching = false;
};

} // namespace velto::platform
