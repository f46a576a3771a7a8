#include "Platform/PrivateBusConnection.h"

#include <QSocketNotifier>
#include <QTimer>

namespace velto::platform {

// A watch is one descriptor the library waits on, to read or to write or both.
struct PrivateBusConnection::Watch {
    QSocketNotifier* read = nullptr;
    QSocketNotifier* write = nullptr;
};

struct PrivateBusConnection::PendingReply {
    PrivateBusConnection* connection;
    ReplyHandler done;
};

namespace {

// Qt objects the library lets go of may be the very ones whose signal is being
// handled, so they are deleted once control is back in the event loop.
void retire(QObject* object) {
    if (!object)
        return;
    if (auto* notifier = qobject_cast<QSocketNotifier*>(object))
        notifier->setEnabled(false);
    if (auto* timer = qobject_cast<QTimer*>(object))
        timer->stop();
    object->deleteLater();
}

} // namespace

std::unique_ptr<PrivateBusConnection> PrivateBusConnection::toSessionBus() {
    DBusError failure;
    dbus_error_init(&failure);
    DBusConnection* connection = dbus_bus_get_private(DBUS_BUS_SESSION, &failure);
    dbus_error_free(&failure);
    if (!connection)
        return nullptr;
    return std::unique_ptr<PrivateBusConnection>(new PrivateBusConnection(connection));
}

PrivateBusConnection::PrivateBusConnection(DBusConnection* connection) : m_connection(connection) {
    // The library's default for bus connections is to end the process when
    // the bus goes away; a tray item outlives its host's bus quietly.
    dbus_connection_set_exit_on_disconnect(m_connection, FALSE);
    dbus_connection_set_watch_functions(m_connection, &addWatch, &removeWatch, &toggleWatch, this,
                                        nullptr);
    dbus_connection_set_timeout_functions(m_connection, &addTimeout, &removeTimeout, &toggleTimeout,
                                          this, nullptr);
    dbus_connection_set_dispatch_status_function(m_connection, &dispatchStatusChanged, this,
                                                 nullptr);
    // Hello's answer and NameAcquired may already be waiting.
    scheduleDispatch();
}

PrivateBusConnection::~PrivateBusConnection() {
    for (const auto& object : m_objects)
        dbus_connection_unregister_object_path(m_connection, object.first.c_str());
    dbus_connection_close(m_connection);
    dbus_connection_set_dispatch_status_function(m_connection, nullptr, nullptr, nullptr);
    dbus_connection_set_watch_functions(m_connection, nullptr, nullptr, nullptr, nullptr, nullptr);
    dbus_connection_set_timeout_functions(m_connection, nullptr, nullptr, nullptr, nullptr,
                                          nullptr);
    dbus_connection_unref(m_connection);
    // Notifiers and timers still held are children, deleted with this object.
}

bool PrivateBusConnection::requestName(const QString& name) {
    DBusError failure;
    dbus_error_init(&failure);
    const int answer = dbus_bus_request_name(m_connection, name.toUtf8().constData(),
                                             DBUS_NAME_FLAG_DO_NOT_QUEUE, &failure);
    dbus_error_free(&failure);
    // The blocking call read past whatever else came in.
    scheduleDispatch();
    return answer == DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER;
}

bool PrivateBusConnection::registerObject(const std::string& path, MethodHandler handler) {
    if (m_objects.count(path))
        return false;
    auto owned = std::make_unique<MethodHandler>(std::move(handler));
    static const DBusObjectPathVTable vtable = {
        nullptr, &handleObjectMessage, nullptr, nullptr, nullptr, nullptr};
    if (!dbus_connection_try_register_object_path(m_connection, path.c_str(), &vtable, owned.get(),
                                                  nullptr))
        return false;
    m_objects.emplace(path, std::move(owned));
    return true;
}

bool PrivateBusConnection::send(DBusMessage* message) {
    return message && dbus_connection_send(m_connection, message, nullptr);
}

bool PrivateBusConnection::call(DBusMessage* message, int timeoutMilliseconds, ReplyHandler done) {
    DBusPendingCall* pending = nullptr;
    if (!message ||
        !dbus_connection_send_with_reply(m_connection, message, &pending, timeoutMilliseconds) ||
        !pending)
        return false;
    auto* reply = new PendingReply{this, std::move(done)};
    if (!dbus_pending_call_set_notify(pending, &replyArrived, reply, &freeReply)) {
        delete reply;
        dbus_pending_call_cancel(pending);
        dbus_pending_call_unref(pending);
        return false;
    }
    dbus_pending_call_unref(pending);
    return true;
}

void PrivateBusConnection::replyArrived(DBusPendingCall* pending, void* data) {
    auto* reply = static_cast<PendingReply*>(data);
    std::shared_ptr<DBusMessage> message(dbus_pending_call_steal_reply(pending),
                                         DBusMessageUnref());
    if (!message || !reply->done)
        return;
    // Heard from the event loop, outside the dispatch: what the answer sets
    // off may well end this connection. An answer still queued when the
    // connection goes is dropped with it.
    QTimer::singleShot(0, reply->connection,
                       [done = reply->done, message] { done(message.get()); });
}

void PrivateBusConnection::freeReply(void* data) {
    delete static_cast<PendingReply*>(data);
}

dbus_bool_t PrivateBusConnection::addWatch(DBusWatch* watch, void* data) {
    auto* self = static_cast<PrivateBusConnection*>(data);
    const int descriptor = dbus_watch_get_unix_fd(watch);
    if (descriptor < 0)
        return FALSE;
    auto entry = std::make_unique<Watch>();
    const unsigned int flags = dbus_watch_get_flags(watch);
    if (flags & DBUS_WATCH_READABLE) {
        entry->read = new QSocketNotifier(descriptor, QSocketNotifier::Read, self);
        connect(entry->read, &QSocketNotifier::activated, self,
                [self, watch] { self->handleWatch(watch, DBUS_WATCH_READABLE); });
    }
    if (flags & DBUS_WATCH_WRITABLE) {
        entry->write = new QSocketNotifier(descriptor, QSocketNotifier::Write, self);
        connect(entry->write, &QSocketNotifier::activated, self,
                [self, watch] { self->handleWatch(watch, DBUS_WATCH_WRITABLE); });
    }
    self->m_watches[watch] = std::move(entry);
    self->updateWatch(watch);
    return TRUE;
}

void PrivateBusConnection::removeWatch(DBusWatch* watch, void* data) {
    auto* self = static_cast<PrivateBusConnection*>(data);
    const auto found = self->m_watches.find(watch);
    if (found == self->m_watches.end())
        return;
    retire(found->second->read);
    retire(found->second->write);
    self->m_watches.erase(found);
}

void PrivateBusConnection::toggleWatch(DBusWatch* watch, void* data) {
    static_cast<PrivateBusConnection*>(data)->updateWatch(watch);
}

void PrivateBusConnection::updateWatch(DBusWatch* watch) {
    const auto found = m_watches.find(watch);
    if (found == m_watches.end())
        return;
    const bool enabled = dbus_watch_get_enabled(watch);
    if (found->second->read)
        found->second->read->setEnabled(enabled);
    if (found->second->write)
        found->second->write->setEnabled(enabled);
}

void PrivateBusConnection::handleWatch(DBusWatch* watch, unsigned int flags) {
    // Handling may remove the watch; nothing of it is touched afterwards.
    dbus_watch_handle(watch, flags);
    dispatchAll();
}

dbus_bool_t PrivateBusConnection::addTimeout(DBusTimeout* timeout, void* data) {
    auto* self = static_cast<PrivateBusConnection*>(data);
    auto* timer = new QTimer(self);
    connect(timer, &QTimer::timeout, self, [self, timeout] {
        dbus_timeout_handle(timeout);
        self->dispatchAll();
    });
    self->m_timeouts[timeout] = timer;
    toggleTimeout(timeout, data);
    return TRUE;
}

void PrivateBusConnection::removeTimeout(DBusTimeout* timeout, void* data) {
    auto* self = static_cast<PrivateBusConnection*>(data);
    const auto found = self->m_timeouts.find(timeout);
    if (found == self->m_timeouts.end())
        return;
    retire(found->second);
    self->m_timeouts.erase(found);
}

void PrivateBusConnection::toggleTimeout(DBusTimeout* timeout, void* data) {
    auto* self = static_cast<PrivateBusConnection*>(data);
    const auto found = self->m_timeouts.find(timeout);
    if (found == self->m_timeouts.end())
        return;
    // The library's timeouts repeat every interval until removed or disabled.
    if (dbus_timeout_get_enabled(timeout))
        found->second->start(dbus_timeout_get_interval(timeout));
    else
        found->second->stop();
}

void PrivateBusConnection::dispatchStatusChanged(DBusConnection*, DBusDispatchStatus status,
                                                 void* data) {
    // Called from inside the library, where dispatching is not allowed.
    if (status == DBUS_DISPATCH_DATA_REMAINS)
        static_cast<PrivateBusConnection*>(data)->scheduleDispatch();
}

void PrivateBusConnection::scheduleDispatch() {
    if (m_dispatchScheduled)
        return;
    m_dispatchScheduled = true;
    QTimer::singleShot(0, this, [this] { dispatchAll(); });
}

void PrivateBusConnection::dispatchAll() {
    m_dispatchScheduled = false;
    if (m_dispatching)
        return;
    m_dispatching = true;
    while (dbus_connection_dispatch(m_connection) == DBUS_DISPATCH_DATA_REMAINS) {
    }
    m_dispatching = false;
}

DBusHandlerResult PrivateBusConnection::handleObjectMessage(DBusConnection*, DBusMessage* message,
                                                            void* handler) {
    if (dbus_message_get_type(message) != DBUS_MESSAGE_TYPE_METHOD_CALL)
        return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    return (*static_cast<MethodHandler*>(handler))(message) ? DBUS_HANDLER_RESULT_HANDLED
                                                            : DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
}

} // namespace velto::platform
