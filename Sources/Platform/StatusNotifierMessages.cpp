#include "Platform/StatusNotifierMessages.h"

#include <QByteArray>
#include <array>

namespace velto::platform::StatusNotifierMessages {

namespace {

constexpr const char* kPixmapsSignature = "a(iiay)";
constexpr const char* kToolTipSignature = "(sa(iiay)ss)";

// Writes a value of @p signature into a variant opened on @p iter.
template <typename Write>
bool appendVariant(DBusMessageIter* iter, const char* signature, Write write) {
    DBusMessageIter variant;
    if (!dbus_message_iter_open_container(iter, DBUS_TYPE_VARIANT, signature, &variant))
        return false;
    const bool written = write(&variant);
    return dbus_message_iter_close_container(iter, &variant) && written;
}

bool appendInt(DBusMessageIter* iter, dbus_int32_t value) {
    return dbus_message_iter_append_basic(iter, DBUS_TYPE_INT32, &value);
}

// Writes an array of @p signature on @p iter: one container of @p elementType
// per item of @p items, each filled by @p write. It stops at the first item
// that cannot be written, closing what it opened.
template <typename Items, typename Write>
bool appendArray(DBusMessageIter* iter, const char* signature, int elementType, const Items& items,
                 Write write) {
    DBusMessageIter array;
    if (!dbus_message_iter_open_container(iter, DBUS_TYPE_ARRAY, signature, &array))
        return false;
    bool written = true;
    for (const auto& item : items) {
        DBusMessageIter element;
        if (!dbus_message_iter_open_container(&array, elementType, nullptr, &element)) {
            written = false;
            break;
        }
        written = write(&element, item);
        written = dbus_message_iter_close_container(&array, &element) && written;
        if (!written)
            break;
    }
    return dbus_message_iter_close_container(iter, &array) && written;
}

bool appendPixmaps(DBusMessageIter* iter, const TrayPixmapList& pixmaps) {
    return appendArray(
        iter, "(iiay)", DBUS_TYPE_STRUCT, pixmaps,
        [](DBusMessageIter* structure, const TrayPixmap& pixmap) {
            DBusMessageIter bytes;
            if (!appendInt(structure, pixmap.width) || !appendInt(structure, pixmap.height) ||
                !dbus_message_iter_open_container(structure, DBUS_TYPE_ARRAY, "y", &bytes))
                return false;
            const char* data = pixmap.pixels.constData();
            return dbus_message_iter_append_fixed_array(&bytes, DBUS_TYPE_BYTE, &data,
                                                        int(pixmap.pixels.size())) &&
                   dbus_message_iter_close_container(structure, &bytes);
        });
}

bool appendToolTip(DBusMessageIter* iter, const TrayToolTip& toolTip) {
    DBusMessageIter structure;
    if (!dbus_message_iter_open_container(iter, DBUS_TYPE_STRUCT, nullptr, &structure))
        return false;
    const bool written =
        appendString(&structure, toolTip.iconName) && appendPixmaps(&structure, toolTip.pixmaps) &&
        appendString(&structure, toolTip.title) && appendString(&structure, toolTip.text);
    return dbus_message_iter_close_container(iter, &structure) && written;
}

bool appendStringVariant(DBusMessageIter* iter, const QString& text) {
    return appendVariant(iter, "s", [&](DBusMessageIter* v) { return appendString(v, text); });
}

using PropertyWriter = bool (*)(DBusMessageIter*, const Properties&);

struct Property {
    const char* name;
    PropertyWriter write;
};

// The names and images the item leaves empty.
bool appendNoName(DBusMessageIter* iter, const Properties&) {
    return appendStringVariant(iter, QString());
}

bool appendNoPixmaps(DBusMessageIter* iter, const Properties&) {
    return appendVariant(iter, kPixmapsSignature,
                         [](DBusMessageIter* v) { return appendPixmaps(v, {}); });
}

// Every property of the interface, with the label extension hosts of the
// Ayatana family read. No menu is exported: a secondary click or a
// context-menu request opens the settings.
const std::array<Property, 17> kProperties = {{
    {"Category",
     [](DBusMessageIter* i, const Properties& p) { return appendStringVariant(i, p.category); }},
    {"Id", [](DBusMessageIter* i, const Properties& p) { return appendStringVariant(i, p.id); }},
    {"Title",
     [](DBusMessageIter* i, const Properties& p) { return appendStringVariant(i, p.title); }},
    {"Status",
     [](DBusMessageIter* i, const Properties& p) { return appendStringVariant(i, p.status); }},
    {"WindowId",
     [](DBusMessageIter* i, const Properties&) {
         return appendVariant(i, "i", [](DBusMessageIter* v) { return appendInt(v, 0); });
     }},
    {"IconName", &appendNoName},
    {"IconThemePath", &appendNoName},
    {"IconPixmap",
     [](DBusMessageIter* i, const Properties& p) {
         return appendVariant(i, kPixmapsSignature,
                              [&](DBusMessageIter* v) { return appendPixmaps(v, p.icon); });
     }},
    {"OverlayIconName", &appendNoName},
    {"OverlayIconPixmap", &appendNoPixmaps},
    {"AttentionIconName", &appendNoName},
    {"AttentionIconPixmap", &appendNoPixmaps},
    {"ToolTip",
     [](DBusMessageIter* i, const Properties& p) {
         return appendVariant(i, kToolTipSignature,
                              [&](DBusMessageIter* v) { return appendToolTip(v, p.toolTip); });
     }},
    {"ItemIsMenu",
     [](DBusMessageIter* i, const Properties&) {
         return appendVariant(i, "b", [](DBusMessageIter* v) {
             const dbus_bool_t no = FALSE;
             return bool(dbus_message_iter_append_basic(v, DBUS_TYPE_BOOLEAN, &no));
         });
     }},
    {"Menu",
     [](DBusMessageIter* i, const Properties&) {
         return appendVariant(i, "o", [](DBusMessageIter* v) {
             const char* path = "/NO_DBUSMENU";
             return bool(dbus_message_iter_append_basic(v, DBUS_TYPE_OBJECT_PATH, &path));
         });
     }},
    {"XAyatanaLabel",
     [](DBusMessageIter* i, const Properties& p) { return appendStringVariant(i, p.label); }},
    {"XAyatanaLabelGuide",
     [](DBusMessageIter* i, const Properties& p) { return appendStringVariant(i, p.labelGuide); }},
}};

// Every property, as the a{sv} of Properties.GetAll.
bool appendAllProperties(DBusMessageIter* iter, const Properties& properties) {
    return appendArray(iter, "{sv}", DBUS_TYPE_DICT_ENTRY, kProperties,
                       [&](DBusMessageIter* entry, const Property& property) {
                           return dbus_message_iter_append_basic(entry, DBUS_TYPE_STRING,
                                                                 &property.name) &&
                                  property.write(entry, properties);
                       });
}

} // namespace

bool appendString(DBusMessageIter* iter, const QString& text) {
    // QString's UTF-8 is always well formed, which libdbus insists on; a NUL
    // would end the string early, so none is let through.
    QByteArray utf8 = text.toUtf8();
    utf8.replace('\0', "");
    const char* data = utf8.constData();
    return dbus_message_iter_append_basic(iter, DBUS_TYPE_STRING, &data);
}

bool appendProperty(DBusMessageIter* iter, const Properties& properties, std::string_view name) {
    for (const Property& property : kProperties)
        if (name == property.name)
            return property.write(iter, properties);
    return false;
}

DBusMessage* newGetAllReply(DBusMessage* call, const Properties& properties) {
    DBusMessage* reply = dbus_message_new_method_return(call);
    if (!reply)
        return nullptr;
    DBusMessageIter iter;
    dbus_message_iter_init_append(reply, &iter);
    if (!appendAllProperties(&iter, properties)) {
        dbus_message_unref(reply);
        return nullptr;
    }
    return reply;
}

DBusMessage* forReply(const DBusMessage* reply, DBusMessage* call) {
    DBusMessage* copy = dbus_message_copy(reply);
    if (!copy)
        return nullptr;
    const char* sender = dbus_message_get_sender(call);
    if (!dbus_message_set_reply_serial(copy, dbus_message_get_serial(call)) ||
        (sender && !dbus_message_set_destination(copy, sender))) {
        dbus_message_unref(copy);
        return nullptr;
    }
    dbus_message_set_no_reply(copy, TRUE);
    return copy;
}

const char* introspection() {
    return DBUS_INTROSPECT_1_0_XML_DOCTYPE_DECL_NODE
        R"xml(<node>
  <interface name="org.kde.StatusNotifierItem">
    <property name="Category" type="s" access="read"/>
    <property name="Id" type="s" access="read"/>
    <property name="Title" type="s" access="read"/>
    <property name="Status" type="s" access="read"/>
    <property name="WindowId" type="i" access="read"/>
    <property name="IconName" type="s" access="read"/>
    <property name="IconThemePath" type="s" access="read"/>
    <property name="IconPixmap" type="a(iiay)" access="read"/>
    <property name="OverlayIconName" type="s" access="read"/>
    <property name="OverlayIconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionIconName" type="s" access="read"/>
    <property name="AttentionIconPixmap" type="a(iiay)" access="read"/>
    <property name="ToolTip" type="(sa(iiay)ss)" access="read"/>
    <property name="ItemIsMenu" type="b" access="read"/>
    <property name="Menu" type="o" access="read"/>
    <property name="XAyatanaLabel" type="s" access="read"/>
    <property name="XAyatanaLabelGuide" type="s" access="read"/>
    <method name="Activate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="SecondaryActivate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="ContextMenu"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="Scroll"><arg name="delta" type="i" direction="in"/><arg name="orientation" type="s" direction="in"/></method>
    <signal name="NewTitle"/>
    <signal name="NewIcon"/>
    <signal name="NewAttentionIcon"/>
    <signal name="NewOverlayIcon"/>
    <signal name="NewToolTip"/>
    <signal name="NewStatus"><arg name="status" type="s"/></signal>
    <signal name="XAyatanaNewLabel"><arg name="label" type="s"/><arg name="guide" type="s"/></signal>
  </interface>
  <interface name="org.freedesktop.DBus.Properties">
    <method name="Get"><arg name="interface_name" type="s" direction="in"/><arg name="property_name" type="s" direction="in"/><arg name="value" type="v" direction="out"/></method>
    <method name="GetAll"><arg name="interface_name" type="s" direction="in"/><arg name="values" type="a{sv}" direction="out"/></method>
    <method name="Set"><arg name="interface_name" type="s" direction="in"/><arg name="property_name" type="s" direction="in"/><arg name="value" type="v" direction="in"/></method>
  </interface>
  <interface name="org.freedesktop.DBus.Introspectable">
    <method name="Introspect"><arg name="xml_data" type="s" direction="out"/></method>
  </interface>
  <interface name="org.freedesktop.DBus.Peer">
    <method name="Ping"/>
    <method name="GetMachineId"><arg name="machine_uuid" type="s" direction="out"/></method>
  </interface>
</node>
)xml";
}

} // namespace velto::platform::StatusNotifierMessages
