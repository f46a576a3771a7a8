#include "Platform/StatusNotifierItem.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <cstring>

namespace velto::platform {

namespace {

constexpr const char* kWatcherService = "org.kde.StatusNotifierWatcher";
constexpr const char* kWatcherPath = "/StatusNotifierWatcher";
constexpr const char* kPropertiesInterface = DBUS_INTERFACE_PROPERTIES;
constexpr const char* kIntrospectableInterface = DBUS_INTERFACE_INTROSPECTABLE;
constexpr int kWatcherTimeoutMilliseconds = 5000;

bool is(const char* text, const char* expected) {
    return text && std::strcmp(text, expected) == 0;
}

// A call may leave its interface out, and Properties take "" for any.
bool isOf(const char* interface, const char* expected) {
    return !interface || !*interface || is(interface, expected);
}

} // namespace

StatusNotifierItem::StatusNotifierItem(int number, Requests requests)
    : m_connection(PrivateBusConnection::toSessionBus()),
      m_serviceName(QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                        .arg(QCoreApplication::applicationPid())
                        .arg(number)),
      m_requests(std::move(requests)) {
    m_toolTipWait.setSingleShot(true);
    m_toolTipWait.setInterval(kToolTipWaitMilliseconds);
    connect(&m_toolTipWait, &QTimer::timeout, this, [this] {
        // Those that did not read may have left the bus; they are seen again when they read.
        std::erase_if(m_wholeReaders,
                      [](const auto& entry) { return entry.second.owesToolTipRead; });
        emitSignal("NewToolTip");
    });
    if (!m_connection)
        return;
    m_exported =
        m_connection->registerObject(StatusNotifierMessages::kObjectPath,
                                     [this](DBusMessage* call) { return handleCall(call); }) &&
        m_connection->requestName(m_serviceName);
}

// The connection's close drops the bus name and the object with it.
StatusNotifierItem::~StatusNotifierItem() = default;

void StatusNotifierItem::registerWithWatcher(std::function<void(bool)> done) {
    DBusMessagePtr call;
    if (m_exported)
        call.reset(dbus_message_new_method_call(kWatcherService, kWatcherPath, kWatcherService,
                                                "RegisterStatusNotifierItem"));
    const QByteArray service = m_serviceName.toUtf8();
    const char* serviceData = service.constData();
    const bool sent =
        call &&
        dbus_message_append_args(call.get(), DBUS_TYPE_STRING, &serviceData, DBUS_TYPE_INVALID) &&
        m_connection->call(call.get(), kWatcherTimeoutMilliseconds, [done](DBusMessage* reply) {
            if (done)
                done(dbus_message_get_type(reply) == DBUS_MESSAGE_TYPE_METHOD_RETURN);
        });
    if (!sent && done)
        done(false);
}

template <typename Value> bool StatusNotifierItem::replace(Value& property, const Value& value) {
    if (property == value)
        return false;
    property = value;
    changed();
    return true;
}

void StatusNotifierItem::setId(const QString& id) {
    replace(m_properties.id, id);
}

void StatusNotifierItem::setCategory(const QString& category) {
    replace(m_properties.category, category);
}

void StatusNotifierItem::setTitle(const QString& title) {
    if (replace(m_properties.title, title))
        emitSignal("NewTitle");
}

void StatusNotifierItem::setStatus(const QString& status) {
    if (replace(m_properties.status, status))
        emitSignal("NewStatus", {status});
}

void StatusNotifierItem::setIcon(const TrayPixmapList& pixmaps) {
    if (!replace(m_properties.icon, pixmaps))
        return;
    ++m_newIconCount;
    emitSignal("NewIcon");
}

void StatusNotifierItem::setLabel(const QString& label, const QString& guide) {
    const bool newLabel = replace(m_properties.label, label);
    const bool newGuide = replace(m_properties.labelGuide, guide);
    if (newLabel || newGuide)
        emitSignal("XAyatanaNewLabel", {label, guide});
}

void StatusNotifierItem::setToolTip(const TrayToolTip& toolTip) {
    if (!replace(m_properties.toolTip, toolTip))
        return;
    // Hosts that read everything after a signal will read this tool tip too,
    // when each of them has a signal it has not read after yet.
    const bool allWillRead =
        !m_toolTipReadAlone && !m_wholeReaders.empty() &&
        std::all_of(m_wholeReaders.begin(), m_wholeReaders.end(),
                    [](const auto& entry) { return entry.second.signalledSinceRead; });
    if (!allWillRead) {
        m_toolTipWait.stop();
        emitSignal("NewToolTip");
        return;
    }
    for (auto& entry : m_wholeReaders)
        entry.second.owesToolTipRead = true;
    // A wait already running is not restarted: one change after another must not hold it off.
    if (!m_toolTipWait.isActive())
        m_toolTipWait.start();
}

void StatusNotifierItem::changed() {
    m_getAllReply.reset();
}

void StatusNotifierItem::emitSignal(const char* name, std::initializer_list<QString> arguments) {
    if (!m_exported)
        return;
    DBusMessagePtr message(dbus_message_new_signal(StatusNotifierMessages::kObjectPath,
                                                   StatusNotifierMessages::kInterface, name));
    if (!message)
        return;
    DBusMessageIter iter;
    dbus_message_iter_init_append(message.get(), &iter);
    for (const QString& argument : arguments)
        if (!StatusNotifierMessages::appendString(&iter, argument))
            return;
    if (!m_connection->send(message.get()))
        return;
    for (auto& entry : m_wholeReaders)
        entry.second.signalledSinceRead = true;
}

void StatusNotifierItem::noteReader(DBusMessage* call, bool readsEverything) {
    const char* sender = dbus_message_get_sender(call);
    if (!sender)
        return;
    if (!readsEverything) {
        m_toolTipReadAlone = true;
        return;
    }
    m_wholeReaders[sender] = WholeReader{};
    if (m_toolTipWait.isActive() &&
        std::none_of(m_wholeReaders.begin(), m_wholeReaders.end(),
                     [](const auto& entry) { return entry.second.owesToolTipRead; }))
        m_toolTipWait.stop();
}

bool StatusNotifierItem::handleCall(DBusMessage* call) {
    const char* interface = dbus_message_get_interface(call);
    const char* member = dbus_message_get_member(call);
    if (is(interface, kPropertiesInterface))
        return answerProperties(call, member);
    if (is(interface, kIntrospectableInterface) && is(member, "Introspect")) {
        DBusMessagePtr answer(dbus_message_new_method_return(call));
        const char* xml = StatusNotifierMessages::introspection();
        if (answer &&
            dbus_message_append_args(answer.get(), DBUS_TYPE_STRING, &xml, DBUS_TYPE_INVALID))
            reply(call, std::move(answer));
        return true;
    }
    if (isOf(interface, StatusNotifierMessages::kInterface))
        return answerRequest(call, member);
    return false;
}

template <typename... Arguments>
bool StatusNotifierItem::readArguments(DBusMessage* call, Arguments... arguments) {
    DBusError failure;
    dbus_error_init(&failure);
    if (dbus_message_get_args(call, &failure, arguments..., DBUS_TYPE_INVALID))
        return true;
    replyError(call, DBUS_ERROR_INVALID_ARGS, failure.message);
    dbus_error_free(&failure);
    return false;
}

bool StatusNotifierItem::answerProperties(DBusMessage* call, const char* member) {
    const char* interface = nullptr;
    const char* name = nullptr;
    if (is(member, "GetAll")) {
        if (!readArguments(call, DBUS_TYPE_STRING, &interface))
            return true;
        if (!isOf(interface, StatusNotifierMessages::kInterface)) {
            replyError(call, DBUS_ERROR_UNKNOWN_INTERFACE, "No such interface");
            return true;
        }
        noteReader(call, true);
        // The first host to ask after a change gets the reply built for it;
        // the next ones a copy of it.
        DBusMessagePtr answer;
        if (m_getAllReply) {
            answer.reset(StatusNotifierMessages::forReply(m_getAllReply.get(), call));
        } else {
            answer.reset(StatusNotifierMessages::newGetAllReply(call, m_properties));
            if (answer)
                m_getAllReply.reset(dbus_message_ref(answer.get()));
        }
        reply(call, std::move(answer));
        return true;
    }
    if (is(member, "Get")) {
        if (!readArguments(call, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &name))
            return true;
        DBusMessagePtr answer(dbus_message_new_method_return(call));
        if (!answer)
            return true;
        DBusMessageIter iter;
        dbus_message_iter_init_append(answer.get(), &iter);
        if (!isOf(interface, StatusNotifierMessages::kInterface) ||
            !StatusNotifierMessages::appendProperty(&iter, m_properties, name)) {
            replyError(call, DBUS_ERROR_UNKNOWN_PROPERTY, "No such property");
            return true;
        }
        if (is(name, "ToolTip"))
            noteReader(call, false);
        reply(call, std::move(answer));
        return true;
    }
    if (is(member, "Set")) {
        replyError(call, DBUS_ERROR_PROPERTY_READ_ONLY, "The item's properties are read-only");
        return true;
    }
    return false;
}

bool StatusNotifierItem::answerRequest(DBusMessage* call, const char* member) {
    std::function<void(int, int)> Requests::*request = nullptr;
    if (is(member, "Activate"))
        request = &Requests::activate;
    else if (is(member, "SecondaryActivate"))
        request = &Requests::secondaryActivate;
    else if (is(member, "ContextMenu"))
        request = &Requests::contextMenu;
    else if (is(member, "Scroll")) {
        reply(call, DBusMessagePtr(dbus_message_new_method_return(call)));
        return true;
    } else {
        return false;
    }

    dbus_int32_t x = 0;
    dbus_int32_t y = 0;
    if (!readArguments(call, DBUS_TYPE_INT32, &x, DBUS_TYPE_INT32, &y))
        return true;
    reply(call, DBusMessagePtr(dbus_message_new_method_return(call)));
    // Run from the event loop: what it does may end this item and its connection.
    QTimer::singleShot(0, this, [this, request, x, y] {
        if (const auto& run = m_requests.*request)
            run(x, y);
    });
    return true;
}

void StatusNotifierItem::reply(DBusMessage* call, DBusMessagePtr answer) {
    if (answer && !dbus_message_get_no_reply(call))
        m_connection->send(answer.get());
}

void StatusNotifierItem::replyError(DBusMessage* call, const char* name, const char* text) {
    reply(call, DBusMessagePtr(dbus_message_new_error(call, name, text)));
}

} // namespace velto::platform
